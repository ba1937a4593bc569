// A grey height picture, painted alongside a texture's colours and turned into
// its tangent-space normal map (OpenGL convention: green points to +v, up the
// picture).
#pragma once

#include "Image.h"

#include <vector>

class HeightField {
public:
    HeightField(int width, int height)
        : w(width), h(height), values(static_cast<size_t>(width) * height, 0.0f) {}

    float& at(int x, int y) { return values[static_cast<size_t>(y) * w + x]; }
    float at(int x, int y) const { return values[static_cast<size_t>(y) * w + x]; }
    int width() const { return w; }
    int height() const { return h; }

    // Heights are in pixels times strength: larger strength, steeper bumps.
    // wrap: the picture tiles, so slopes wrap around the edges.
    Image normalMap(float strength, bool wrap = true) const;

private:
    int w, h;
    std::vector<float> values;
};
