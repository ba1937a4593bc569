// Writes Images as 8-bit-per-channel PNG, TIFF or PSD files through FreeImage,
// which is also what the engine reads them with.
#pragma once

#include "Image.h"

#include <string>

class ImageFile {
public:
    enum class Format { Png, Tiff, Psd };
    enum class Channels { Rgb, Rgba };

    // Creates missing folders; logs and returns false on failure.
    static bool save(const Image& image, const std::string& path, Format format, Channels channels);
    // Reads any picture FreeImage knows into an Image; false when it cannot.
    static bool load(const std::string& path, Image& image);
    static bool savePng(const Image& image, const std::string& path, Channels channels = Channels::Rgba) {
        return save(image, path, Format::Png, channels);
    }
};
