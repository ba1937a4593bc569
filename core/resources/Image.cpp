// Image decoding through FreeImage.
#include "core/resources/Image.h"

#include "core/platform/FileSystem.h"
#include "core/platform/Log.h"

#include <FreeImage.h>
#include <tiffio.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Owns one FreeImage bitmap.
struct Bitmap {
    explicit Bitmap(FIBITMAP* dib) : dib(dib) {}
    ~Bitmap() {
        if (dib != nullptr) {
            FreeImage_Unload(dib);
        }
    }
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;
    FIBITMAP* dib;
};

// FreeImage probes every EXIF tag while it reads a TIFF, and libtiff reports
// each one the file lacks as an "unknown tag" error on stderr: dozens of lines
// per texture that mean nothing. Those are dropped; anything else libtiff says
// goes to the log.
void reportTiffMessage(const char* module, const char* format, va_list args) {
    if (module != nullptr && std::strcmp(module, "TIFFFieldWithTag") == 0) {
        return;
    }
    char message[512];
    std::vsnprintf(message, sizeof(message), format, args);
    logWarning(std::string("TIFF: ") + (module != nullptr ? module : "") + ": " + message);
}

void quietenTiffOnce() {
    static const bool quietened = [] {
        TIFFSetErrorHandler(reportTiffMessage);
        TIFFSetWarningHandler(reportTiffMessage);
        return true;
    }();
    (void)quietened;
}

} // namespace

bool Image::load(const std::string& path, bool flipVertically) {
    width = height = 0;
    bgra.clear();
    if (!isRegularFile(path)) {
        return false;
    }
    const FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path.c_str(), 0);
    if (format == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(format)) {
        return false;
    }
    if (format == FIF_TIFF) {
        quietenTiffOnce();
    }
    Bitmap decoded(FreeImage_Load(format, path.c_str(), 0));
    if (decoded.dib == nullptr || !FreeImage_HasPixels(decoded.dib)) {
        return false;
    }
    if (flipVertically) {
        FreeImage_FlipVertical(decoded.dib);
    }
    const bool is32 =
        FreeImage_GetImageType(decoded.dib) == FIT_BITMAP && FreeImage_GetBPP(decoded.dib) == 32;
    // 16-bit-per-channel images make the conversion return null.
    Bitmap converted(is32 ? nullptr : FreeImage_ConvertTo32Bits(decoded.dib));
    FIBITMAP* dib = is32 ? decoded.dib : converted.dib;
    if (dib == nullptr) {
        return false;
    }
    const auto w = static_cast<int>(FreeImage_GetWidth(dib));
    const auto h = static_cast<int>(FreeImage_GetHeight(dib));
    if (w <= 0 || h <= 0) {
        return false;
    }
    const size_t rowBytes = static_cast<size_t>(w) * 4;
    bgra.resize(rowBytes * static_cast<size_t>(h));
    for (int y = 0; y < h; ++y) {
        std::memcpy(bgra.data() + rowBytes * static_cast<size_t>(y), FreeImage_GetScanLine(dib, y), rowBytes);
    }
    width = w;
    height = h;
    return true;
}
