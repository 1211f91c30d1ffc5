// Any text through the skin checker's number and colour rules and the game
// window's button arithmetic, with the numbers read as the client reads
// them (atoi), against the C library's own conversion of the same text: a
// number is plain exactly when strtoll takes all of it, without leading
// space, and it fits an int. The input is "width|offset" for the buttons.

#include "GameLayout.h"
#include "SkinRules.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

namespace {

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
    return errno == 0 && end == text.c_str() + text.size() && value >= INT_MIN &&
           value <= INT_MAX;
}

void CheckNumber(const std::string& text) {
    const int readAs = std::atoi(text.c_str());
    const std::optional<Problem> problem = NumberProblem(text, readAs);
    Require(problem.has_value() != PlainByTheLibrary(text));
    if (problem)
        Require(problem->message.find("reads it as " + std::to_string(readAs)) != std::string::npos);
    const std::optional<Problem> channel = ChannelProblem(readAs);
    Require(channel.has_value() == (readAs < 0 || readAs > 255));
    const std::uint32_t taken = ColourFromChannels(readAs, readAs, readAs);
    Require(taken == (static_cast<std::uint32_t>(readAs) & 0xFF) * 0x010101u);
    if (channel)
        Require(channel->message.ends_with("giving " + std::to_string(taken & 0xFF)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A value in config.xml holds no NUL; atoi would stop at one.
    std::string text(reinterpret_cast<const char*>(data), size);
    text = text.substr(0, text.find('\0'));
    const std::size_t bar = text.find('|');
    const std::string width = text.substr(0, bar);
    const std::string offset = bar == std::string::npos ? "" : text.substr(bar + 1);
    CheckNumber(width);
    CheckNumber(offset);
    const long long left =
        static_cast<long long>(std::atoi(width.c_str())) - std::atoi(offset.c_str());
    Require(ButtonLeft(std::atoi(width.c_str()), std::atoi(offset.c_str())) ==
            (left < INT_MIN ? INT_MIN : left > INT_MAX ? INT_MAX : left));
    return 0;
}
