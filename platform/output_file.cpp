#include "platform/output_file.h"

#include "platform/input_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    // Closes now; false with errno set when the close reports a failed write.
    bool close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

}  // namespace

std::string replaceFile(const std::string& path, std::string_view bytes)
{
    std::string temp = path + ".XXXXXX";
    Fd fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (fd.get() < 0)
        return errorText(errno);
    // The new file gets the old one's permissions, or the usual ones for a new file.
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) {
        ::fchmod(fd.get(), old.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd.get(), 0666 & ~mask);
    }
    const auto fail = [&](int err) {
        ::unlink(temp.c_str());
        return errorText(err);
    };
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd.get()) != 0)
        return fail(errno);
    if (!fd.close())
        return fail(errno);
    if (::rename(temp.c_str(), path.c_str()) != 0)
        return fail(errno);
    return {};
}

std::string createEmptyFile(const std::string& path)
{
    Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666));
    if (fd.get() < 0)
        return errorText(errno);
    return {};
}

}  // namespace platform
