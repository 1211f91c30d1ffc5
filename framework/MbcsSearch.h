#pragma once
// Searches in narrow text of a multi-byte code page that only match at the
// start of a character, never on the trail byte of a double-byte one.
// Portable (no platform types); `isLeadByte(byte)` tells whether a byte
// starts a double-byte character. A lead byte at the very end counts as a
// character of its own.

#include <string_view>

// Calls visit(offset) at the first byte of each character until it returns false.
template <class LeadByteTest, class Visit>
void ForEachCharacter(std::string_view text, const LeadByteTest& isLeadByte, Visit visit) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (!visit(i))
            return;
        if (isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size())
            ++i;
    }
}

// Where `needle` first occurs in `text` starting at a character; npos when absent.
template <class LeadByteTest>
size_t FindAtCharacter(std::string_view text, std::string_view needle,
                       const LeadByteTest& isLeadByte) {
    if (needle.empty())
        return 0;
    size_t found = std::string_view::npos;
    ForEachCharacter(text, isLeadByte, [&](size_t i) {
        if (text.compare(i, needle.size(), needle) != 0)
            return true;
        found = i;
        return false;
    });
    return found;
}

// Where the single-byte character `ch` last occurs in `text`; npos when absent.
template <class LeadByteTest>
size_t FindLastCharacter(std::string_view text, char ch, const LeadByteTest& isLeadByte) {
    size_t found = std::string_view::npos;
    ForEachCharacter(text, isLeadByte, [&](size_t i) {
        if (text[i] == ch)
            found = i;
        return true;
    });
    return found;
}
