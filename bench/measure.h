#pragma once
// What the benchmark programs share: CPU clocks and how figures are written.

#include <charconv>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fstream>
#include <optional>
#include <string>
#include <sys/resource.h>

namespace bench {

// The CPU time a thread of this process has used, read by another thread
// from what the kernel keeps (/proc/self/task/<tid>/schedstat), so that the
// measured thread makes no call for its measurement.
inline std::optional<double> taskCpuSeconds(long tid)
{
    std::ifstream f("/proc/self/task/" + std::to_string(tid) + "/schedstat");
    std::string ns;
    if (!(f >> ns))
        return std::nullopt;
    long long v = 0;
    if (std::from_chars(ns.data(), ns.data() + ns.size(), v).ec != std::errc())
        return std::nullopt;
    return static_cast<double>(v) * 1e-9;
}

// The id of this process's thread named `name`, or 0.
inline long taskNamed(const std::string& name)
{
    DIR* d = opendir("/proc/self/task");
    if (!d)
        return 0;
    long found = 0;
    while (const dirent* e = readdir(d)) {
        std::ifstream f(std::string("/proc/self/task/") + e->d_name + "/comm");
        std::string comm;
        if (std::getline(f, comm) && comm == name) {
            std::from_chars(e->d_name, e->d_name + std::char_traits<char>::length(e->d_name), found);
            break;
        }
    }
    closedir(d);
    return found;
}

inline double threadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

inline double processCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    const auto s = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6; };
    return s(u.ru_utime) + s(u.ru_stime);
}

// Locale-free, as every number this project writes.
inline std::string fixed(double v, int decimals)
{
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    return ec == std::errc() ? std::string(buf, end) : std::string("?");
}

// The first argument as a whole number, else `fallback`.
inline int countArgument(int argc, char** argv, int fallback)
{
    int v = fallback;
    if (argc > 1)
        std::from_chars(argv[1], argv[1] + std::char_traits<char>::length(argv[1]), v);
    return v;
}

// The benchmarks need no display unless one is asked for.
inline void offscreenUnlessSet()
{
    if (const char* p = std::getenv("QT_QPA_PLATFORM"); !p || !*p)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

}  // namespace bench
