// An image file decoded into 32-bit BGRA pixels, rows bottom first (OpenGL's
// order), for the texture loaders. Anything FreeImage cannot fully read and
// convert counts as a failure, so callers treat it like a missing file.
#pragma once

#include "core/resources/MipChain.h"

#include <cstdint>
#include <string>
#include <vector>

class Image {
public:
    // False, leaving the image empty, for a missing file, a directory, an unknown
    // or undecodable format, or pixels that do not convert to 32 bits.
    bool load(const std::string& path, bool flipVertically = false);

    // The same from a file's bytes in memory. Only PNG, JPEG, TIFF, PSD and BMP are
    // accepted, sides are limited to maxSide, and a PSD whose sections do not fit in
    // the bytes given is refused before FreeImage sees it (its reader overruns on
    // truncated files); of a PSD only the merged image is handed over.
    bool decode(const uint8_t* data, size_t size, bool flipVertically = false);

    // Fills mipmaps with the levels below the picture (see MipChain::below),
    // unless they are there already.
    void buildMipmaps();
    // Makes the first level below the picture the picture, its levels following;
    // an image without levels below stays as it is.
    void dropTopLevel();

    static constexpr int maxSide = 16384;

    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgra;
    // Levels 1 and down, once buildMipmaps has run.
    std::vector<MipLevel> mipmaps;

private:
    // Decodes bytes of a format already accepted (a FreeImage format number).
    bool decodeChecked(const uint8_t* data, size_t size, int format, bool flipVertically);
};
