// 2D texture loading, creation from memory and the built-in textures.
#include "core/resources/Texture2D.h"

#include "core/platform/Log.h"
#include "core/resources/GLContext.h"
#include "core/resources/Image.h"
#include "core/resources/MipChain.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/ResourceLoader.h"

#include <vector>

namespace {

struct FormatInfo {
    GLint internalFormat;
    GLenum pixelFormat;
    GLenum pixelType;
    int channels;
};

FormatInfo formatInfo(TextureFormat format) {
    switch (format) {
    case TextureFormat::RGB:
        return {GL_RGB8, GL_RGB, GL_UNSIGNED_BYTE, 3};
    case TextureFormat::Red:
        return {GL_R8, GL_RED, GL_UNSIGNED_BYTE, 1};
    case TextureFormat::RedGreen:
        return {GL_RG8, GL_RG, GL_UNSIGNED_BYTE, 2};
    case TextureFormat::DepthStencil:
        return {GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8, 4};
    case TextureFormat::Depth:
        return {GL_DEPTH_COMPONENT16, GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT, 2};
    case TextureFormat::RGBA:
        break;
    }
    return {GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, 4};
}

GLint mipmappedMinFilter(bool levelsBlended) {
    return levelsBlended ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR_MIPMAP_NEAREST;
}

void setFilterAndWrap(GLint minFilter, GLint magFilter, GLint wrap) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
}

// 512 x 512 grey squares of 32 pixels, dark at the origin: clearly "no texture here".
std::vector<uint8_t> checkerPixels(int size) {
    std::vector<uint8_t> pixels(static_cast<size_t>(size) * size * 3);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const bool light = ((x ^ y) & 32) != 0;
            const uint8_t value = light ? 180 : 50;
            uint8_t* pixel = &pixels[(static_cast<size_t>(y) * size + x) * 3];
            pixel[0] = pixel[1] = pixel[2] = value;
        }
    }
    return pixels;
}

// The red and green bytes of BGRA pixels, in that order.
std::vector<uint8_t> redGreenOf(const std::vector<uint8_t>& bgra) {
    std::vector<uint8_t> pairs(bgra.size() / 2);
    for (size_t i = 0, j = 0; i + 3 < bgra.size(); i += 4, j += 2) {
        pairs[j] = bgra[i + 2];
        pairs[j + 1] = bgra[i + 1];
    }
    return pairs;
}

} // namespace

Texture2D::Texture2D(SystemRegistry* systems) : Texture(systems) {}

void Texture2D::generate() {
    if (texture != 0) {
        glDeleteTextures(1, &texture);
    }
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
}

void Texture2D::setSource(const std::string& path, TextureFormat as) {
    source = path;
    sourceFormat = as;
    pending = true;
}

bool Texture2D::loadSource() {
    if (pending) {
        pending = false;
        load(source, sourceFormat);
    }
    return width > 0.0f;
}

bool Texture2D::load(const std::string& path, TextureFormat as) {
    ResourceLoader* loader = systems != nullptr ? systems->get<ResourceLoader>() : nullptr;
    const std::string resolved = loader != nullptr ? loader->resolve(path) : path;
    Image image;
    bool decoded = false;
    if (loader == nullptr || !loader->takePrefetched(resolved, image, decoded)) {
        decoded = image.load(resolved);
    }
    if (!decoded) {
        logError("Texture not found: ", path);
        return false;
    }
    format = as == TextureFormat::RedGreen ? TextureFormat::RedGreen : TextureFormat::RGBA;
    width = static_cast<float>(image.width);
    height = static_cast<float>(image.height);
    if (!hasGLContext()) {
        return true;
    }
    image.buildMipmaps();
    // Blending two levels fetches twice the texels, which a software rasteriser
    // pays for in every pixel: where the levels look alike the blend shows
    // nothing (grass and sand read from one level: 4 % off the high frame).
    if (mipLevelsBlended &&
        MipChain::levelsAlike(image.width, image.height, 4, image.bgra.data(), image.mipmaps)) {
        mipLevelsBlended = false;
    }
    generate();
    // Immutable storage of every level at once: levels given one by one through
    // glTexImage2D cost the driver a quarter more memory than the texture.
    const int levels = MipChain::levelCount(image.width, image.height);
    if (format == TextureFormat::RedGreen) {
        // Averaging works channel by channel, so the levels convert as they are.
        for (MipLevel& level : image.mipmaps) {
            level.pixels = redGreenOf(level.pixels);
        }
        GLint alignment = 4;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexStorage2D(GL_TEXTURE_2D, levels, GL_RG8, image.width, image.height);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, image.width, image.height, GL_RG, GL_UNSIGNED_BYTE,
                        redGreenOf(image.bgra).data());
        glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
        MipChain::upload(GL_TEXTURE_2D, GL_RG, image.mipmaps);
    } else {
        glTexStorage2D(GL_TEXTURE_2D, levels, GL_RGBA8, image.width, image.height);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, image.width, image.height, GL_BGRA, GL_UNSIGNED_BYTE,
                        image.bgra.data());
        MipChain::upload(GL_TEXTURE_2D, GL_BGRA, image.mipmaps);
    }
    setFilterAndWrap(mipmappedMinFilter(mipLevelsBlended), GL_LINEAR, GL_REPEAT);
    checkGLError();
    glBindTexture(GL_TEXTURE_2D, 0);
    return true;
}

void Texture2D::setMipLevelsBlended(bool blended) {
    if (blended == mipLevelsBlended) {
        return;
    }
    mipLevelsBlended = blended;
    if (texture != 0 && hasGLContext()) {
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, mipmappedMinFilter(blended));
        glBindTexture(GL_TEXTURE_2D, 0);
    }
}

void Texture2D::setNearestTexel(bool nearest) {
    if (texture == 0 || !hasGLContext()) {
        return;
    }
    const GLint filter = nearest ? GL_NEAREST : GL_LINEAR;
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void Texture2D::release() {
    if (texture != 0) {
        glDeleteTextures(1, &texture);
        texture = 0;
    }
}

void Texture2D::create(int newWidth, int newHeight, TextureFormat newFormat, const void* pixels) {
    format = newFormat;
    width = static_cast<float>(newWidth);
    height = static_cast<float>(newHeight);
    if (!hasGLContext()) {
        return;
    }
    generate();
    const FormatInfo info = formatInfo(format);
    if (format == TextureFormat::DepthStencil || format == TextureFormat::Depth) {
        glTexImage2D(GL_TEXTURE_2D, 0, info.internalFormat, newWidth, newHeight, 0, info.pixelFormat,
                     info.pixelType, nullptr);
        setFilterAndWrap(GL_NEAREST, GL_NEAREST, GL_CLAMP_TO_BORDER);
        // Shadow lookups outside the map read the far plane: unshadowed.
        const GLfloat border[] = {1.0f, 1.0f, 1.0f, 1.0f};
        glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, border);
    } else {
        // Rows of RGB and Red images are packed without padding.
        GLint alignment = 4;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        if (pixels == nullptr && format == TextureFormat::RGBA) {
            // A picture to draw into: unsized RGBA given in B, G, R, A order lets
            // the driver store it in the byte order of the window it will be
            // copied to. llvmpipe copies such a texture to the window on its
            // fast 8-bit path, and the RGBA8 layout on its general one at 1.6 to
            // 2 times the cost (the upscale of the low and medium pictures).
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, newWidth, newHeight, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                         nullptr);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        } else {
            const int levels = pixels != nullptr ? MipChain::levelCount(newWidth, newHeight) : 1;
            glTexStorage2D(GL_TEXTURE_2D, levels, static_cast<GLenum>(info.internalFormat), newWidth,
                           newHeight);
        }
        if (pixels != nullptr) {
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, newWidth, newHeight, info.pixelFormat, info.pixelType,
                            pixels);
        }
        glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
        if (pixels != nullptr) {
            MipChain::upload(
                GL_TEXTURE_2D, info.pixelFormat,
                MipChain::below(newWidth, newHeight, info.channels, static_cast<const uint8_t*>(pixels)));
            setFilterAndWrap(mipmappedMinFilter(mipLevelsBlended), GL_LINEAR, GL_CLAMP_TO_EDGE);
        } else {
            // Storage to draw into has one level: whoever fills it samples only that.
            setFilterAndWrap(GL_LINEAR, GL_LINEAR, GL_CLAMP_TO_EDGE);
        }
    }
    checkGLError();
    glBindTexture(GL_TEXTURE_2D, 0);
}

void Texture2D::createBuiltIns(ResourceCache& cache) {
    cache.create<Texture2D>("default");
    constexpr int whiteSize = 128;
    const std::vector<uint8_t> white(static_cast<size_t>(whiteSize) * whiteSize * 4, 255);
    cache.create<Texture2D>("white")->create(whiteSize, whiteSize, TextureFormat::RGBA, white.data());
}

Texture2D* Texture2D::checkerboard(ResourceCache& cache) {
    Texture2D* checker = cache.get<Texture2D>("default");
    if (checker == nullptr || checker->width > 0.0f) {
        return checker;
    }
    constexpr int checkerSize = 512;
    checker->create(checkerSize, checkerSize, TextureFormat::RGB, checkerPixels(checkerSize).data());
    checker->repeat();
    return checker;
}

Texture2D* Texture2D::flatNormal(ResourceCache& cache) {
    if (Texture2D* flat = cache.get<Texture2D>("flatNormal")) {
        return flat;
    }
    Texture2D* flat = cache.create<Texture2D>("flatNormal");
    flat->setMipLevelsBlended(false);
    // x and y of a normal straight out of the surface: the middle of the range.
    constexpr int side = 2;
    const std::vector<uint8_t> up(static_cast<size_t>(side) * side * 2, 128);
    flat->create(side, side, TextureFormat::RedGreen, up.data());
    flat->repeat();
    return flat;
}

void Texture2D::repeat() {
    if (texture != 0) {
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
}
