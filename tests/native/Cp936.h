#pragma once
// Code page 936 as glibc's iconv knows it: an authority on where its
// characters start and end that owes nothing to the client's own table.

#include "Iconv.h"

#include <optional>
#include <string>
#include <string_view>

inline const CIconv& Cp936ToUtf32() {
    static const CIconv decoder("UTF-32LE", "CP936");
    return decoder;
}

inline const CIconv& Utf32ToCp936() {
    static const CIconv encoder("CP936", "UTF-32LE");
    return encoder;
}

// The bytes of the character at the start of `text` (1 or 2), when it is one.
inline std::optional<std::size_t> Cp936CharacterLength(std::string_view text) {
    const CIconv::Result one = Cp936ToUtf32().Convert(text.substr(0, 2), 4);
    if (one.out.size() != 4)
        return std::nullopt;
    return one.taken;
}

// Whether iconv waits for a second byte after this one.
inline bool IsCp936LeadByIconv(unsigned char byte) {
    const char alone = static_cast<char>(byte);
    return Cp936ToUtf32().Convert(std::string_view(&alone, 1), 4).error == EINVAL;
}

// The text as UTF-32 code points, when all of it is CP936.
inline std::optional<std::u32string> DecodeCp936(std::string_view text) {
    const CIconv::Result decoded = Cp936ToUtf32().Convert(text, 4 * text.size());
    if (decoded.error != 0 || decoded.taken != text.size())
        return std::nullopt;
    std::u32string points(decoded.out.size() / 4, U'\0');
    for (std::size_t i = 0; i < points.size(); ++i)
        for (int b = 3; b >= 0; --b)
            points[i] = points[i] << 8 | static_cast<unsigned char>(decoded.out[4 * i + b]);
    return points;
}

// The code points back in CP936, when each has a character there.
inline std::optional<std::string> EncodeCp936(std::u32string_view points) {
    std::string bytes;
    for (char32_t point : points)
        for (int b = 0; b < 4; ++b)
            bytes += static_cast<char>(point >> (8 * b) & 0xFF);
    const CIconv::Result encoded = Utf32ToCp936().Convert(bytes, 2 * points.size());
    if (encoded.error != 0 || encoded.taken != bytes.size())
        return std::nullopt;
    return encoded.out;
}
