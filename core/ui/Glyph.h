// The metrics of one rasterised character of a Font and where it lies in the
// font's atlas.
#pragma once

#include <glm/glm.hpp>

#include <cstdint>

class Texture2D;

struct Glyph {
    // The font's atlas, shared by all its glyphs; null for a font that failed to load.
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
    // The bitmap's corners in the atlas, as texture coordinates: low is its
    // top-left texel's corner (rows run top to bottom), high its bottom-right.
    glm::vec2 uvLow{0.0f};
    glm::vec2 uvHigh{0.0f};
};
