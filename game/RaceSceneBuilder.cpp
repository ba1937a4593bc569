// Track conventions, kart set-up and checkpoint discovery for the race scene.
#include "game/RaceSceneBuilder.h"

#include "core/physics/CollisionShape.h"
#include "core/physics/PhysicsMaterial.h"
#include "core/physics/RigidBodyDynamic.h"
#include "core/physics/RigidBodyStatic.h"
#include "core/platform/Log.h"
#include "core/render/MeshRenderer.h"
#include "core/resources/Material.h"
#include "core/resources/Mesh.h"
#include "core/resources/ResourceCache.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SystemRegistry.h"
#include "core/runtime/Transform.h"
#include "game/Car.h"
#include "game/Checkpoint.h"
#include "game/Gameplay.h"
#include "game/RaceProps.h"

#include <GLFW/glfw3.h>

#include <vector>

namespace RaceSceneBuilder {

namespace {

constexpr int maxCheckpoints = 20;
constexpr float coneMass = 0.001f;
const glm::vec3 coneSize(1.5f, 2.0f, 1.5f);
// Just below the box, so that a ray never starts inside the ground the box rests on.
constexpr float rayStartBelowBox = 0.0001f;

bool has(const std::string& name, const char* marker) {
    return name.find(marker) != std::string::npos;
}

Transform* transformOf(Entity& entity) {
    auto* transform = entity.getComponent<Transform>();
    return transform != nullptr ? transform : entity.addComponent<Transform>();
}

glm::vec3 worldScale(Entity& entity) {
    return transformOf(entity)->getGlobalScale();
}

void addMeshCollider(Entity& entity) {
    auto* body = entity.addComponent<RigidBodyStatic>();
    const auto* renderer = entity.getComponent<MeshRenderer>();
    const Mesh* mesh = renderer != nullptr ? renderer->getMesh() : nullptr;
    if (mesh == nullptr) {
        logWarning("No mesh for the collider of ", entity.name);
        return;
    }
    body->addCollisionShape()->setMesh(mesh);
}

void addInvisibleBox(Entity& entity) {
    const glm::vec3 halfExtents = worldScale(entity);
    entity.addComponent<RigidBodyStatic>()->addCollisionShape()->setBox(2.0f * halfExtents);
    transformOf(entity)->setScale(glm::vec3(1.0f));
    entity.removeComponents<MeshRenderer>();
}

// The parent's dynamic body, else its static one, else a new static one.
RigidBody* bodyOf(Entity& parent) {
    if (auto* dynamicBody = parent.getComponent<RigidBodyDynamic>()) {
        return dynamicBody;
    }
    if (auto* staticBody = parent.getComponent<RigidBodyStatic>()) {
        return staticBody;
    }
    return parent.addComponent<RigidBodyStatic>();
}

void addBoxToParent(Entity& entity, bool trigger) {
    Transform* parentTransform = transformOf(entity)->getParent();
    if (parentTransform == nullptr || parentTransform->entity == nullptr) {
        logWarning("No parent to take the box of ", entity.name);
        return;
    }
    CollisionShape* shape = bodyOf(*parentTransform->entity)->addCollisionShape();
    shape->setBox(2.0f * worldScale(entity));
    if (trigger) {
        shape->setTrigger(true);
    }
}

void addCone(Entity& entity) {
    auto* body = entity.addComponent<RigidBodyDynamic>();
    body->setMass(coneMass);
    // So light a body would otherwise tunnel through a kart's box.
    body->setContinuousCollision(true);
    body->addCollisionShape()->setBox(coneSize);
}

PhysicsMaterial* carMaterial(SystemRegistry* systems) {
    auto* cache = systems != nullptr ? systems->get<ResourceCache>() : nullptr;
    if (cache == nullptr) {
        return nullptr;
    }
    if (auto* existing = cache->get<PhysicsMaterial>("car")) {
        return existing;
    }
    return cache->create<PhysicsMaterial>("car", 0.5f, 0.5f, 1.0f);
}

Entity* require(Scene& scene, const std::string& name) {
    Entity* found = scene.findEntity(name);
    if (found == nullptr) {
        logError("Kart set-up: node not found: ", name);
    }
    return found;
}

void givePlayerOneKeys(Car& car) {
    car.accelerateKey = GLFW_KEY_W;
    car.reverseKey = GLFW_KEY_S;
    car.steerLeftKey = GLFW_KEY_A;
    car.steerRightKey = GLFW_KEY_D;
    car.boostKey = GLFW_KEY_E;
}

bool hasTrigger(const Entity& entity) {
    for (const RigidBody* body : entity.getComponents<RigidBody>()) {
        for (const auto& shape : body->getShapes()) {
            if (shape->isTrigger()) {
                return true;
            }
        }
    }
    return false;
}

void placeRays(Car& car, const glm::vec3& s) {
    const float y = -s.y - rayStartBelowBox;
    car.wheels[Car::frontLeft].localOffset = glm::vec3(-s.x, y, -s.z);
    car.wheels[Car::frontRight].localOffset = glm::vec3(s.x, y, -s.z);
    car.wheels[Car::rearRight].localOffset = glm::vec3(s.x, y, s.z);
    car.wheels[Car::rearLeft].localOffset = glm::vec3(-s.x, y, s.z);
}

} // namespace

KartNodes kartNodes(const std::string& prefix) {
    return {prefix,
            prefix + "BuggyCollider",
            {prefix + "Wheel_FL", prefix + "Wheel_FR", prefix + "Wheel_RR", prefix + "Wheel_RL"}};
}

void applyTrackConventions(Scene& scene) {
    applyMarkers(scene);
    if (auto* cache = scene.systems != nullptr ? scene.systems->get<ResourceCache>() : nullptr) {
        applyMaterialConventions(*cache);
    }
}

void applyMarkers(Scene& scene) {
    std::vector<Entity*> entities;
    for (const auto& entity : scene.getEntities()) {
        entities.push_back(entity.get());
    }
    std::vector<Entity*> boxGivers;
    for (Entity* entity : entities) {
        const std::string& name = entity->name;
        if (has(name, "_NOOP_")) {
            // Recognised so that a designer can mark a node as deliberately plain.
        }
        if (has(name, "_RD_")) {
            entity->addComponent<RigidBodyDynamic>();
        }
        if (has(name, "_MC_")) {
            addMeshCollider(*entity);
        }
        if (has(name, "_BCS_")) {
            addInvisibleBox(*entity);
        } else if (has(name, "_BC_")) {
            addBoxToParent(*entity, has(name, "_TR_"));
            boxGivers.push_back(entity);
        }
        if (has(name, "_RM_")) {
            entity->removeComponents<MeshRenderer>();
        }
        if (has(name, "Cone_Signaling")) {
            addCone(*entity);
        }
    }
    for (Entity* entity : boxGivers) {
        scene.destroyEntity(entity);
    }
}

void applyMaterialConventions(ResourceCache& cache) {
    cache.dump();
    if (cache.exists<Material>("StartLine")) {
        Material* startLine = cache.get<Material>("StartLine");
        startLine->addDefine("CUTOUT");
        startLine->setUniform("albedo", glm::vec4(0.9f, 0.9f, 0.9f, 0.4f));
        startLine->setReceivesShadows(true);
    }
    for (Material* material : cache.getAll<Material>()) {
        material->setCastsShadows(false);
    }
    for (const char* name : {"Beam", "Buggy_Blue", "Buggy_Orange", "Wheel"}) {
        if (cache.exists<Material>(name)) {
            cache.get<Material>(name)->setCastsShadows(true);
        }
    }
}

Car* setUpKart(Scene& scene, const KartNodes& nodes, int index) {
    Entity* kart = require(scene, nodes.kart);
    Entity* collider = require(scene, nodes.collider);
    if (kart == nullptr || collider == nullptr) {
        return nullptr;
    }
    const glm::vec3 halfExtents = transformOf(*collider)->getScale();
    auto* body = kart->addComponent<RigidBodyDynamic>();
    CollisionShape* box = body->addCollisionShape();
    box->setMaterial(carMaterial(scene.systems));
    box->setBox(2.0f * halfExtents);
    scene.destroyEntity(collider);

    auto* car = kart->addComponent<Car>();
    car->playerIndex = index;
    placeRays(*car, halfExtents);
    for (size_t i = 0; i < nodes.wheels.size(); ++i) {
        if (Entity* wheel = require(scene, nodes.wheels[i])) {
            car->wheelTransforms[i] = transformOf(*wheel);
            car->wheelRestPositions[i] = car->wheelTransforms[i]->getPosition();
        }
    }
    if (index == 0) {
        givePlayerOneKeys(*car);
    }
    kart->addComponent<RaceProps>()->playerIndex = static_cast<unsigned>(index);
    return car;
}

void findCheckpoints(Scene& scene, Gameplay& gameplay) {
    int previous = -1;
    for (int n = 0; n < maxCheckpoints; ++n) {
        const std::string name = "Checkpoint-" + std::to_string(n);
        Entity* entity = scene.findEntity(name);
        if (entity == nullptr) {
            continue;
        }
        // Without a trigger no kart can ever touch it, and the laps would stop counting there.
        if (!hasTrigger(*entity)) {
            logWarning("Track: ", name, " has no trigger; the race leaves it out");
            continue;
        }
        if (n != previous + 1) {
            logWarning("Track: ", name, " follows ",
                       previous < 0 ? std::string("no Checkpoint-0")
                                    : "Checkpoint-" + std::to_string(previous),
                       "; the race counts the checkpoints that exist, in order");
        }
        previous = n;
        auto* checkpoint = entity->addComponent<Checkpoint>();
        checkpoint->index = n;
        gameplay.checkpoints.push_back(checkpoint);
    }
}

} // namespace RaceSceneBuilder
