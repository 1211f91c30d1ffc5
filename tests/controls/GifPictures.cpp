#include "GifPictures.h"

#include <algorithm>
#include <cstdint>

namespace {

// LZW with 2-bit pixels: a clear code before every two pixels keeps the
// code width at 3 bits, so no string table is needed to encode.
constexpr int kCodeSize = 2;
constexpr int kClear = 1 << kCodeSize;
constexpr int kEnd = kClear + 1;
constexpr int kCodeBits = kCodeSize + 1;

class CBitWriter {
public:
    void Put(int code) {
        m_pending |= static_cast<std::uint32_t>(code) << m_bits;
        m_bits += kCodeBits;
        while (m_bits >= 8) {
            m_bytes.push_back(static_cast<std::uint8_t>(m_pending & 0xFF));
            m_pending >>= 8;
            m_bits -= 8;
        }
    }
    Bytes Finish() {
        if (m_bits > 0)
            m_bytes.push_back(static_cast<std::uint8_t>(m_pending & 0xFF));
        return m_bytes;
    }

private:
    Bytes m_bytes;
    std::uint32_t m_pending = 0;
    int m_bits = 0;
};

Bytes SubBlocks(const Bytes& data) {
    Bytes blocks;
    for (size_t at = 0; at < data.size(); at += 255) {
        size_t length = std::min<size_t>(255, data.size() - at);
        blocks.push_back(static_cast<std::uint8_t>(length));
        blocks.insert(blocks.end(), data.begin() + at, data.begin() + at + length);
    }
    blocks.push_back(0);
    return blocks;
}

} // namespace

Bytes GifScreen(int width, int height) {
    Bytes palette = {255, 0, 0, 0, 0, 255, 0, 255, 0, 255, 255, 255};
    return Bytes{'G', 'I', 'F', '8', '9', 'a'} + Word(width) + Word(height) + Bytes{0x81, 0, 0} +
           palette;
}

Bytes GifImage(int left, int top, int width, int height, const std::vector<int>& indices) {
    CBitWriter writer;
    for (size_t i = 0; i < indices.size(); ++i) {
        if (i % 2 == 0)
            writer.Put(kClear);
        writer.Put(indices[i]);
    }
    writer.Put(kEnd);
    Bytes descriptor = Bytes{0x2C} + Word(left) + Word(top) + Word(width) + Word(height) + Bytes{0};
    return descriptor + Bytes{kCodeSize} + SubBlocks(writer.Finish());
}

Bytes GifImage(int left, int top, int width, int height, int index) {
    return GifImage(left, top, width, height,
                    std::vector<int>(static_cast<size_t>(width) * height, index));
}

Bytes TransparentControl(int delay, int disposal, int transparentIndex) {
    std::uint8_t packed = static_cast<std::uint8_t>(disposal << 2 | 1);
    return Bytes{0x21, 0xF9, 0x04, packed} + Word(delay) +
           Bytes{static_cast<std::uint8_t>(transparentIndex), 0};
}
