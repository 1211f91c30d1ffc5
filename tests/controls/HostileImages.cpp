#include "HostileImages.h"

#include <cstdint>

Bytes GifWithoutColourTables(int frames) {
    Bytes gif = {'G', 'I', 'F', '8', '9', 'a'};
    gif += Word(8) + Word(8) + Bytes{0x00, 0, 0};
    for (int i = 0; i < frames; ++i)
        gif += GraphicControl(10, 0) + GifImage(0, 0, 8, 8, i % 4);
    return gif + Trailer();
}

std::string IconWithWrappingEntry() {
    const BITMAPINFOHEADER image{
        sizeof(BITMAPINFOHEADER), 4096, 8192, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    const std::uint16_t directory[] = {0, 1, 1};
    const struct {
        std::uint8_t width, height, colours, reserved;
        std::uint16_t planes, bits;
        std::uint32_t size, offset;
    } entry{0, 0, 0, 0, 1, 32, 0xFFFFFFF0u, 6 + 16};
    static_assert(sizeof(entry) == 16);
    return std::string(reinterpret_cast<const char*>(directory), sizeof(directory)) +
           std::string(reinterpret_cast<const char*>(&entry), sizeof(entry)) +
           std::string(reinterpret_cast<const char*>(&image), sizeof(image)) +
           std::string(64, '\0');
}
