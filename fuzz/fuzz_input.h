// The fuzz input as a file: the readers under test take paths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fuzz {

inline std::string &folder_path()
{
    static std::string path;
    return path;
}

inline void remove_folder()
{
    std::error_code ec;
    std::filesystem::remove_all(folder_path(), ec);
}

// A folder of this process's own, made once, reused by every input and
// removed at exit.
inline const std::string &folder()
{
    std::string &path = folder_path();
    if (path.empty()) {
        char name[] = "/tmp/corvane-fuzz-XXXXXX";
        if (!mkdtemp(name))
            std::abort();
        path = name;
        std::atexit(remove_folder);
    }
    return path;
}

// Writes the input to a file of the given name in the folder; its path.
inline std::string write_input(const uint8_t *data, size_t size, const std::string &name)
{
    std::string path = folder() + "/" + name;
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return path;
    if (size)
        std::fwrite(data, 1, size, f);
    std::fclose(f);
    return path;
}

inline void remove_file(const std::string &path)
{
    ::unlink(path.c_str());
}

} // namespace fuzz
