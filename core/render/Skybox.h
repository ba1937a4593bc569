// The sky: a cube map drawn around the camera behind everything else, and the
// same cube map handed to every shader as "skybox" for reflections.
#pragma once

#include "core/render/Drawable.h"

#include <memory>

class Material;
class Mesh;
class TextureCube;

class Skybox : public Drawable {
public:
    Skybox(SystemRegistry* systems, Entity* entity);
    ~Skybox() override;

    // Replaces the drawn cube map and the renderer's sky texture; null draws no sky.
    void setTexture(TextureCube* cube);
    TextureCube* getTexture() const { return texture; }
    Material* getMaterial() const { return material.get(); }

private:
    Mesh* cube = nullptr;
    TextureCube* texture = nullptr;
    std::unique_ptr<Material> material;
};
