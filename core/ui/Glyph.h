// The metrics and texture of one rasterised character of a Font.
#pragma once

#include <cstdint>

class Texture2D;

struct Glyph {
    // Owned by the font; null when there was no GL context to upload to.
    Texture2D* texture = nullptr;
    // Bitmap size in pixels.
    int width = 0;
    int height = 0;
    // FreeType's bitmap_left and bitmap_top: from the pen to the bitmap's
    // left edge, and from the baseline up to its top row.
    int bearingX = 0;
    int bearingY = 0;
    // Horizontal advance in 1/64 pixel.
    uint32_t advance = 0;
};
