#pragma once
// The skin checker's rules that need no window: how the client reads a
// number, which key a mistyped one was meant to be, what an address must
// look like, and where boxes lie. They build natively for the sanitizer tests.

#include "SkinKeys.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class Severity { Warning, Error };

struct Problem {
    Severity severity;
    std::string message;
};

// What is wrong with `written` as a number, given that the client (atoi)
// reads it as `readAs`; nothing when it reads as written.
std::optional<Problem> NumberProblem(std::string_view written, long long readAs);
// A colour channel the client takes modulo 256.
std::optional<Problem> ChannelProblem(int readAs);
// Anything but an absolute http or https address.
std::optional<Problem> AddressProblem(std::string_view address);

// What a skin's file is: why it could not be read, or what its first bytes
// say it holds.
enum class FileKind { Missing, Folder, Device, Unreadable, Bitmap, Png, Gif, Jpeg, Icon, Other };

// The kind of image a file's first bytes (eight are enough) announce: Bitmap,
// Png, Gif, Jpeg, Icon or Other.
FileKind SniffFileKind(std::string_view start);

// The key the client reads that `unknown` most likely was meant to be, or ""
// when none is near: the same letters in another case, or a few edits away.
std::string NearestKey(std::string_view unknown, const std::vector<SkinKey>& keys);

struct Box {
    long long x = 0;
    long long y = 0;
    long long width = 0;
    long long height = 0;
};

bool Overlap(const Box& a, const Box& b);
// Whether `box` lies wholly within 0, 0, width, height.
bool Inside(const Box& box, long long width, long long height);
