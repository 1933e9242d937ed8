#pragma once
// Opening a file the program reads its input from. Only a regular file counts:
// a FIFO would block the opening thread until a writer came, and a device or
// folder holds no text, so any of them is treated as a missing file.

#include <cstddef>
#include <string>
#include <sys/types.h>

namespace platform {

class InputFile {
public:
    // Opens path for reading when it names a regular file (links followed).
    explicit InputFile(const std::string& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    // Why it is not open: the error of the failed open (ENOENT when nothing
    // of that name exists), or 0 when the path names no regular file.
    int error() const { return error_; }
    // The file type bits of what the path names (S_IFDIR, S_IFIFO ...), once
    // it could be looked at; 0 before.
    mode_t type() const { return type_; }
    // Its permission bits, once it could be looked at; 0 before.
    mode_t permissions() const { return permissions_; }
    // The size of the opened file when it was opened.
    off_t size() const { return size_; }
    // Bytes read into buf; 0 at the end, -1 on a read error.
    ssize_t read(char* buf, std::size_t size);

private:
    int fd_ = -1;
    int error_ = 0;
    mode_t type_ = 0;
    mode_t permissions_ = 0;
    off_t size_ = 0;
};

// The system's text for an error number ("No such file or directory").
std::string errorText(int err);

}  // namespace platform
