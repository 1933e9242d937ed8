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
    // Bytes read into buf; 0 at the end, -1 on a read error.
    ssize_t read(char* buf, std::size_t size);

private:
    int fd_ = -1;
};

}  // namespace platform
