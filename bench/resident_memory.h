// What the memory benchmarks print: name=value figures and the process's
// resident memory, at the steps of a long run worth a line.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace bench {

inline void Print(const std::string &name, double value)
{
    std::printf("%s=%.6g\n", name.c_str(), value);
    std::fflush(stdout);
}

// A figure of /proc/self/status in MB (VmRSS, VmHWM, RssAnon ...); -1 when
// it is not there.
inline double StatusMb(const char *key)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    const size_t length = std::strlen(key);
    while (std::getline(in, line))
        if (line.compare(0, length, key) == 0 && line.size() > length && line[length] == ':')
            return std::atof(line.c_str() + length + 1) / 1024.0;
    return -1;
}

// The first, tenth, twentieth and every hundredth step, and the last.
inline bool Milestone(int step, int last)
{
    return step == last || step == 1 || step == 10 || step == 20 || step % 100 == 0;
}

} // namespace bench
