#include "GifBlocks.h"

namespace {

constexpr std::size_t kScreenEnd = 13; // header and logical screen descriptor
constexpr std::uint8_t kTrailer = 0x3B;
constexpr std::size_t kGraphicControlLength = 8;
constexpr std::size_t kImageDescriptorLength = 10;

enum class BlockKind { PlainText, GraphicControl, Comment, Application, Image, Trailer, Unknown };

// Where a frame's blocks lie: from `start` (its graphic control extension, or
// its image when it has none) to `end`.
struct FrameBlocks {
    std::size_t start = 0;
    std::optional<std::size_t> graphicControl;
    std::size_t image = 0; // the image descriptor or plain-text extension
    std::size_t end = 0;
};

int ReadWord(GifData data, std::size_t pos) {
    return data[pos] | (data[pos + 1] << 8);
}

std::size_t ColourTableBytes(std::uint8_t packed) {
    if (!(packed & 0x80))
        return 0;
    return std::size_t{3} << ((packed & 7) + 1);
}

BlockKind KindAt(GifData data, std::size_t pos) {
    if (pos >= data.size())
        return BlockKind::Unknown;
    if (data[pos] == 0x2C)
        return BlockKind::Image;
    if (data[pos] == kTrailer)
        return BlockKind::Trailer;
    if (data[pos] != 0x21 || pos + 1 >= data.size())
        return BlockKind::Unknown;
    switch (data[pos + 1]) {
    case 0x01:
        return BlockKind::PlainText;
    case 0xF9:
        return BlockKind::GraphicControl;
    case 0xFE:
        return BlockKind::Comment;
    case 0xFF:
        return BlockKind::Application;
    default:
        return BlockKind::Unknown;
    }
}

// A fixed head of `headLength` bytes at `pos`, then a chain of sub-blocks up to
// its zero terminator; empty when any of it lies past the end.
std::optional<std::size_t> LengthWithSubBlocks(GifData data, std::size_t pos,
                                               std::size_t headLength) {
    std::size_t length = headLength;
    while (length < data.size() - pos) {
        std::size_t subBlockSize = data[pos + length];
        length += subBlockSize + 1;
        if (subBlockSize == 0)
            return length;
    }
    return std::nullopt;
}

std::optional<std::size_t> ImageLength(GifData data, std::size_t pos) {
    if (data.size() - pos < kImageDescriptorLength)
        return std::nullopt;
    std::size_t localTable = ColourTableBytes(data[pos + 9]);
    // One byte after the local colour table (the LZW code size) precedes the data.
    return LengthWithSubBlocks(data, pos, kImageDescriptorLength + localTable + 1);
}

std::optional<std::size_t> BlockLength(GifData data, std::size_t pos) {
    switch (KindAt(data, pos)) {
    case BlockKind::Application:
        return LengthWithSubBlocks(data, pos, 14);
    case BlockKind::Comment:
        return LengthWithSubBlocks(data, pos, 2);
    case BlockKind::PlainText:
        return LengthWithSubBlocks(data, pos, 15);
    case BlockKind::GraphicControl:
        return kGraphicControlLength;
    case BlockKind::Image:
        return ImageLength(data, pos);
    case BlockKind::Trailer:
        return 1;
    case BlockKind::Unknown:
        break;
    }
    return std::nullopt;
}

bool SkipBlock(GifData data, std::size_t& pos) {
    std::optional<std::size_t> length = BlockLength(data, pos);
    if (!length || *length > data.size() - pos)
        return false;
    pos += *length;
    return true;
}

// Skips application and comment blocks, and graphic control extensions too
// when `graphicControlToo`; false when one of them cannot be skipped.
bool SkipExtensions(GifData data, std::size_t& pos, bool graphicControlToo) {
    for (;;) {
        BlockKind kind = KindAt(data, pos);
        bool skippable = kind == BlockKind::Application || kind == BlockKind::Comment ||
                         (graphicControlToo && kind == BlockKind::GraphicControl);
        if (!skippable)
            return true;
        if (!SkipBlock(data, pos))
            return false;
    }
}

bool IsGraphicBlock(GifData data, std::size_t pos) {
    BlockKind kind = KindAt(data, pos);
    return kind == BlockKind::Image || kind == BlockKind::PlainText;
}

// The next frame from `pos` on, leaving `pos` after it; empty at the trailer,
// an unknown block, or a block that cannot be skipped.
std::optional<FrameBlocks> NextFrame(GifData data, std::size_t& pos) {
    if (!SkipExtensions(data, pos, false))
        return std::nullopt;
    FrameBlocks frame;
    frame.start = pos;
    if (KindAt(data, pos) == BlockKind::GraphicControl) {
        frame.graphicControl = pos;
        if (!SkipBlock(data, pos) || !SkipExtensions(data, pos, true))
            return std::nullopt;
    }
    frame.image = pos;
    if (!IsGraphicBlock(data, pos) || !SkipBlock(data, pos))
        return std::nullopt;
    frame.end = pos;
    return frame;
}

void ReadTiming(GifData data, std::size_t graphicControl, GifFrame& frame) {
    unsigned hundredths = static_cast<unsigned>(ReadWord(data, graphicControl + 4));
    frame.delayMs = hundredths >= 5 ? hundredths * 10 : kDefaultGifDelayMs;
    frame.disposal = (data[graphicControl + 3] >> 2) & 7;
}

// A plain-text extension has no image descriptor; its text is laid out over
// the logical screen, so that is the area the frame covers.
void ReadRectangle(GifData data, std::size_t image, const GifScreen& screen, GifFrame& frame) {
    if (KindAt(data, image) != BlockKind::Image) {
        frame.width = screen.width;
        frame.height = screen.height;
        return;
    }
    frame.left = ReadWord(data, image + 1);
    frame.top = ReadWord(data, image + 3);
    frame.width = ReadWord(data, image + 5);
    frame.height = ReadWord(data, image + 7);
}

std::vector<std::uint8_t> StandaloneGif(GifData data, std::size_t screenEnd,
                                        const FrameBlocks& blocks) {
    std::vector<std::uint8_t> gif;
    gif.reserve(screenEnd + (blocks.end - blocks.start) + 1);
    gif.insert(gif.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(screenEnd));
    gif.insert(gif.end(), data.begin() + static_cast<std::ptrdiff_t>(blocks.start),
               data.begin() + static_cast<std::ptrdiff_t>(blocks.end));
    gif.push_back(kTrailer);
    return gif;
}

// A plain-text extension has no table of its own.
bool HasColourTable(GifData data, const GifScreen& screen, const FrameBlocks& blocks) {
    return screen.colourTableBytes > 0 ||
           (KindAt(data, blocks.image) == BlockKind::Image && (data[blocks.image + 9] & 0x80));
}

GifFrame CutFrame(GifData data, const GifScreen& screen, const FrameBlocks& blocks) {
    GifFrame frame;
    frame.standaloneGif = StandaloneGif(data, kScreenEnd + screen.colourTableBytes, blocks);
    if (blocks.graphicControl)
        ReadTiming(data, *blocks.graphicControl, frame);
    ReadRectangle(data, blocks.image, screen, frame);
    return frame;
}

// The frames with a colour table, or those without one, up to `most`.
std::size_t CountFrames(GifData data, bool withColourTable, std::size_t most) {
    std::optional<GifScreen> screen = ReadGifScreen(data);
    if (!screen)
        return 0;
    std::size_t pos = kScreenEnd + screen->colourTableBytes;
    std::size_t count = 0;
    while (count < most) {
        std::optional<FrameBlocks> blocks = NextFrame(data, pos);
        if (!blocks)
            break;
        count += HasColourTable(data, *screen, *blocks) == withColourTable ? 1 : 0;
    }
    return count;
}

} // namespace

bool IsGif(GifData data) {
    return data.size() >= 3 && data[0] == 'G' && data[1] == 'I' && data[2] == 'F';
}

std::optional<GifScreen> ReadGifScreen(GifData data) {
    if (!IsGif(data) || data.size() < kScreenEnd)
        return std::nullopt;
    GifScreen screen;
    screen.width = ReadWord(data, 6);
    screen.height = ReadWord(data, 8);
    screen.colourTableBytes = ColourTableBytes(data[10]);
    if (screen.colourTableBytes > data.size() - kScreenEnd)
        return std::nullopt;
    return screen;
}

std::size_t CountGifFrames(GifData data) {
    return CountFrames(data, true, kMaxGifFrames);
}

std::size_t CountGifFramesWithoutColourTable(GifData data) {
    return CountFrames(data, false, SIZE_MAX);
}

std::vector<GifFrame> CutGifFrames(GifData data) {
    std::vector<GifFrame> frames;
    std::optional<GifScreen> screen = ReadGifScreen(data);
    if (!screen)
        return frames;
    std::size_t pos = kScreenEnd + screen->colourTableBytes;
    while (frames.size() < kMaxGifFrames) {
        std::optional<FrameBlocks> blocks = NextFrame(data, pos);
        if (!blocks)
            break;
        if (HasColourTable(data, *screen, *blocks))
            frames.push_back(CutFrame(data, *screen, *blocks));
    }
    return frames;
}
