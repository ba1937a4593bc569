// See DrivingWorld.h.
#include "DrivingWorld.h"

#include "core/physics/Physics.h"
#include "core/physics/PhysicsWorld.h"
#include "core/physics/RigidBodyDynamic.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/ResourceLoader.h"
#include "core/runtime/SceneManager.h"
#include "core/runtime/Transform.h"
#include "game/RaceSceneBuilder.h"
#include "game/SceneUtils.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <filesystem>

namespace {

constexpr const char* trackPath = "scenes/Track_01_LM.fbx";

} // namespace

bool generatedTrackExists() {
    return std::filesystem::exists(std::string(TW_ASSETS_DIR) + trackPath);
}

DrivingWorld::DrivingWorld() : engine(testConfig(), false) {
    auto& systems = *engine.systems;
    systems.add<ResourceLoader>()->baseDir = TW_ASSETS_DIR;
    systems.add<ResourceCache>();
    systems.add<Physics>();
    input = systems.add<Input>();
    systems.add<SceneManager>();

    scene = systems.get<SceneManager>()->createScene("game");
    systems.get<ResourceLoader>()->importScene(*scene, trackPath);
    RaceSceneBuilder::applyTrackConventions(*scene);
    for (int player = 0; player < 2; ++player) {
        const std::string name = player == 0 ? "P1" : "P2";
        cars[static_cast<size_t>(player)] =
            RaceSceneBuilder::setUpKart(*scene, RaceSceneBuilder::kartNodes(name), player);
    }
    Entity* holder = scene->createEntity("gameplay");
    sceneUtils = holder->addComponent<SceneUtils>();
    gameplay = holder->addComponent<Gameplay>();
    RaceSceneBuilder::findCheckpoints(*scene, *gameplay);
    for (int player = 0; player < 2; ++player) {
        if (cars[static_cast<size_t>(player)] != nullptr) {
            gameplay->karts.push_back(&kart(player));
            startPositions[static_cast<size_t>(player)] = transform(player).getWorldPosition();
            startRotations[static_cast<size_t>(player)] = transform(player).getGlobalRotation();
        }
    }
}

void DrivingWorld::press(int key) {
    pendingKeys.emplace_back(key, GLFW_PRESS);
    if (std::find(heldKeys.begin(), heldKeys.end(), key) == heldKeys.end()) {
        heldKeys.push_back(key);
    }
}

void DrivingWorld::release(int key) {
    pendingKeys.emplace_back(key, GLFW_RELEASE);
    heldKeys.erase(std::remove(heldKeys.begin(), heldKeys.end(), key), heldKeys.end());
}

void DrivingWorld::releaseAll() {
    for (const int key : std::vector<int>(heldKeys)) {
        release(key);
    }
}

void DrivingWorld::frame(int stepsPerFrame) {
    input->update();
    for (const auto& [key, action] : pendingKeys) {
        input->onKey(key, action);
    }
    pendingKeys.clear();
    for (int i = 0; i < stepsPerFrame; ++i) {
        scene->fixedUpdate(step);
    }
    scene->update(step);
    scene->lateUpdate(step);
}

void DrivingWorld::frames(int count) {
    for (int i = 0; i < count; ++i) {
        frame();
    }
}

RaceProps& DrivingWorld::race(int player) const {
    return *kart(player).getComponent<RaceProps>();
}

RigidBodyDynamic& DrivingWorld::body(int player) const {
    return *car(player).body;
}

Transform& DrivingWorld::transform(int player) const {
    return *car(player).transform;
}

void DrivingWorld::place(int player, const glm::vec3& position, const glm::quat& rotation) {
    body(player).teleport(position, rotation);
    body(player).setLinearVelocity(glm::vec3(0.0f));
    body(player).setAngularVelocity(glm::vec3(0.0f));
}

bool DrivingWorld::groundBelow(const glm::vec3& point, float& height) const {
    RaycastHit hit;
    if (!scene->getPhysicsWorld()->raycast(point + glm::vec3(0.0f, 50.0f, 0.0f), glm::vec3(0.0f, -1.0f, 0.0f),
                                           200.0f, hit)) {
        return false;
    }
    height = hit.point.y;
    return true;
}

float DrivingWorld::yawRate(int player) const {
    const glm::vec3 up = transform(player).getGlobalRotation() * glm::vec3(0.0f, 1.0f, 0.0f);
    return glm::dot(body(player).getAngularVelocity(), up);
}
