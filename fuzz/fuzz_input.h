// The fuzz input as a file: the readers under test take paths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace fuzz {

// A folder of this process's own, made once and reused by every input.
inline const std::string &folder()
{
    static const std::string path = [] {
        char name[] = "/tmp/corvane-fuzz-XXXXXX";
        const char *made = mkdtemp(name);
        return std::string(made ? made : "/tmp");
    }();
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
