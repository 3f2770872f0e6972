#pragma once
// Files the Windows tests create in the temporary folder.
#include <windows.h>

#include <cstdio>
#include <string>

inline std::string testFilePath(const std::string& name) {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

inline std::string writeTestFile(const std::string& name, const std::string& bytes) {
    std::string path = testFilePath(name);
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    return path;
}
