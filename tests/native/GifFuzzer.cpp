// Any bytes through the GIF walk. Besides the sanitizers' checks: counting and
// cutting agree, and every cut-out frame is itself a GIF of exactly that one
// frame, which cuts out to the same bytes.

#include "GifBlocks.h"

#include <cstdlib>

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

bool SameFrame(const GifFrame& a, const GifFrame& b) {
    return a.standaloneGif == b.standaloneGif && a.left == b.left && a.top == b.top &&
           a.width == b.width && a.height == b.height && a.delayMs == b.delayMs &&
           a.disposal == b.disposal;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    GifData gif(data, size);
    std::vector<GifFrame> frames = CutGifFrames(gif);
    Require(frames.size() == CountGifFrames(gif));
    Require(frames.empty() || ReadGifScreen(gif));
    for (const GifFrame& frame : frames) {
        std::vector<GifFrame> again = CutGifFrames(GifData(frame.standaloneGif));
        Require(again.size() == 1 && SameFrame(frame, again[0]));
        Require(frame.disposal >= 0 && frame.disposal <= 7);
    }
    return 0;
}
