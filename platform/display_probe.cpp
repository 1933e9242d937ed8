#include "platform/display_probe.h"

#include <xcb/xcb.h>

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

bool XDisplayProbe::answers(const std::string& name)
{
    int screen = 0;
    xcb_connection_t* c = xcb_connect(name.empty() ? nullptr : name.c_str(), &screen);
    const bool answers = xcb_connection_has_error(c) == 0 && screen >= 0 &&
                         screen < xcb_setup_roots_length(xcb_get_setup(c));
    if (!answers) {
        xcb_disconnect(c);
        return false;
    }
    release();
    held_ = c;
    return true;
}

void XDisplayProbe::release()
{
    if (held_)
        xcb_disconnect(held_);
    held_ = nullptr;
}

bool waylandDisplayAnswers(const std::string& name, const std::string& runtimeDir)
{
    if (name.empty())
        return false;
    std::string path = name;
    if (name.front() != '/') {
        if (runtimeDir.empty())
            return false;
        path = runtimeDir + "/" + name;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool answers = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return answers;
}

}  // namespace platform
