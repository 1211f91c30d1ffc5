#pragma once
// Whether an icon file (.ico) holds the images its directory promises. The
// system's icon loaders trust the directory: an entry whose offset and size
// add up past 32 bits passes their own bounds check and has them copy from
// far outside the file. Portable (no platform types), so it is also fuzzed
// natively.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

// What keeps `file` from being an icon whose every image lies inside it, as
// a phrase that follows the file's name ("is an icon cut short"); nothing
// when it is one.
std::optional<std::string> IconProblem(std::span<const std::uint8_t> file);
