// The ghost kart's look and its drive along the kept lap.
#include "game/GhostKart.h"

#include "core/render/MeshRenderer.h"
#include "core/resources/Material.h"
#include "core/resources/ResourceCache.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SystemRegistry.h"
#include "core/runtime/Transform.h"
#include "game/RaceProgress.h"

#include <vector>

namespace {

// A see-through copy of material, made once per material and shared.
Material* ghostMaterial(ResourceCache& cache, Material& original) {
    const std::string name = "ghost:" + original.getName();
    if (Material* existing = cache.get<Material>(name)) {
        return existing;
    }
    Material* ghost = cache.create<Material>(name);
    ghost->setShader(original.getShader());
    for (const auto& [uniform, value] : original.getUniforms()) {
        ghost->setUniform(uniform, value);
    }
    for (const auto& [sampler, texture] : original.getTextures()) {
        ghost->setTexture(sampler, texture);
    }
    for (const std::string& define : original.getDefines()) {
        if (define != "CUTOUT") {
            ghost->addDefine(define);
        }
    }
    glm::vec4 albedo = original.getUniform("albedo").asVec4();
    if (original.getUniform("albedo").getType() == MaterialValue::Type::None) {
        albedo = glm::vec4(1.0f);
    }
    ghost->setUniform("albedo", glm::vec4(glm::vec3(albedo), GhostKart::opacity));
    ghost->setBlendMode(BlendMode::Alpha);
    ghost->setDepthWrite(false);
    // Drawn with the other see-through things, after everything solid.
    ghost->setRenderQueue(3);
    ghost->setCastsShadows(false);
    ghost->setReceivesShadows(false);
    return ghost;
}

// The copy of source's meshes (and its children's) below parent, at the same local poses.
void copyLook(Scene& scene, ResourceCache& cache, Entity& source, Transform* parent, bool root) {
    auto* sourceTransform = source.getComponent<Transform>();
    if (sourceTransform == nullptr) {
        return;
    }
    Entity* copy = scene.createEntity(root ? std::string("ghostKart") : "ghost:" + source.name);
    auto* transform = copy->addComponent<Transform>();
    if (!root) {
        transform->setParent(parent);
        transform->setPosition(sourceTransform->getPosition());
        transform->setRotation(sourceTransform->getRotation());
        transform->setScale(sourceTransform->getScale());
    }
    if (const auto* renderer = source.getComponent<MeshRenderer>()) {
        std::vector<Material*> materials;
        for (Material* material : renderer->getMaterials()) {
            materials.push_back(material != nullptr ? ghostMaterial(cache, *material) : nullptr);
        }
        copy->addComponent<MeshRenderer>(renderer->getMesh(), materials);
    }
    for (const Transform* child : sourceTransform->getChildren()) {
        // The collider box goes when the race is built; it never showed.
        if (child->entity != nullptr && child->entity->active &&
            child->entity->name.find("Collider") == std::string::npos) {
            copyLook(scene, cache, *child->entity, transform, false);
        }
    }
}

} // namespace

GhostKart::GhostKart(SystemRegistry* systems, Entity* entity) : Updateable(systems, entity) {}

void GhostKart::race(GhostLap lap) {
    ghost = std::move(lap);
    lapSeen = 0;
    step = 0;
    show(false);
}

void GhostKart::build(Scene& scene, Entity& kart) {
    progress = kart.getComponent<RaceProgress>();
    auto* cache = systems != nullptr ? systems->get<ResourceCache>() : nullptr;
    if (cache == nullptr) {
        return;
    }
    copyLook(scene, *cache, kart, nullptr, true);
    look = scene.findEntity("ghostKart");
    lookTransform = look != nullptr ? look->getComponent<Transform>() : nullptr;
    show(false);
}

bool GhostKart::isShown() const {
    return look != nullptr && look->active;
}

void GhostKart::show(bool shown) {
    if (look == nullptr) {
        return;
    }
    // Children follow their parent's activity only if told: every part goes.
    std::vector<Transform*> parts{lookTransform};
    for (size_t i = 0; i < parts.size(); ++i) {
        parts[i]->entity->active = shown;
        for (Transform* child : parts[i]->getChildren()) {
            parts.push_back(child);
        }
    }
}

void GhostKart::fixedUpdate(float dt) {
    Updateable::fixedUpdate(dt);
    if (progress == nullptr || lookTransform == nullptr || ghost.samples.empty()) {
        return;
    }
    if (progress->lap != lapSeen) {
        lapSeen = progress->lap;
        step = 0;
        show(lapSeen >= 1);
    }
    if (!isShown()) {
        return;
    }
    if (step > ghost.steps()) {
        show(false);
        return;
    }
    const GhostLap::Pose pose = ghost.poseAt(step);
    lookTransform->setPosition(pose.position);
    lookTransform->setRotation(pose.rotation);
    step += 1;
}
