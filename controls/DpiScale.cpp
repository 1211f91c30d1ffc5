#include "DpiScale.h"

namespace {

constexpr char kTwiceSizeMark[] = "@2x";

// Where the extension of the last path element starts, or the end of the
// path when that element has none. A leading dot ("data\\.bmp") names a
// file, not an extension.
std::size_t ExtensionStart(const std::string& path) {
    const std::size_t nameStart = path.find_last_of("\\/:");
    const std::size_t first = nameStart == std::string::npos ? 0 : nameStart + 1;
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot <= first)
        return path.size();
    return dot;
}

} // namespace

std::string TwiceSizeName(const std::string& path) {
    std::string name = path;
    name.insert(ExtensionStart(path), kTwiceSizeMark);
    return name;
}

std::string BaseNameOfTwiceSize(const std::string& path) {
    const std::size_t extension = ExtensionStart(path);
    const std::size_t mark = sizeof(kTwiceSizeMark) - 1;
    const std::size_t nameStart = path.find_last_of("\\/:");
    const std::size_t first = nameStart == std::string::npos ? 0 : nameStart + 1;
    // "@2x.bmp" alone is no image's twice-size version.
    if (extension < first + mark + 1 || path.compare(extension - mark, mark, kTwiceSizeMark) != 0)
        return {};
    std::string base = path;
    base.erase(extension - mark, mark);
    return base;
}
