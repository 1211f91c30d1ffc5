// Any text and width through the line splitting: the first byte is the
// width, the rest the text. The bisecting splitter must give the lines of the
// character-by-character reading.

#include "ReferenceSplit.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    int width = data[0] - 8;
    std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    if (SplitTextLines(text, width, ByteWeightedWidth) !=
        ReferenceSplit(text, width, ByteWeightedWidth))
        std::abort();
    return 0;
}
