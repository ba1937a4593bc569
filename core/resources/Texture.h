// Base of the texture resources: owns one GL texture and says which target it
// binds to, so the renderer can bind any texture without knowing its class.
#pragma once

#include "core/resources/Resource.h"

#include <GL/glew.h>

#include <cstdint>

enum class TextureType : int32_t { Texture2D = 0, TextureCube = 1 };

class Texture : public Resource {
public:
    explicit Texture(SystemRegistry* systems) : Resource(systems) {}
    ~Texture() override;

    virtual TextureType getType() const = 0;

    // GL_TEXTURE_2D or GL_TEXTURE_CUBE_MAP, after getType().
    GLenum getTarget() const;
    // 0 while the texture has no GL storage (never created, or its file failed to load).
    GLuint getTexture() const { return texture; }
    // Makes unit the active texture unit and binds this texture (or 0) to its target there.
    void bind(uint32_t unit) const;

protected:
    // Reads one GL error after an upload and logs it in the normal log colour.
    static void checkGLError();

    GLuint texture = 0;
};
