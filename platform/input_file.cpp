#include "platform/input_file.h"

#include <cerrno>
#include <system_error>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

std::string errorText(int err) { return std::generic_category().message(err); }

InputFile::InputFile(const std::string& path)
{
    // O_NONBLOCK keeps open() of a FIFO from waiting for a writer; the type
    // check below then turns it away.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error_ = errno;
        return;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error_ = errno;
        ::close(fd);
        return;
    }
    type_ = st.st_mode & S_IFMT;
    permissions_ = st.st_mode & 0777;
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return;
    }
    size_ = st.st_size;
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    fd_ = fd;
}

InputFile::~InputFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

ssize_t InputFile::read(char* buf, std::size_t size)
{
    for (;;) {
        const ssize_t got = ::read(fd_, buf, size);
        if (got >= 0 || errno != EINTR)
            return got;
    }
}

}  // namespace platform
