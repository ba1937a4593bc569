// A floating-point RGBA picture that the generators paint into, row 0 at the top
// (as a viewer shows it). ImageFile turns it into 8-bit files.
#pragma once

#include <glm/glm.hpp>

#include <vector>

class Image {
public:
    Image() = default;
    Image(int width, int height, const glm::vec4& fill = glm::vec4(0.0f));

    int width() const { return w; }
    int height() const { return h; }
    bool empty() const { return w == 0 || h == 0; }

    glm::vec4& at(int x, int y) { return pixels[static_cast<size_t>(y) * w + x]; }
    const glm::vec4& at(int x, int y) const { return pixels[static_cast<size_t>(y) * w + x]; }
    // Pixel access that wraps around both edges (for tiling textures).
    const glm::vec4& wrapped(int x, int y) const;
    // Bilinear lookup in pixel units (pixel centres at +0.5), wrapping.
    glm::vec4 sampleWrapped(float x, float y) const;
    // Bilinear lookup in pixel units, clamped to the edges.
    glm::vec4 sampleClamped(float x, float y) const;

    // "Over" compositing of a straight-alpha colour onto one pixel; ignores
    // coordinates outside the picture.
    void blend(int x, int y, const glm::vec4& colour);
    // Copies another picture in at (x, y) with "over" compositing.
    void composite(const Image& other, int x, int y);
    // The picture `factor` times smaller each way, each pixel the mean of the block it
    // covers: what the game's own mipmap of that level would hold.
    Image shrunk(int factor) const;

private:
    int w = 0;
    int h = 0;
    std::vector<glm::vec4> pixels;
};
