#pragma once
// Operating-system facilities the program reads its folders and files through.
// Tests replace the whole service with their own (setSystem), so nothing here
// touches the real home folder, environment or file system during a test run.

#include <string>
#include <vector>

namespace platform {

// The folder separator of every path the program builds.
inline constexpr char kSep = '/';

class System {
public:
    virtual ~System() = default;

    // The value of an environment variable; the empty text when it is not set.
    virtual std::string env(const std::string& name) const = 0;
    // The user's home folder (what the program calls home drive and path).
    virtual std::string homeFolder() const = 0;
    // The user's documents folder; the empty text when there is none.
    virtual std::string documentsFolder() const = 0;
    // The full path of the running program file, links resolved.
    virtual std::string programPath() const = 0;
    // The command-line arguments, without the program's own path.
    virtual std::vector<std::string> arguments() const = 0;

    // Creates one folder level; false when it could not (it exists, among others).
    virtual bool makeFolder(const std::string& path) = 0;
    virtual bool removeFile(const std::string& path) = 0;
    virtual bool renameFile(const std::string& from, const std::string& to) = 0;
    // Copies a regular file (anything else fails at once, without blocking)
    // into a new file of `folder` under a name no other file there holds
    // (createTemporaryFile), so no file is replaced; returns the copy's path,
    // empty when the copy failed (then it leaves nothing behind).
    virtual std::string copyAside(const std::string& from, const std::string& folder) = 0;

    // The names of the regular files in a folder, links followed (a link to
    // a file counts, a dangling one or one to a folder does not), in byte
    // order; empty when the folder cannot be read.
    virtual std::vector<std::string> regularFiles(const std::string& folder) const = 0;
};

// The service in force: the real one unless a test installed another.
System& sys();
// Installs a replacement (not owned); nullptr puts the real service back.
void setSystem(System* replacement);
// The listing the real service gives, for services that act on the real file
// system too.
std::vector<std::string> listRegularFiles(const std::string& folder);

// The copy the real service makes, for services that act on the real file
// system too.
std::string copyRegularFileAside(const std::string& from, const std::string& folder);

// The real service keeps the arguments main() was given.
void setArguments(int argc, const char* const* argv);

}  // namespace platform
