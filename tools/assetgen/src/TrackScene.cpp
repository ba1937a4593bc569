// See TrackScene.h and SceneNode.h.
#include "TrackScene.h"

#include <glm/gtc/matrix_transform.hpp>

glm::mat4 SceneNode::localMatrix() const {
    return glm::translate(glm::mat4(1.0f), position) * glm::mat4_cast(rotation) *
           glm::scale(glm::mat4(1.0f), scale);
}

SceneNode* TrackScene::addNode(const std::string& name) {
    roots.push_back(std::make_unique<SceneNode>());
    roots.back()->name = name;
    return roots.back().get();
}

void TrackScene::addMaterial(const MaterialDef& material) {
    materialDefs.push_back(material);
}

const MaterialDef* TrackScene::findMaterial(const std::string& name) const {
    for (const MaterialDef& m : materialDefs)
        if (m.name == name)
            return &m;
    return nullptr;
}

namespace {

void visitNode(SceneNode& node, const glm::mat4& parent,
               const std::function<void(SceneNode&, const glm::mat4&)>& visit) {
    const glm::mat4 world = parent * node.localMatrix();
    visit(node, world);
    for (auto& child : node.children)
        visitNode(*child, world, visit);
}

} // namespace

void TrackScene::forEach(const std::function<void(SceneNode&, const glm::mat4&)>& visit) const {
    for (const auto& root : roots)
        visitNode(*root, glm::mat4(1.0f), visit);
}
