#pragma once
// A C file that closes itself.
#include <cstdio>
#include <memory>
#include <string>

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

inline File openFile(const std::string& path, const char* mode) { return File(std::fopen(path.c_str(), mode)); }
