#pragma once
// The wrapping rules read plainly: grow a candidate one character at a time and
// measure every length. Slow, and obviously right; the bisecting splitter must
// give the same lines for any width that never shrinks as text grows.

#include "TextLayout.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Each byte has its own width (1 to 13), so breaks fall at uneven places.
inline int ByteWeightedWidth(std::string_view text) {
    int width = 0;
    for (char byte : text)
        width += 1 + static_cast<unsigned char>(byte) % 13;
    return width;
}

inline std::vector<std::string> ReferenceSplit(std::string_view text, int width,
                                               const TextWidthFn& measure) {
    std::vector<std::string> lines;
    // A CR LF or LF CR pair, or a lone CR or LF, at the start of the rest.
    auto breakLength = [&]() -> std::size_t {
        if (text.empty() || (text[0] != '\r' && text[0] != '\n'))
            return 0;
        char other = text[0] == '\r' ? '\n' : '\r';
        return text.size() > 1 && text[1] == other ? 2 : 1;
    };
    // A line's end and a line break right after it end the same line.
    auto take = [&](std::size_t lineLength, std::size_t consumed) {
        lines.emplace_back(text.substr(0, lineLength));
        text.remove_prefix(consumed);
        text.remove_prefix(breakLength());
    };
    while (!text.empty()) {
        std::size_t end = 0;
        std::optional<std::size_t> lastSpace;
        for (;;) {
            if (end == text.size()) {
                take(end, end);
                break;
            }
            char ch = text[end];
            if (ch == '\r' || ch == '\n') {
                take(end, end);
                break;
            }
            bool lead = IsCp936LeadByte(static_cast<unsigned char>(ch)) && end + 1 < text.size();
            std::size_t next = end + (lead ? 2 : 1);
            if (measure(text.substr(0, next)) > width) {
                if (end == 0)
                    take(next, next);
                else if (!lastSpace || *lastSpace + 1 == end)
                    take(end, end);
                else
                    take(*lastSpace, *lastSpace + 1);
                break;
            }
            if (ch == ' ')
                lastSpace = end;
            end = next;
        }
    }
    return lines;
}
