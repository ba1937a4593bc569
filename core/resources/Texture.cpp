// Texture base: deletion, binding and the upload error check.
#include "core/resources/Texture.h"

#include "core/platform/Log.h"

Texture::~Texture() {
    if (texture != 0) {
        glDeleteTextures(1, &texture);
    }
}

GLenum Texture::getTarget() const {
    return getType() == TextureType::TextureCube ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D;
}

void Texture::bind(uint32_t unit) const {
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(getTarget(), texture);
}

void Texture::checkGLError() {
    switch (glGetError()) {
    case GL_NO_ERROR:
        return;
    case GL_INVALID_ENUM:
        logInfo("Invalid enum.");
        return;
    case GL_INVALID_VALUE:
        logInfo("Invalid value.");
        return;
    case GL_INVALID_OPERATION:
        logInfo("Invalid operation.");
        return;
    default:
        logInfo("Unrecognised GLenum.");
        return;
    }
}
