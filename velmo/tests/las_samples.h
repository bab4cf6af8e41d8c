// The real LAS files the tests read, kept in the repository's testdata/las.
// A missing sample stops its test with the file's name instead of handing
// the test an empty buffer to read past.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

inline std::string las_sample(const std::string &name)
{
    const std::string path = std::string(CORVANE_TEST_LAS_DIR) + "/" + name;
    if (!std::filesystem::is_regular_file(path))
        throw std::runtime_error("sample LAS file is missing: " + path);
    return path;
}

inline std::string las_sample_bytes(const std::string &name)
{
    const std::string path = las_sample(name);
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof())
        throw std::runtime_error("sample LAS file cannot be read: " + path);
    if (bytes.empty())
        throw std::runtime_error("sample LAS file is empty: " + path);
    return bytes;
}

// Every sample, sorted by name; at least the four the tests are written for.
inline std::vector<std::string> las_samples()
{
    const std::filesystem::path dir(CORVANE_TEST_LAS_DIR);
    if (!std::filesystem::is_directory(dir))
        throw std::runtime_error("folder of sample LAS files is missing: " + dir.string());
    std::vector<std::string> paths;
    for (const auto &entry : std::filesystem::directory_iterator(dir))
        if (entry.path().extension() == ".las")
            paths.push_back(entry.path().string());
    std::sort(paths.begin(), paths.end());
    if (paths.size() < 4)
        throw std::runtime_error("fewer than four sample LAS files in " + dir.string());
    return paths;
}
