// See ImageFile.h. FreeImage keeps the bottom row first and stores BGR(A) on
// little-endian machines, so rows are flipped and channels reordered here.
#include "ImageFile.h"

#include "Output.h"

#include <FreeImage.h>

#include <algorithm>
#include <cmath>

namespace {

BYTE toByte(float v) {
    return static_cast<BYTE>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
}

} // namespace

bool ImageFile::save(const Image& image, const std::string& path, Format format, Channels channels) {
    if (image.empty() || !Output::makeParentDirs(path)) {
        Output::fail("Cannot write image " + path);
        return false;
    }
    const int bpp = channels == Channels::Rgba ? 32 : 24;
    FIBITMAP* bitmap = FreeImage_Allocate(image.width(), image.height(), bpp);
    if (!bitmap) {
        Output::fail("Cannot allocate image " + path);
        return false;
    }
    const int step = bpp / 8;
    for (int y = 0; y < image.height(); ++y) {
        BYTE* row = FreeImage_GetScanLine(bitmap, image.height() - 1 - y);
        for (int x = 0; x < image.width(); ++x) {
            const glm::vec4& p = image.at(x, y);
            BYTE* px = row + x * step;
            px[FI_RGBA_RED] = toByte(p.r);
            px[FI_RGBA_GREEN] = toByte(p.g);
            px[FI_RGBA_BLUE] = toByte(p.b);
            if (step == 4)
                px[FI_RGBA_ALPHA] = toByte(p.a);
        }
    }
    FREE_IMAGE_FORMAT fif = FIF_PNG;
    int flags = PNG_DEFAULT;
    if (format == Format::Tiff) {
        fif = FIF_TIFF;
        flags = TIFF_ADOBE_DEFLATE;
    } else if (format == Format::Psd) {
        fif = FIF_PSD;
        flags = PSD_DEFAULT;
    }
    const bool ok = FreeImage_Save(fif, bitmap, path.c_str(), flags) != 0;
    FreeImage_Unload(bitmap);
    if (!ok)
        Output::fail("FreeImage could not write " + path);
    return ok;
}

bool ImageFile::load(const std::string& path, Image& image) {
    const FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path.c_str(), 0);
    if (format == FIF_UNKNOWN)
        return false;
    FIBITMAP* bitmap = FreeImage_Load(format, path.c_str(), 0);
    if (!bitmap)
        return false;
    FIBITMAP* rgba = FreeImage_ConvertTo32Bits(bitmap);
    FreeImage_Unload(bitmap);
    if (!rgba)
        return false;
    const int w = static_cast<int>(FreeImage_GetWidth(rgba)), h = static_cast<int>(FreeImage_GetHeight(rgba));
    image = Image(w, h);
    for (int y = 0; y < h; ++y) {
        const BYTE* row = FreeImage_GetScanLine(rgba, h - 1 - y);
        for (int x = 0; x < w; ++x) {
            const BYTE* p = row + x * 4;
            image.at(x, y) =
                glm::vec4(p[FI_RGBA_RED], p[FI_RGBA_GREEN], p[FI_RGBA_BLUE], p[FI_RGBA_ALPHA]) / 255.0f;
        }
    }
    FreeImage_Unload(rgba);
    return true;
}
