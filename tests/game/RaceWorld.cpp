// See RaceWorld.h.
#include "RaceWorld.h"

#include "core/physics/CollisionShape.h"
#include "core/physics/Physics.h"
#include "core/physics/PhysicsWorld.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/ResourceLoader.h"
#include "core/runtime/SceneManager.h"
#include "core/ui/Text.h"
#include "core/ui/Transform2D.h"
#include "core/ui/UITex.h"
#include "game/PlayerDriver.h"
#include "game/RaceScene.h"

#include <filesystem>

namespace {

constexpr const char* trackPath = "scenes/Track_01_LM.fbx";

} // namespace

bool generatedTrackExists() {
    return std::filesystem::exists(std::string(TW_ASSETS_DIR) + trackPath);
}

RaceWorld::RaceWorld() : engine(testConfig(), false) {
    auto& systems = *engine.systems;
    systems.add<ResourceLoader>()->baseDir = TW_ASSETS_DIR;
    systems.add<ResourceCache>();
    systems.add<Physics>();
    input = systems.add<Input>();
    scene = systems.add<SceneManager>()->createScene("game");
    Entity* holder = scene->createEntity("gameplay");
    utils = holder->addComponent<RaceMessages>();
    gameplay = holder->addComponent<RaceFlow>();
}

bool RaceWorld::loadTrack(const std::string& file) {
    engine.get<ResourceLoader>()->importScene(*scene, file);
    RaceSceneBuilder::removeUnusedKarts(*scene, 2);
    RaceSceneBuilder::applyTrackConventions(*scene);
    for (size_t player = 0; player < 2; ++player) {
        const int index = static_cast<int>(player);
        const PlayerKeys keys = PlayerKeys::defaults(index);
        Car* car = RaceSceneBuilder::setUpKart(*scene, RaceSceneBuilder::kartNodes(player == 0 ? "P1" : "P2"),
                                               index, &keys);
        if (car == nullptr) {
            return false;
        }
        karts[player] = car->entity;
        gameplay->karts.push_back(car->entity);
        gameplay->connectKart(*car->entity);
        startPositions[player] = car->transform->getWorldPosition();
        startRotations[player] = car->transform->getGlobalRotation();
    }
    RaceSceneBuilder::findCheckpoints(*scene, *gameplay);
    return true;
}

void RaceWorld::addBoxRace() {
    addCheckpoint(0, {0.0f, 0.0f, 0.0f});
    gameplay->setKarts(addKart("P1", 0, {-3.0f, 1.0f, 0.0f}), addKart("P2", 1, {3.0f, 1.0f, 0.0f}));
    Entity* end = scene->createEntity("endScreen");
    end->addComponent<Transform2D>();
    gameplay->endScreen = end->addComponent<UITex>();
    gameplay->endScreen->setEnabled(false);
}

Entity* RaceWorld::addKart(const std::string& name, unsigned player, const glm::vec3& position) {
    Entity* kart = scene->createEntity(name);
    kart->addComponent<Transform>()->setPosition(position);
    kart->addComponent<RigidBodyDynamic>()->addCollisionShape()->setBox(1.4f, 0.6f, 2.2f);
    kart->addComponent<Car>()->playerIndex = static_cast<int>(player);
    kart->addComponent<PlayerDriver>(PlayerKeys::defaults(static_cast<int>(player)));
    kart->addComponent<RaceProgress>()->playerIndex = player;
    gameplay->connectKart(*kart);
    karts[player] = kart;
    return kart;
}

Checkpoint* RaceWorld::addCheckpoint(int index, const glm::vec3& position, float yawDegrees) {
    Entity* entity = scene->createEntity("Checkpoint-" + std::to_string(index));
    auto* transform = entity->addComponent<Transform>();
    transform->setPosition(position);
    transform->setRotation(glm::angleAxis(glm::radians(yawDegrees), glm::vec3(0, 1, 0)));
    auto* checkpoint = entity->addComponent<Checkpoint>();
    checkpoint->index = index;
    gameplay->checkpoints.push_back(checkpoint);
    return checkpoint;
}

void RaceWorld::step(int stepsPerFrame) {
    constexpr float dt = 1.0f / 60.0f;
    engine.engine->time += dt;
    input->update();
    scene->earlyUpdate(dt);
    for (int i = 0; i < stepsPerFrame; ++i) {
        scene->fixedUpdate(dt);
    }
    scene->update(dt);
    scene->lateUpdate(dt);
}

void RaceWorld::steps(int count) {
    for (int i = 0; i < count; ++i) {
        step();
    }
}

void RaceWorld::tap(int key) {
    press(key);
    frame();
    release(key);
}

std::vector<Text*> RaceWorld::texts(const std::string& text) const {
    std::vector<Text*> found;
    for (const auto& entity : scene->getEntities()) {
        if (auto* label = entity->getComponent<Text>(); label != nullptr && label->text == text) {
            found.push_back(label);
        }
    }
    return found;
}

void RaceWorld::place(int player, const glm::vec3& position, const glm::quat& rotation) {
    body(player).teleport(position, rotation);
    body(player).setLinearVelocity(glm::vec3(0.0f));
    body(player).setAngularVelocity(glm::vec3(0.0f));
}

bool RaceWorld::groundBelow(const glm::vec3& point, float& height) const {
    RaycastHit hit;
    if (!scene->getPhysicsWorld()->raycast(point + glm::vec3(0, 50, 0), glm::vec3(0, -1, 0), 200.0f, hit)) {
        return false;
    }
    height = hit.point.y;
    return true;
}
