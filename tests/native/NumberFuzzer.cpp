// Any text through the skin checker's number and colour rules and the game
// window's button arithmetic, with the numbers read as the client reads
// them (atoi). The input is "a|b|c": a and b are the buttons' width and
// offset, and a, b and c the red, green and blue of a colour. Each is
// checked against the C library and the platform's documented layouts, not
// against the rules' own arithmetic:
// - a number is plain exactly when strtoll takes all of it, without leading
//   space, and it fits an int;
// - a channel is fine exactly when it survives the round trip through an
//   unsigned char (the documented 0 to 255), and the value taken is that
//   unsigned char, which the message names;
// - the colour's bytes in memory are red, green, blue and a zero, as a
//   COLORREF (0x00BBGGRR) lies in little-endian memory, and printf's hex of
//   the three channels reads back (strtoul) as the same number;
// - the button's left edge is the difference when the compiler's checked
//   subtraction does not overflow, else the int limit on the side it went.

#include "GameLayout.h"
#include "SkinRules.h"

#include <bit>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

static_assert(std::endian::native == std::endian::little, "the COLORREF layout is little-endian");

void Require(bool condition) {
    if (!condition)
        std::abort();
}

bool PlainByTheLibrary(const std::string& text) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0])))
        return false;
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    return errno == 0 && end == text.c_str() + text.size() && value >= INT_MIN && value <= INT_MAX;
}

// The channel a value gives, and whether it is within the documented range.
void CheckChannel(int readAs) {
    const unsigned char taken = static_cast<unsigned char>(readAs);
    const std::optional<Problem> problem = ChannelProblem(readAs);
    Require(problem.has_value() != (static_cast<int>(taken) == readAs));
    if (problem)
        Require(problem->message.ends_with("giving " + std::to_string(taken)));
}

void CheckNumber(const std::string& text) {
    const int readAs = std::atoi(text.c_str());
    const std::optional<Problem> problem = NumberProblem(text, readAs);
    Require(problem.has_value() != PlainByTheLibrary(text));
    if (problem)
        Require(problem->message.find("reads it as " + std::to_string(readAs)) !=
                std::string::npos);
    CheckChannel(readAs);
}

void CheckColour(int red, int green, int blue) {
    const std::uint32_t colour = ColourFromChannels(red, green, blue);
    unsigned char bytes[4];
    std::memcpy(bytes, &colour, sizeof bytes);
    Require(bytes[0] == static_cast<unsigned char>(red) &&
            bytes[1] == static_cast<unsigned char>(green) &&
            bytes[2] == static_cast<unsigned char>(blue) && bytes[3] == 0);
    char hex[16];
    std::snprintf(hex, sizeof hex, "%02X%02X%02X", static_cast<unsigned char>(blue),
                  static_cast<unsigned char>(green), static_cast<unsigned char>(red));
    Require(std::strtoul(hex, nullptr, 16) == colour);
}

void CheckButtonLeft(int width, int offset) {
    int difference = 0;
    const int left = ButtonLeft(width, offset);
    if (!__builtin_sub_overflow(width, offset, &difference))
        Require(left == difference);
    else
        Require(left == (offset < 0 ? INT_MAX : INT_MIN));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A value in config.xml holds no NUL; atoi would stop at one.
    std::string text(reinterpret_cast<const char*>(data), size);
    text = text.substr(0, text.find('\0'));
    std::string fields[3];
    for (std::string& field : fields) {
        const std::size_t bar = text.find('|');
        field = text.substr(0, bar);
        text = bar == std::string::npos ? "" : text.substr(bar + 1);
        CheckNumber(field);
    }
    const int a = std::atoi(fields[0].c_str()), b = std::atoi(fields[1].c_str()),
              c = std::atoi(fields[2].c_str());
    CheckButtonLeft(a, b);
    CheckColour(a, b, c);
    return 0;
}
