// An image file decoded into 32-bit BGRA pixels, rows bottom first (OpenGL's
// order), for the texture loaders. Anything FreeImage cannot fully read and
// convert counts as a failure, so callers treat it like a missing file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class Image {
public:
    // False, leaving the image empty, for a missing file, a directory, an unknown
    // or undecodable format, or pixels that do not convert to 32 bits.
    bool load(const std::string& path, bool flipVertically = false);

    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgra;
};
