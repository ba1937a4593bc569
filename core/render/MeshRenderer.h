// Shows a Mesh with one Material per mesh part, and optionally a baked lightmap:
// one item per chunk of the mesh, each with its world box, so that the renderer
// leaves out the pieces of a big mesh that a pass does not see.
// Items are rebuilt only when something changed: the mesh, the materials, the
// lightmap, or the entity's Transform (through its onChanged event).
#pragma once

#include "core/render/Drawable.h"

#include <vector>

class Material;
class Mesh;
class Texture;
class Transform;

class MeshRenderer : public Drawable {
public:
    MeshRenderer(SystemRegistry* systems, Entity* entity, Mesh* mesh = nullptr,
                 std::vector<Material*> materials = {});
    ~MeshRenderer() override;

    void updateItems(float dt, Camera* camera) override;
    // The mesh's box around the eight transformed corners of its own box.
    void getBounds(glm::vec3& outMin, glm::vec3& outMax) override;
    bool isVisible(const Frustum& frustum) override;

    void setMesh(Mesh* newMesh);
    void setMaterials(std::vector<Material*> newMaterials);
    void setMaterial(Material* material) { setMaterials({material}); }
    void setLightmap(Texture* texture);
    Mesh* getMesh() const { return mesh; }
    const std::vector<Material*>& getMaterials() const { return materials; }
    Texture* getLightmap() const { return lightmap; }

    bool rebuild = true;

private:
    void onTransformChanged();
    void watchTransform();
    bool transformAlive() const;

    Mesh* mesh = nullptr;
    std::vector<Material*> materials;
    Texture* lightmap = nullptr;
    Transform* watched = nullptr;
};
