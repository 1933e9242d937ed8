#pragma once
// What the benchmark programs share: CPU clocks and how figures are written.

#include <charconv>
#include <ctime>
#include <string>
#include <sys/resource.h>

namespace bench {

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

}  // namespace bench
