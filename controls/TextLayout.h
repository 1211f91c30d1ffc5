#pragma once
// The line splitting of the styled static text: narrow text in a multi-byte
// code page, wrapped into lines that fit a width. Portable on purpose (the
// width comes from a callback), so it is also tested and fuzzed natively.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The width of a piece of text as it would be drawn. Wrapping assumes that a
// piece never gets narrower when a character is added to it.
using TextWidthFn = std::function<int(std::string_view)>;
// Whether a byte starts a double-byte character.
using LeadBytePredicate = std::function<bool(unsigned char)>;

// Code page 936 (simplified Chinese), the client's code page.
bool IsCp936LeadByte(unsigned char byte);

// Splits `text` into the lines to draw, top to bottom:
// - CR LF, LF CR, and a lone CR or LF end a line; breaks in a row leave empty
//   lines between them, a break at the very end adds none;
// - a line that is too wide breaks after its last space that fits (that space
//   is dropped), or keeps a space it ends with;
// - a word with no space that fits is cut between characters, never inside a
//   double-byte character;
// - a character wider than `width` gets a line of its own.
// Breaks are found by bisection, so `measure` is called about twice the
// logarithm of the line's length per line, never twice for one candidate.
std::vector<std::string> SplitTextLines(std::string_view text, int width,
                                        const TextWidthFn& measure,
                                        const LeadBytePredicate& isLeadByte = IsCp936LeadByte);
