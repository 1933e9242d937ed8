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

// The file a path names once its symbolic links are followed: a save
// writes the file a link points at and leaves the link a link. A link to
// nothing yet names the file it would point at.
bool followLinks(std::string& path)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return true;
        std::string target(4096, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n < 0 || static_cast<std::size_t>(n) >= target.size())
            return false;
        target.resize(static_cast<std::size_t>(n));
        const std::size_t slash = path.rfind('/');
        path = target.front() == '/' || slash == std::string::npos ? target : path.substr(0, slash + 1) + target;
    }
    errno = ELOOP;
    return false;
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

}  // namespace

int createTemporaryFile(const std::string& folder, std::string& path)
{
    // A short name, so any folder the system takes has room for it.
    path = (folder.empty() ? std::string() : folder.back() == '/' ? folder : folder + '/') + ".orla-XXXXXX";
    return ::mkostemp(path.data(), O_CLOEXEC);
}

std::string replaceFile(const std::string& path, std::string_view bytes)
{
    std::string target = path;
    if (!followLinks(target))
        return errorText(errno);
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    // A file the operator may not write stays as it is, though its folder
    // would let a new one take its place. The superuser passes every access
    // check, so a file without any write permission counts as read-only too.
    if (exists && !S_ISDIR(old.st_mode)) {
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
            return errorText(errno);
        if ((old.st_mode & 0222) == 0)
            return errorText(EACCES);
    }
    std::string temp;
    Fd fd(createTemporaryFile(folderOf(target), temp));
    if (fd.get() < 0)
        return errorText(errno);
    // The new file gets the old one's permissions and owner (where allowed),
    // or the usual permissions for a new file.
    if (exists) {
        ::fchmod(fd.get(), old.st_mode & 07777);
        // Only the superuser may give a file away; one's own file needs nothing.
        [[maybe_unused]] const int given = ::fchown(fd.get(), old.st_uid, old.st_gid);
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
    if (::rename(temp.c_str(), target.c_str()) != 0)
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
