#pragma once
// The bytes of a version information resource (VS_VERSIONINFO) with one
// string table, as the resource compiler lays them out.

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct VersionStrings {
    WORD language;
    WORD codePage;
    // Name and value pairs, in the order they are written.
    std::vector<std::pair<std::wstring, std::wstring>> values;
};

std::vector<std::uint8_t> BuildVersionResource(const VS_FIXEDFILEINFO& fixed,
                                               const VersionStrings& strings);
