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
    // folder), each flipped vertically. A face that cannot be read (or is not square
    // and of the first good face's size) logs "Texture not found: <path>" and shows
    // a plain sky colour; false only when no face could be read.
    // Faces are read at full size only while the loader asks for cube maps' top
    // levels (ResourceLoader::cubeTopLevelsRead); otherwise from the level below.
    bool load(const std::array<std::string, 6>& paths);
    // Loads the last faces again, at the size the loader now asks for.
    bool reload() { return load(facePaths); }
    // Mip levels its storage holds, the top one included (0 before a load).
    int getLevels() const { return levels; }
    // Side of the top level its storage holds (0 before a load).
    int getSide() const { return topSide; }

private:
    std::array<std::string, 6> facePaths;
    int levels = 0;
    int topSide = 0;
};
