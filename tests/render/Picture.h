// A picture read back for the render tests: the back buffer or a PNG file, as
// rows of RGB bytes from the bottom row up (OpenGL's order).
#pragma once

#include <glm/glm.hpp>

#include <cstdint>
#include <string>
#include <vector>

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;

    // What the current framebuffer holds now.
    static Picture grab(int width, int height);
    // Empty when the file cannot be read.
    static Picture load(const std::string& path);
    bool save(const std::string& path) const;

    bool empty() const { return width == 0 || height == 0; }
    // x from the left, y from the bottom.
    glm::vec3 at(int x, int y) const;
    // Mean colour of a w × h box with its lower-left corner at (x, y).
    glm::vec3 mean(int x, int y, int w, int h) const;
};

// Share of pixels whose colour differs from the other picture's by more than
// tolerance (0..255) in any channel; 1 when the sizes differ.
double differingShare(const Picture& a, const Picture& b, int tolerance);
