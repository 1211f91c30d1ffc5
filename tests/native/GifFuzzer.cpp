// Any bytes through the GIF walk, against a second reader: GIFLIB, Debian's
// GIF library, walked record by record (its raster data is skipped, not
// decoded). Where GIFLIB reads a file through to its trailer, the walk must
// find the same frames: the same rectangles, the same timing from their one
// graphic control extension, and a frame with a colour table exactly where
// GIFLIB finds a table for it (its own or the screen's); and every frame the
// walk cuts out must read in GIFLIB as a GIF of that one frame.

#include "GifBlocks.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

struct Input {
    GifData data;
    std::size_t at = 0;
};

int ReadInput(GifFileType* gif, GifByteType* buffer, int length) {
    auto* input = static_cast<Input*>(gif->UserData);
    const std::size_t count =
        std::min(static_cast<std::size_t>(length), input->data.size() - input->at);
    std::memcpy(buffer, input->data.data() + input->at, count);
    input->at += count;
    return static_cast<int>(count);
}

// A frame as GIFLIB's records describe it.
struct ReferenceFrame {
    int left = 0, top = 0, width = 0, height = 0;
    bool hasColourTable = false;
    int graphicControls = 0; // the extensions since the frame before
    unsigned delayHundredths = 0;
    int disposal = 0;
};

struct Reference {
    bool opened = false;
    int width = 0, height = 0;
    bool screenTable = false;
    bool complete = false;  // read through to its trailer
    bool comparable = true; // only blocks the walk knows, with their usual heads
    std::vector<ReferenceFrame> frames;
};

// Skips an extension's remaining sub-blocks; how many there were.
int SkipExtensionBlocks(GifFileType* gif, GifByteType* block, bool& ok) {
    int count = 0;
    while (block) {
        ++count;
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) {
            ok = false;
            return count;
        }
    }
    return count;
}

Reference ReadWithGiflib(GifData data) {
    Reference reference;
    Input input{data};
    int error = 0;
    GifFileType* gif = DGifOpen(&input, ReadInput, &error);
    if (!gif)
        return reference;
    reference.opened = true;
    reference.width = gif->SWidth;
    reference.height = gif->SHeight;
    reference.screenTable = gif->SColorMap != nullptr;
    ReferenceFrame pending;
    bool ok = true;
    while (ok) {
        GifRecordType type;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR)
            break;
        if (type == TERMINATE_RECORD_TYPE) {
            reference.complete = true;
            break;
        }
        if (type == IMAGE_DESC_RECORD_TYPE) {
            if (DGifGetImageDesc(gif) == GIF_ERROR)
                break;
            pending.left = gif->Image.Left;
            pending.top = gif->Image.Top;
            pending.width = gif->Image.Width;
            pending.height = gif->Image.Height;
            pending.hasColourTable = reference.screenTable || gif->Image.ColorMap != nullptr;
            int codeSize = 0;
            GifByteType* block = nullptr;
            if (DGifGetCode(gif, &codeSize, &block) == GIF_ERROR)
                break;
            while (block && ok)
                ok = DGifGetCodeNext(gif, &block) != GIF_ERROR;
            reference.frames.push_back(pending);
            pending = {};
        } else if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
                break;
            const int head = block ? block[0] : -1;
            const GifByteType* first = block;
            GifByteType firstBytes[13] = {};
            if (first)
                std::memcpy(firstBytes, first, std::min<int>(head + 1, 13));
            const int blocks = SkipExtensionBlocks(gif, block, ok);
            if (code == GRAPHICS_EXT_FUNC_CODE) {
                // The walk takes a graphic control as its fixed eight bytes.
                reference.comparable &= head == 4 && blocks == 1;
                if (++pending.graphicControls == 1) {
                    pending.disposal = (firstBytes[1] >> 2) & 7;
                    pending.delayHundredths = firstBytes[2] | firstBytes[3] << 8;
                }
            } else if (code == PLAINTEXT_EXT_FUNC_CODE) {
                // Text laid out over the logical screen in the screen's colours.
                reference.comparable &= head == 12;
                pending.width = reference.width;
                pending.height = reference.height;
                pending.hasColourTable = reference.screenTable;
                reference.frames.push_back(pending);
                pending = {};
            } else if (code == APPLICATION_EXT_FUNC_CODE) {
                reference.comparable &= head == 11;
            } else if (code != COMMENT_EXT_FUNC_CODE) {
                reference.comparable = false;
            }
        } else {
            break;
        }
    }
    DGifCloseFile(gif, &error);
    return reference;
}

// A cut-out frame is, for GIFLIB too, a GIF of exactly that one frame.
void CheckCutFrames(const std::vector<GifFrame>& frames) {
    for (const GifFrame& frame : frames) {
        const Reference alone = ReadWithGiflib(GifData(frame.standaloneGif));
        Require(alone.opened && alone.complete && alone.frames.size() == 1);
        const ReferenceFrame& only = alone.frames[0];
        Require(only.hasColourTable && only.left == frame.left && only.top == frame.top &&
                only.width == frame.width && only.height == frame.height);
    }
}

void CompareWithReference(GifData data) {
    const Reference reference = ReadWithGiflib(data);
    const std::optional<GifScreen> screen = ReadGifScreen(data);
    Require(reference.opened == screen.has_value());
    if (!screen)
        return;
    Require(screen->width == reference.width && screen->height == reference.height);
    Require((screen->colourTableBytes > 0) == reference.screenTable);
    if (!reference.complete || !reference.comparable)
        return;
    std::vector<ReferenceFrame> withTable;
    std::size_t withoutTable = 0;
    for (const ReferenceFrame& frame : reference.frames) {
        if (frame.hasColourTable)
            withTable.push_back(frame);
        else
            ++withoutTable;
    }
    if (withTable.size() > kMaxGifFrames)
        withTable.resize(kMaxGifFrames);
    const std::vector<GifFrame> frames = CutGifFrames(data);
    Require(frames.size() == withTable.size() && CountGifFrames(data) == withTable.size());
    Require(CountGifFramesWithoutColourTable(data) == withoutTable);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const GifFrame& frame = frames[i];
        const ReferenceFrame& expected = withTable[i];
        Require(frame.left == expected.left && frame.top == expected.top &&
                frame.width == expected.width && frame.height == expected.height);
        if (expected.graphicControls == 1) {
            Require(frame.disposal == expected.disposal);
            // Under five hundredths, browsers play a tenth of a second.
            const unsigned delay = expected.delayHundredths;
            Require(frame.delayMs == (delay < 5 ? kDefaultGifDelayMs : delay * 10));
        }
    }
    CheckCutFrames(frames);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    GifData gif(data, size);
    CompareWithReference(gif);
    return 0;
}
