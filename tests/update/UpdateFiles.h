#pragma once
// The files of the release the update_release test made with an update key.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

// `path` inside the update release's folder, as a Windows path.
inline std::wstring InUpdateDir(std::wstring path) {
    std::string dir = UPDATE_DIR;
    std::replace(dir.begin(), dir.end(), '/', '\\');
    return L"Z:" + std::wstring(dir.begin(), dir.end()) + L"\\" + path;
}

inline std::string ReadAll(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    EXPECT_TRUE(file) << "cannot read a file of the update release";
    return {std::istreambuf_iterator<char>(file), {}};
}
