#pragma once
// GIF files put together block by block, so each test says exactly which
// bytes the walk meets.

#include <cstdint>
#include <string_view>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

inline Bytes& operator+=(Bytes& head, const Bytes& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

inline Bytes operator+(Bytes head, const Bytes& tail) {
    return head += tail;
}

inline Bytes Word(int value) {
    return {static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>(value >> 8)};
}

// A colour table of 2^(exponent + 1) entries, or none for a negative exponent;
// returns the packed-field bits announcing it.
inline std::uint8_t ColourTable(int exponent, Bytes& table) {
    if (exponent < 0)
        return 0;
    table.assign(std::size_t{3} << (exponent + 1), 0x7F);
    return static_cast<std::uint8_t>(0x80 | exponent);
}

inline Bytes Header(int width, int height, int tableExponent = 0) {
    Bytes table;
    std::uint8_t packed = ColourTable(tableExponent, table);
    Bytes screen = Word(width) + Word(height) + Bytes{packed, 0, 0};
    return Bytes{'G', 'I', 'F', '8', '9', 'a'} + screen + table;
}

inline Bytes GraphicControl(int delay, int disposal) {
    std::uint8_t packed = static_cast<std::uint8_t>(disposal << 2);
    return Bytes{0x21, 0xF9, 0x04, packed} + Word(delay) + Bytes{0, 0};
}

inline Bytes Image(int left, int top, int width, int height, int tableExponent = -1) {
    Bytes table;
    std::uint8_t packed = ColourTable(tableExponent, table);
    Bytes descriptor = Bytes{0x2C} + Word(left) + Word(top) + Word(width) + Word(height);
    // LZW code size 2, one sub-block of two bytes of data, terminator.
    return descriptor + Bytes{packed} + table + Bytes{0x02, 0x02, 0x44, 0x01, 0x00};
}

inline Bytes Application() {
    Bytes head = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    return head + Bytes{0x03, 0x01, 0x00, 0x00, 0x00};
}

inline Bytes Comment(std::string_view text) {
    Bytes block = {0x21, 0xFE, static_cast<std::uint8_t>(text.size())};
    block.insert(block.end(), text.begin(), text.end());
    return block + Bytes{0x00};
}

inline Bytes PlainText() {
    Bytes head = {0x21, 0x01, 0x0C};
    head.resize(head.size() + 12, 0x01);
    return head + Bytes{0x02, 'h', 'i', 0x00};
}

inline Bytes Trailer() {
    return {0x3B};
}
