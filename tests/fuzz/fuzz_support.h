#pragma once
// What the fuzz targets share: a property check that stops the run, and a
// file in a folder of this process's own that a reader of files is given the
// input in; the folder goes when the process exits.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>

namespace fuzz {

inline void require(bool ok)
{
    if (!ok)
        std::abort();
}

// A folder of this process's own below TMPDIR (else /tmp), made at the first
// call and removed with what it holds when the process exits.
inline const std::string& privateFolder()
{
    struct Folder {
        std::string path;
        Folder()
        {
            const char* tmp = std::getenv("TMPDIR");
            std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/orla_fuzz_XXXXXX";
            require(::mkdtemp(pattern.data()) != nullptr);
            path = pattern;
        }
        ~Folder()
        {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    };
    static const Folder folder;
    return folder.path;
}

// Writes the input to a file and returns its path.
inline const std::string& inputFile(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = privateFolder() + "/input.txt";
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
