// One node of the generated track scene, in the engine's Y-up, -Z forward world:
// a local transform relative to its parent, an optional mesh with its materials
// (by name, one per material slot), an optional directional light, and children.
#pragma once

#include "Mesh.h"

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include <memory>
#include <string>
#include <vector>

struct SceneNode {
    std::string name;
    glm::vec3 position{0.0f};
    glm::quat rotation{1.0f, 0.0f, 0.0f, 0.0f};
    glm::vec3 scale{1.0f};

    std::shared_ptr<Mesh> mesh;
    std::vector<std::string> materials;

    // Largest edge of the square lightmap in texels; 0: no lightmap (moving
    // objects). The layout picks the smallest power of two that holds the charts
    // at lightmapDensity texels per metre, lowering the density if it must.
    int lightmapSize = 0;
    float lightmapDensity = 4.0f;
    // Whether the mesh blocks light and sky in the lightmap bake.
    bool occluder = true;

    bool directionalLight = false;
    glm::vec3 lightColour{1.0f};

    std::vector<std::unique_ptr<SceneNode>> children;

    SceneNode* addChild(const std::string& childName) {
        children.push_back(std::make_unique<SceneNode>());
        children.back()->name = childName;
        return children.back().get();
    }

    glm::mat4 localMatrix() const;
};
