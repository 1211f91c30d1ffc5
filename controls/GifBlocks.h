#pragma once
// The GIF block walk of the animated picture: it finds the frames of a GIF file
// and cuts each into a standalone single-image GIF that the platform's picture
// decoder can load (it decodes only the first image of a file). Frame timing
// and disposal are read here, since the decoder does not report them.
// Portable on purpose (bytes in, bytes out), so it is also fuzzed natively.
// Every read is bounds-checked: malformed input gives fewer frames, never more.
// A frame without a colour table, neither the screen's nor its own, is never
// a frame: decoders read its palette without looking whether there is one.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

using GifData = std::span<const std::uint8_t>;

// Every decoded frame is kept for the life of the control, so an animation's
// memory grows with its frame count. Frames after this many are ignored: a
// longer animation plays its first 1000 frames in a loop.
inline constexpr std::size_t kMaxGifFrames = 1000;

// A frame's delay when its file gives none, or a delay under 5 hundredths:
// what browsers play, rather than a frame that never ends or a busy loop.
inline constexpr unsigned kDefaultGifDelayMs = 100;

// The logical screen: the picture's size and the global colour table.
struct GifScreen {
    int width = 0;
    int height = 0;
    std::size_t colourTableBytes = 0; // 0 when the file has no global colour table
};

struct GifFrame {
    // Header, logical screen and global colour table of the file, then the
    // frame's own blocks from its graphic control extension on, then a trailer.
    std::vector<std::uint8_t> standaloneGif;
    // Where the frame lies within the logical screen.
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    unsigned delayMs = kDefaultGifDelayMs;
    int disposal = 0; // 0-7: 2 restores the background, 3 the previous pixels
};

// The data starts with "GIF"; such data is never handed to the decoder whole
// unless it holds exactly one frame.
bool IsGif(GifData data);
// Empty when the data is no GIF, is shorter than the logical screen
// descriptor, or ends inside the global colour table.
std::optional<GifScreen> ReadGifScreen(GifData data);
// The frames (image or plain-text blocks) with a colour table that the walk
// reaches before the trailer, an unknown block or a block that runs off the
// end; at most kMaxGifFrames.
std::size_t CountGifFrames(GifData data);
// The frames the walk reaches, however many, that have no colour table.
std::size_t CountGifFramesWithoutColourTable(GifData data);
// The same frames as CountGifFrames counts, cut out.
std::vector<GifFrame> CutGifFrames(GifData data);
