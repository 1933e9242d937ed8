// What the benchmark scripts need of the X display they started, done as a
// client of it rather than inside the measured program:
//
//   x_probe start <runs> <title>=<program> ...
//       starts each program in turn, <runs> times, and times it from the
//       start to the mapping of its top-level window whose name holds
//       <title>; ends each run's program (by its id) and prints the
//       fastest, median and slowest start of each, and how many were under
//       100 ms.
//   x_probe keys <title> <key> ...
//       types the keys ("Tab", "space", "Return") into the window whose
//       name holds <title>, as key events sent to it.
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <csignal>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Display {
    xcb_connection_t* c = nullptr;
    xcb_window_t root = 0;

    bool open()
    {
        c = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(c))
            return false;
        root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        return true;
    }
    ~Display()
    {
        if (c)
            xcb_disconnect(c);
    }

    std::string name(xcb_window_t w) const
    {
        auto* r = xcb_get_property_reply(
            c, xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr);
        std::string s;
        if (r) {
            s.assign(static_cast<const char*>(xcb_get_property_value(r)),
                     static_cast<std::size_t>(xcb_get_property_value_length(r)));
            std::free(r);
        }
        return s;
    }

    std::optional<xcb_window_t> topLevel(const std::string& title) const
    {
        auto* r = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
        if (!r)
            return std::nullopt;
        std::optional<xcb_window_t> found;
        const xcb_window_t* kids = xcb_query_tree_children(r);
        for (int i = 0; i < xcb_query_tree_children_length(r) && !found; ++i)
            if (name(kids[i]).find(title) != std::string::npos)
                found = kids[i];
        std::free(r);
        return found;
    }

    std::optional<xcb_keycode_t> keycode(xcb_keysym_t sym) const
    {
        const xcb_setup_t* setup = xcb_get_setup(c);
        const int count = setup->max_keycode - setup->min_keycode + 1;
        auto* r = xcb_get_keyboard_mapping_reply(
            c, xcb_get_keyboard_mapping(c, setup->min_keycode, static_cast<std::uint8_t>(count)), nullptr);
        if (!r)
            return std::nullopt;
        std::optional<xcb_keycode_t> code;
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(r);
        for (int k = 0; k < count && !code; ++k)
            for (int j = 0; j < r->keysyms_per_keycode; ++j)
                if (syms[k * r->keysyms_per_keycode + j] == sym)
                    code = static_cast<xcb_keycode_t>(setup->min_keycode + k);
        std::free(r);
        return code;
    }
};

int keys(Display& d, const std::string& title, const std::vector<std::string>& names)
{
    const auto w = d.topLevel(title);
    if (!w) {
        std::fprintf(stderr, "x_probe: no window named \"%s\"\n", title.c_str());
        return 1;
    }
    for (const std::string& n : names) {
        const xcb_keysym_t sym = n == "Tab" ? 0xff09 : n == "Return" ? 0xff0d : n == "space" ? 0x20 : 0;
        const auto code = sym ? d.keycode(sym) : std::nullopt;
        if (!code) {
            std::fprintf(stderr, "x_probe: no key \"%s\"\n", n.c_str());
            return 1;
        }
        for (const int type : {XCB_KEY_PRESS, XCB_KEY_RELEASE}) {
            xcb_key_press_event_t e{};
            e.response_type = static_cast<std::uint8_t>(type);
            e.detail = *code;
            e.root = d.root;
            e.event = *w;
            e.child = XCB_NONE;
            e.same_screen = 1;
            e.time = XCB_CURRENT_TIME;
            xcb_send_event(d.c, 1, *w, type == XCB_KEY_PRESS ? XCB_EVENT_MASK_KEY_PRESS : XCB_EVENT_MASK_KEY_RELEASE,
                           reinterpret_cast<const char*>(&e));
        }
        std::free(xcb_get_input_focus_reply(d.c, xcb_get_input_focus(d.c), nullptr));  // a round trip: sent
    }
    return 0;
}

pid_t g_child = 0;

void endChild()
{
    if (g_child <= 0)
        return;
    kill(g_child, SIGTERM);
    int status = 0;
    for (int i = 0; i < 500 && waitpid(g_child, &status, WNOHANG) == 0; ++i)
        usleep(10'000);
    if (waitpid(g_child, &status, WNOHANG) == 0) {
        kill(g_child, SIGKILL);
        waitpid(g_child, &status, 0);
    }
    g_child = 0;
}

void onSignal(int sig)
{
    if (g_child > 0)
        kill(g_child, SIGKILL);
    _exit(128 + sig);
}

// One start of `program`: milliseconds to the mapping of its window.
std::optional<double> startOnce(Display& d, const std::string& title, const std::string& program)
{
    const auto t0 = Clock::now();
    g_child = fork();
    if (g_child == 0) {
        if (const int null = open("/dev/null", O_WRONLY); null >= 0) {
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
        }
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    std::optional<double> ms;
    const auto until = t0 + std::chrono::seconds(10);
    while (!ms && Clock::now() < until) {
        xcb_generic_event_t* e = xcb_poll_for_event(d.c);
        if (!e) {
            if (xcb_connection_has_error(d.c))
                break;
            pollfd p{xcb_get_file_descriptor(d.c), POLLIN, 0};
            poll(&p, 1, 100);
            continue;
        }
        if ((e->response_type & 0x7f) == XCB_MAP_NOTIFY) {
            const auto* m = reinterpret_cast<xcb_map_notify_event_t*>(e);
            if (d.name(m->window).find(title) != std::string::npos)
                ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        }
        std::free(e);
    }
    endChild();
    return ms;
}

int start(Display& d, int runs, const std::vector<std::string>& programs)
{
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(d.c, d.root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(d.c);
    std::vector<std::vector<double>> times(programs.size());
    for (int r = 0; r < runs; ++r)
        for (std::size_t i = 0; i < programs.size(); ++i) {
            const auto eq = programs[i].find('=');
            const auto ms = startOnce(d, programs[i].substr(0, eq), programs[i].substr(eq + 1));
            if (!ms) {
                std::fprintf(stderr, "x_probe: %s mapped no window in 10 s\n", programs[i].c_str());
                return 1;
            }
            times[i].push_back(*ms);
        }
    std::printf("start to window mapped, %d runs each, taking turns (ms)\n", runs);
    std::printf("%-40s %8s %8s %8s %12s\n", "", "fastest", "median", "slowest", "under 100");
    for (std::size_t i = 0; i < programs.size(); ++i) {
        std::vector<double>& t = times[i];
        std::sort(t.begin(), t.end());
        const long under = std::count_if(t.begin(), t.end(), [](double v) { return v < 100.0; });
        const std::string who = programs[i].substr(programs[i].find('=') + 1);
        std::printf("%-40s %8.1f %8.1f %8.1f %7ld of %d\n", who.c_str(), t.front(), t[t.size() / 2], t.back(), under,
                    runs);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGHUP, onSignal);
    Display d;
    if (!d.open()) {
        std::fprintf(stderr, "x_probe: cannot open the display\n");
        return 1;
    }
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 3 && args[0] == "keys")
        return keys(d, args[1], {args.begin() + 2, args.end()});
    if (args.size() >= 3 && args[0] == "start")
        return start(d, std::max(1, std::atoi(args[1].c_str())), {args.begin() + 2, args.end()});
    std::fprintf(stderr, "usage: x_probe start <runs> <title>=<program> ... | keys <title> <key> ...\n");
    return 2;
}
