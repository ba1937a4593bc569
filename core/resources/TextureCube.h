// A cube map made from six image files, for the sky.
#pragma once

#include "core/resources/Texture.h"

#include <array>
#include <string>

class TextureCube : public Texture {
public:
    explicit TextureCube(SystemRegistry* systems);

    TextureType getType() const override { return TextureType::TextureCube; }

    // Faces in the order +X, -X, +Y, -Y, +Z, -Z (paths relative to the assets
    // folder), each flipped vertically. Loading stops at the first face that cannot
    // be read, with "Texture not found: <path>"; the faces before it stay uploaded
    // but the map gets no filtering or mipmaps and is incomplete. False then.
    bool load(const std::array<std::string, 6>& paths);
};
