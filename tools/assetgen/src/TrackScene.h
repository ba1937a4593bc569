// The whole generated track: top-level nodes, the materials they use, and the
// sun direction the lightmaps were baked for.
#pragma once

#include "MaterialDef.h"
#include "SceneNode.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TrackScene {
public:
    SceneNode* addNode(const std::string& name);
    void addMaterial(const MaterialDef& material);

    const std::vector<std::unique_ptr<SceneNode>>& nodes() const { return roots; }
    const std::vector<MaterialDef>& materials() const { return materialDefs; }
    const MaterialDef* findMaterial(const std::string& name) const;

    // Visits every node depth-first with its world matrix.
    void forEach(const std::function<void(SceneNode&, const glm::mat4&)>& visit) const;

    // The direction sunlight travels (pointing down), world space.
    glm::vec3 sunDirection{0.0f, -1.0f, 0.0f};

private:
    std::vector<std::unique_ptr<SceneNode>> roots;
    std::vector<MaterialDef> materialDefs;
};
