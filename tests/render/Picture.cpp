// Read-back, PNG input and output, and comparison of pictures.
#include "render/Picture.h"

#include <FreeImage.h>
#include <GL/glew.h>

#include <cstdlib>

Picture Picture::grab(int width, int height) {
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.rgb.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, picture.rgb.data());
    return picture;
}

Picture Picture::load(const std::string& path) {
    Picture picture;
    FIBITMAP* image = FreeImage_Load(FreeImage_GetFileType(path.c_str(), 0), path.c_str(), 0);
    if (image == nullptr) {
        return picture;
    }
    FIBITMAP* converted = FreeImage_ConvertTo24Bits(image);
    FreeImage_Unload(image);
    if (converted == nullptr) {
        return picture;
    }
    picture.width = static_cast<int>(FreeImage_GetWidth(converted));
    picture.height = static_cast<int>(FreeImage_GetHeight(converted));
    picture.rgb.resize(static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height) * 3);
    for (int y = 0; y < picture.height; ++y) {
        const BYTE* row = FreeImage_GetScanLine(converted, y);
        for (int x = 0; x < picture.width; ++x) {
            uint8_t* out = &picture.rgb[(static_cast<size_t>(y) * picture.width + x) * 3];
            out[0] = row[x * 3 + FI_RGBA_RED];
            out[1] = row[x * 3 + FI_RGBA_GREEN];
            out[2] = row[x * 3 + FI_RGBA_BLUE];
        }
    }
    FreeImage_Unload(converted);
    return picture;
}

bool Picture::save(const std::string& path) const {
    FIBITMAP* image = FreeImage_Allocate(width, height, 24);
    if (image == nullptr) {
        return false;
    }
    for (int y = 0; y < height; ++y) {
        BYTE* row = FreeImage_GetScanLine(image, y);
        for (int x = 0; x < width; ++x) {
            const uint8_t* in = &rgb[(static_cast<size_t>(y) * width + x) * 3];
            row[x * 3 + FI_RGBA_RED] = in[0];
            row[x * 3 + FI_RGBA_GREEN] = in[1];
            row[x * 3 + FI_RGBA_BLUE] = in[2];
        }
    }
    const bool saved = FreeImage_Save(FIF_PNG, image, path.c_str(), PNG_DEFAULT) != 0;
    FreeImage_Unload(image);
    return saved;
}

glm::vec3 Picture::at(int x, int y) const {
    const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    return glm::vec3(p[0], p[1], p[2]);
}

glm::vec3 Picture::mean(int x, int y, int w, int h) const {
    glm::vec3 sum(0.0f);
    for (int j = y; j < y + h; ++j) {
        for (int i = x; i < x + w; ++i) {
            sum += at(i, j);
        }
    }
    return sum / static_cast<float>(w * h);
}

double differingShare(const Picture& a, const Picture& b, int tolerance) {
    if (a.width != b.width || a.height != b.height || a.empty()) {
        return 1.0;
    }
    size_t differing = 0;
    for (size_t i = 0; i < a.rgb.size(); i += 3) {
        for (size_t c = 0; c < 3; ++c) {
            if (std::abs(static_cast<int>(a.rgb[i + c]) - static_cast<int>(b.rgb[i + c])) > tolerance) {
                ++differing;
                break;
            }
        }
    }
    return static_cast<double>(differing) / static_cast<double>(a.rgb.size() / 3);
}
