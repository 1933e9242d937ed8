#pragma once
// What the fuzz targets share: a property check that stops the run, and a
// file of this process's own that a reader of files is given the input in.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>

namespace fuzz {

inline void require(bool ok)
{
    if (!ok)
        std::abort();
}

// Writes the input to a file and returns its path.
inline const std::string& inputFile(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = "/tmp/orla_fuzz_" + std::to_string(::getpid()) + ".txt";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    require(f != nullptr);
    require(size == 0 || std::fwrite(data, 1, size, f) == size);
    std::fclose(f);
    return path;
}

inline std::string_view text(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace fuzz
