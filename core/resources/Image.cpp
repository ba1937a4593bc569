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
#include <vector>

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

// Owns one FreeImage memory stream.
struct MemoryStream {
    MemoryStream(const uint8_t* data, size_t size)
        : stream(FreeImage_OpenMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size))) {}
    ~MemoryStream() {
        if (stream != nullptr) {
            FreeImage_CloseMemory(stream);
        }
    }
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;
    FIMEMORY* stream;
};

uint32_t bigEndian(const uint8_t* bytes, int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

// Checks a PSD's sections (header, colour mode data, resources, layers, merged
// image) against the bytes, then rewrites it as header, colour mode data and raw
// merged pixels: a texture needs no resources or layers, and FreeImage's parsers
// of those and of packed rows overrun on damaged files. Only the classic version 1
// layout with raw or PackBits pixels is accepted. Empty when it does not hold together.
std::vector<uint8_t> sanitisedPsd(const uint8_t* data, size_t size) {
    constexpr size_t headerSize = 26;
    if (size < headerSize || bigEndian(data + 4, 2) != 1) {
        return {};
    }
    const uint64_t channels = bigEndian(data + 12, 2);
    const uint64_t height = bigEndian(data + 14, 4);
    const uint64_t width = bigEndian(data + 18, 4);
    const uint64_t depth = bigEndian(data + 22, 2);
    if (channels < 1 || channels > 56 || width < 1 || height < 1 || width > Image::maxSide ||
        height > Image::maxSide || (depth != 1 && depth != 8 && depth != 16 && depth != 32)) {
        return {};
    }
    uint64_t colourModeEnd = 0;
    uint64_t offset = headerSize;
    for (int section = 0; section < 3; ++section) {
        if (offset + 4 > size) {
            return {};
        }
        offset += 4 + uint64_t{bigEndian(data + offset, 4)};
        colourModeEnd = section == 0 ? offset : colourModeEnd;
    }
    if (offset + 2 > size) {
        return {};
    }
    const uint32_t compression = bigEndian(data + offset, 2);
    offset += 2;
    const uint64_t rows = channels * height;
    const uint64_t rowBytes = (width * depth + 7) / 8;
    std::vector<uint8_t> out(data, data + colourModeEnd);
    out.insert(out.end(), 8, 0); // no resources, no layers
    out.insert(out.end(), 2, 0); // raw pixels
    if (compression == 0) {
        if (offset + rows * rowBytes > size) {
            return {};
        }
        out.insert(out.end(), data + offset, data + offset + rows * rowBytes);
        return out;
    }
    // PackBits rows are unpacked here, each to exactly its length, so that
    // FreeImage's own unpacking (which trusts the counts) never runs.
    if (compression != 1 || offset + rows * 2 > size) {
        return {};
    }
    uint64_t packed = offset + rows * 2;
    for (uint64_t row = 0; row < rows; ++row) {
        const uint64_t end = packed + bigEndian(data + offset + row * 2, 2);
        if (end > size) {
            return {};
        }
        uint64_t produced = 0;
        while (packed < end && produced < rowBytes) {
            const auto n = static_cast<int8_t>(data[packed++]);
            if (n >= 0) {
                const uint64_t count = static_cast<uint64_t>(n) + 1;
                if (packed + count > end || produced + count > rowBytes) {
                    return {};
                }
                out.insert(out.end(), data + packed, data + packed + count);
                packed += count;
                produced += count;
            } else if (n != -128) {
                const uint64_t count = 1 - static_cast<int64_t>(n);
                if (packed >= end || produced + count > rowBytes) {
                    return {};
                }
                out.insert(out.end(), count, data[packed++]);
                produced += count;
            }
        }
        if (produced != rowBytes) {
            return {};
        }
        packed = end;
    }
    return out;
}

bool acceptedFormat(FREE_IMAGE_FORMAT format) {
    return format == FIF_PNG || format == FIF_JPEG || format == FIF_TIFF || format == FIF_PSD ||
           format == FIF_BMP;
}

} // namespace

bool Image::load(const std::string& path, bool flipVertically) {
    width = height = 0;
    bgra.clear();
    mipmaps.clear();
    std::string bytes;
    if (!readFile(path, bytes)) {
        return false;
    }
    return decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), flipVertically);
}

bool Image::decode(const uint8_t* data, size_t size, bool flipVertically) {
    width = height = 0;
    bgra.clear();
    mipmaps.clear();
    if (data == nullptr || size == 0 || size > 0x7fffffffu) {
        return false;
    }
    MemoryStream memory(data, size);
    if (memory.stream == nullptr) {
        return false;
    }
    const FREE_IMAGE_FORMAT format = FreeImage_GetFileTypeFromMemory(memory.stream, 0);
    if (!acceptedFormat(format)) {
        return false;
    }
    if (format == FIF_PSD) {
        const std::vector<uint8_t> cleaned = sanitisedPsd(data, size);
        return !cleaned.empty() && decodeChecked(cleaned.data(), cleaned.size(), format, flipVertically);
    }
    return decodeChecked(data, size, format, flipVertically);
}

bool Image::decodeChecked(const uint8_t* data, size_t size, int formatId, bool flipVertically) {
    const auto format = static_cast<FREE_IMAGE_FORMAT>(formatId);
    MemoryStream memory(data, size);
    if (memory.stream == nullptr) {
        return false;
    }
    if (format == FIF_TIFF) {
        quietenTiffOnce();
    }
    {
        // The header alone first: a claimed size is refused before anything is allocated for it.
        FreeImage_SeekMemory(memory.stream, 0, SEEK_SET);
        Bitmap header(FreeImage_LoadFromMemory(format, memory.stream, FIF_LOAD_NOPIXELS));
        if (header.dib == nullptr || FreeImage_GetWidth(header.dib) > maxSide ||
            FreeImage_GetHeight(header.dib) > maxSide) {
            return false;
        }
    }
    FreeImage_SeekMemory(memory.stream, 0, SEEK_SET);
    Bitmap decoded(FreeImage_LoadFromMemory(format, memory.stream, 0));
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

void Image::buildMipmaps() {
    if (mipmaps.empty()) {
        mipmaps = MipChain::below(width, height, 4, bgra.data());
    }
}

void Image::dropTopLevel() {
    if (mipmaps.empty()) {
        return;
    }
    width = mipmaps.front().width;
    height = mipmaps.front().height;
    bgra = std::move(mipmaps.front().pixels);
    mipmaps.erase(mipmaps.begin());
}
