// Cube map loading.
#include "core/resources/TextureCube.h"

#include "core/platform/Log.h"
#include "core/resources/GLContext.h"
#include "core/resources/Image.h"
#include "core/resources/ResourceLoader.h"
#include "core/runtime/SystemRegistry.h"

TextureCube::TextureCube(SystemRegistry* systems) : Texture(systems) {}

bool TextureCube::load(const std::array<std::string, 6>& paths) {
    if (!hasGLContext()) {
        return false;
    }
    const ResourceLoader* loader = systems != nullptr ? systems->get<ResourceLoader>() : nullptr;
    if (texture != 0) {
        glDeleteTextures(1, &texture);
    }
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_CUBE_MAP, texture);
    for (size_t face = 0; face < paths.size(); ++face) {
        Image image;
        if (!image.load(loader != nullptr ? loader->resolve(paths[face]) : paths[face], true)) {
            logError("Texture not found: ", paths[face]);
            glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
            return false;
        }
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + static_cast<GLenum>(face), 0, GL_RGBA, image.width,
                     image.height, 0, GL_BGRA, GL_UNSIGNED_BYTE, image.bgra.data());
        checkGLError();
    }
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    glGenerateMipmap(GL_TEXTURE_CUBE_MAP);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    return true;
}
