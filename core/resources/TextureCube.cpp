// Cube map loading.
#include "core/resources/TextureCube.h"

#include "core/platform/Log.h"
#include "core/resources/GLContext.h"
#include "core/resources/Image.h"
#include "core/resources/MipChain.h"
#include "core/resources/ResourceLoader.h"
#include "core/runtime/SystemRegistry.h"

#include <cstdint>
#include <thread>
#include <vector>

TextureCube::TextureCube(SystemRegistry* systems) : Texture(systems) {}

namespace {

// What a face that failed shows: a plain sky, so the other faces stay usable.
constexpr uint8_t skyBgra[4] = {215, 180, 150, 255};

} // namespace

bool TextureCube::load(const std::array<std::string, 6>& paths) {
    if (!hasGLContext()) {
        return false;
    }
    const ResourceLoader* loader = systems != nullptr ? systems->get<ResourceLoader>() : nullptr;
    const bool topLevel = loader == nullptr || loader->cubeTopLevelsRead();
    facePaths = paths;
    std::array<Image, 6> images;
    std::array<bool, 6> loaded{};
    // Half of the faces decode beside the main thread; GL sees none of this.
    const auto decodeFaces = [&](size_t first) {
        for (size_t face = first; face < paths.size(); face += 2) {
            loaded[face] =
                images[face].load(loader != nullptr ? loader->resolve(paths[face]) : paths[face], true);
            if (loaded[face]) {
                images[face].buildMipmaps();
                if (!topLevel) {
                    images[face].dropTopLevel();
                }
            }
        }
    };
    std::thread helper(decodeFaces, 1);
    decodeFaces(0);
    helper.join();
    int side = 0;
    for (size_t face = 0; face < paths.size(); ++face) {
        Image& image = images[face];
        // A cube map needs square faces of one size: the first good face sets it.
        if (loaded[face] && side == 0 && image.width == image.height) {
            side = image.width;
        }
        if (!loaded[face] || image.width != image.height || (side != 0 && image.width != side)) {
            logError("Texture not found: ", paths[face]);
            image.width = image.height = 0;
            image.bgra.clear();
            image.mipmaps.clear();
        }
    }
    if (side == 0) {
        return false;
    }
    if (texture != 0) {
        glDeleteTextures(1, &texture);
    }
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_CUBE_MAP, texture);
    levels = MipChain::levelCount(side, side);
    topSide = side;
    glTexStorage2D(GL_TEXTURE_CUBE_MAP, levels, GL_RGBA8, side, side);
    Image sky;
    for (size_t face = 0; face < images.size(); ++face) {
        const Image* pixels = &images[face];
        if (images[face].width == 0) {
            if (sky.bgra.empty()) {
                sky.width = sky.height = side;
                sky.bgra.resize(static_cast<size_t>(side) * static_cast<size_t>(side) * 4);
                for (size_t i = 0; i < sky.bgra.size(); ++i) {
                    sky.bgra[i] = skyBgra[i % 4];
                }
                sky.buildMipmaps();
            }
            pixels = &sky;
        }
        const GLenum target = GL_TEXTURE_CUBE_MAP_POSITIVE_X + static_cast<GLenum>(face);
        glTexSubImage2D(target, 0, 0, 0, side, side, GL_BGRA, GL_UNSIGNED_BYTE, pixels->bgra.data());
        MipChain::upload(target, GL_BGRA, pixels->mipmaps);
        checkGLError();
    }
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    return true;
}
