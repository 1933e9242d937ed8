#include "tests/support/fake_system.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace testing_support {

TempDir::TempDir()
{
    std::string tmpl = (std::filesystem::temp_directory_path() / "orla_test_XXXXXX").string();
    if (!mkdtemp(tmpl.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = tmpl + "/";
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::write(const std::string& name, const std::string& bytes) const
{
    const std::string full = path_ + name;
    std::ofstream(full, std::ios::binary) << bytes;
    return full;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool exists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

std::string FakeSystem::env(const std::string& name) const
{
    auto it = environment.find(name);
    return it == environment.end() ? std::string() : it->second;
}

bool FakeSystem::makeFolder(const std::string& path)
{
    if (::mkdir(path.c_str(), 0777) != 0)
        return false;
    createdFolders.push_back(path);
    return true;
}

bool FakeSystem::removeFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool FakeSystem::renameFile(const std::string& from, const std::string& to)
{
    if (exists(to))
        return false;
    return std::rename(from.c_str(), to.c_str()) == 0;
}

std::vector<std::string> FakeSystem::regularFiles(const std::string& folder) const
{
    listedFolders.push_back(folder);
    return platform::listRegularFiles(folder);
}

}  // namespace testing_support
