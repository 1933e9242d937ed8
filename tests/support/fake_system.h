#pragma once
// A platform service for tests: environment, folders and arguments are set by
// the test; file operations act on the real file system (inside a TempDir)
// and are recorded.

#include "platform/system.h"

#include <map>
#include <string>
#include <vector>

namespace testing_support {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // The folder, ending with the separator.
    const std::string& path() const { return path_; }
    // Writes `bytes` to a file below the folder; returns its full path.
    std::string write(const std::string& name, const std::string& bytes) const;

private:
    std::string path_;
};

std::string readFile(const std::string& path);
bool exists(const std::string& path);

class FakeSystem final : public platform::System {
public:
    FakeSystem() { platform::setSystem(this); }
    ~FakeSystem() override { platform::setSystem(nullptr); }

    std::map<std::string, std::string> environment;
    std::string home;
    std::string documents;
    std::string program = "/opt/orla/orla_setup";
    std::vector<std::string> args;
    std::vector<std::string> createdFolders;  // successful makeFolder calls

    std::string env(const std::string& name) const override;
    std::string homeFolder() const override { return home; }
    std::string documentsFolder() const override { return documents; }
    std::string programPath() const override { return program; }
    std::vector<std::string> arguments() const override { return args; }
    bool makeFolder(const std::string& path) override;
    bool removeFile(const std::string& path) override;
    bool renameFile(const std::string& from, const std::string& to) override;
    std::string copyAside(const std::string& from, const std::string& folder) override
    {
        return platform::copyRegularFileAside(from, folder);
    }
    // The real listing; the folders asked for are recorded.
    std::vector<std::string> regularFiles(const std::string& folder) const override;
    mutable std::vector<std::string> listedFolders;
};

}  // namespace testing_support
