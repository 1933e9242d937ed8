#include "platform/system.h"

#include "platform/input_file.h"
#include "platform/output_file.h"
#include "platform/replaceable.h"

#include <QStandardPaths>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

std::mutex g_argsMutex;
std::vector<std::string> g_args;

class RealSystem final : public System {
public:
    std::string env(const std::string& name) const override
    {
        const char* v = std::getenv(name.c_str());
        return v ? std::string(v) : std::string();
    }

    std::string homeFolder() const override { return env("HOME"); }

    std::string documentsFolder() const override
    {
        return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString();
    }

    std::string programPath() const override
    {
        std::error_code ec;
        auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
        return ec ? std::string() : p.string();
    }

    std::vector<std::string> arguments() const override
    {
        std::lock_guard lock(g_argsMutex);
        return g_args;
    }

    bool makeFolder(const std::string& path) override { return ::mkdir(path.c_str(), 0777) == 0; }
    bool removeFile(const std::string& path) override { return ::unlink(path.c_str()) == 0; }
    bool renameFile(const std::string& from, const std::string& to) override
    {
        // Not plain rename(): that silently replaces an existing target, which
        // the backup rotation never wants.
        return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0;
    }
    std::string copyAside(const std::string& from, const std::string& folder) override
    {
        return copyRegularFileAside(from, folder);
    }

    std::vector<std::string> regularFiles(const std::string& folder) const override
    {
        return listRegularFiles(folder);
    }
};

RealSystem g_real;
Replaceable<System> g_current(g_real);

}  // namespace

System& sys() { return g_current.get(); }

std::vector<std::string> listRegularFiles(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return names;
    const int fd = ::dirfd(dir);
    while (const dirent* e = ::readdir(dir)) {
        struct stat st {};
        // stat, not lstat: what a link points to decides.
        if (::fstatat(fd, e->d_name, &st, 0) == 0 && S_ISREG(st.st_mode))
            names.emplace_back(e->d_name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::string copyRegularFileAside(const std::string& from, const std::string& folder)
{
    InputFile in(from);
    if (!in.isOpen())
        return {};
    std::string to;
    const int out = createTemporaryFile(folder, to);
    if (out < 0)
        return {};
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(out, in.permissions() & ~mask);
    bool ok = true;
    char buf[65536];
    for (;;) {
        const ssize_t got = in.read(buf, sizeof buf);
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        for (ssize_t done = 0; ok && done < got;) {
            const ssize_t put = ::write(out, buf + done, static_cast<std::size_t>(got - done));
            ok = put > 0;
            done += put > 0 ? put : 0;
        }
        if (!ok)
            break;
    }
    ok = ::close(out) == 0 && ok;
    if (!ok) {
        ::unlink(to.c_str());
        return {};
    }
    return to;
}

void setSystem(System* replacement) { g_current.set(replacement); }

void setArguments(int argc, const char* const* argv)
{
    std::lock_guard lock(g_argsMutex);
    g_args.clear();
    for (int i = 1; i < argc; ++i)
        g_args.emplace_back(argv[i]);
}

}  // namespace platform
