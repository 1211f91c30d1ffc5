#include "SkinRules.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cstdlib>

namespace {

bool IsSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// The decimal integer `text` spells, sign and digits only.
std::optional<long long> PlainInteger(std::string_view text) {
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    long long value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// The number `text` spells when all of it is one, in any notation strtod takes.
std::optional<double> WholeNumber(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    std::string copy(text);
    char* end = nullptr;
    double value = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size())
        return std::nullopt;
    return value;
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

size_t EditDistance(std::string_view a, std::string_view b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameIgnoringCase(text.substr(0, prefix.size()), prefix);
}

} // namespace

std::optional<Problem> NumberProblem(std::string_view written, long long readAs) {
    const std::string reading = "the client reads it as " + std::to_string(readAs);
    const std::string_view core = Trimmed(written);
    if (core.empty())
        return Problem{Severity::Warning, "is empty: " + reading};
    std::string_view digits = core;
    if (digits.front() == '+' || digits.front() == '-')
        digits.remove_prefix(1);
    const size_t leadingDigits =
        std::find_if_not(digits.begin(), digits.end(),
                         [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }) -
        digits.begin();
    if (leadingDigits > 0 && leadingDigits == digits.size()) {
        std::optional<long long> plain = PlainInteger(core);
        if (!plain || *plain < INT_MIN || *plain > INT_MAX || *plain != readAs)
            return Problem{Severity::Error, Quoted(written) + " is beyond 32 bits: " + reading};
        if (core.size() == written.size())
            return std::nullopt;
        return Problem{Severity::Warning,
                       Quoted(written) + " has spaces around the number: " + reading};
    }
    if (std::optional<double> meant = WholeNumber(core))
        return Problem{*meant == static_cast<double>(readAs) ? Severity::Warning : Severity::Error,
                       Quoted(written) + " is not a whole number in digits: " + reading};
    if (leadingDigits > 0)
        return Problem{Severity::Warning, Quoted(written) + " is not a plain number: " + reading +
                                              ", ignoring what follows the digits"};
    return Problem{Severity::Error, Quoted(written) + " is not a number: " + reading};
}

FileKind SniffFileKind(std::string_view start) {
    if (start.starts_with("BM"))
        return FileKind::Bitmap;
    if (start.starts_with("\x89PNG"))
        return FileKind::Png;
    if (start.starts_with("GIF8"))
        return FileKind::Gif;
    if (start.starts_with("\xFF\xD8\xFF"))
        return FileKind::Jpeg;
    if (start.starts_with(std::string_view("\0\0\1\0", 4)))
        return FileKind::Icon;
    return FileKind::Other;
}

std::optional<Problem> ChannelProblem(int readAs) {
    if (readAs >= 0 && readAs <= 255)
        return std::nullopt;
    const int taken = static_cast<int>(static_cast<unsigned>(readAs) & 0xFFu);
    return Problem{Severity::Error, std::to_string(readAs) +
                                        " is outside 0 to 255: the client takes it modulo 256, "
                                        "giving " +
                                        std::to_string(taken)};
}

std::optional<Problem> AddressProblem(std::string_view address) {
    for (std::string_view scheme : {"http://", "https://"}) {
        if (StartsWithIgnoringCase(address, scheme) && address.size() > scheme.size() &&
            address[scheme.size()] != '/' && std::none_of(address.begin(), address.end(), IsSpace))
            return std::nullopt;
    }
    return Problem{Severity::Warning,
                   Quoted(address) + " is not an absolute http or https address"};
}

std::string NearestKey(std::string_view unknown, const std::vector<SkinKey>& keys) {
    std::string nearest;
    size_t best = std::max<size_t>(3, unknown.size() / 5) + 1;
    for (const SkinKey& key : keys) {
        if (SameIgnoringCase(unknown, key.name))
            return key.name;
        size_t distance = EditDistance(unknown, key.name);
        if (distance < best) {
            best = distance;
            nearest = key.name;
        }
    }
    return nearest;
}

bool Overlap(const Box& a, const Box& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}

bool Inside(const Box& box, long long width, long long height) {
    return box.x >= 0 && box.y >= 0 && box.x + box.width <= width && box.y + box.height <= height;
}
