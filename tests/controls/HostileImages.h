#pragma once
// Image files that once crashed the platform's decoders: each is whole as far
// as its format's own decoder looks, but promises what it does not hold.

#include "GifPictures.h"

#include <string>

// A decodable GIF of `frames` frames without any colour table, neither the
// file's nor a frame's own.
Bytes GifWithoutColourTables(int frames);
// An icon whose one entry's offset plus size wraps 32 bits to inside the
// file, over an image header that claims 4096 x 4096 pixels.
std::string IconWithWrappingEntry();
