// A race scene without window or track for the race tests: real physics, input
// and scenes, karts made of a box body with Car and RaceProps, checkpoints as
// plain entities, and the "gameplay" entity. Frames run through the engine with
// the driven clock, so timers and fixed steps behave as in the game.
#pragma once

#include "core/physics/CollisionShape.h"
#include "core/physics/Physics.h"
#include "core/physics/RigidBodyDynamic.h"
#include "core/resources/ResourceCache.h"
#include "core/runtime/Engine.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Input.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/runtime/Transform.h"
#include "game/Car.h"
#include "game/Checkpoint.h"
#include "game/Gameplay.h"
#include "game/RaceProps.h"
#include "game/SceneUtils.h"
#include "support/TestEngine.h"

#include <GLFW/glfw3.h>
#include <glm/gtc/quaternion.hpp>
#include <gtest/gtest.h>

#include <string>

class RaceFixture : public ::testing::Test {
protected:
    RaceFixture() : engine(testConfig(), false) {
        engine.systems->add<ResourceCache>();
        engine.systems->add<SceneManager>();
        engine.systems->add<Physics>();
        input = engine.systems->add<Input>();
        scene = engine.get<SceneManager>()->createScene("game");
        Entity* holder = scene->createEntity("gameplay");
        utils = holder->addComponent<SceneUtils>();
        gameplay = holder->addComponent<Gameplay>();
    }

    Entity* addKart(const std::string& name, unsigned player, const glm::vec3& position) {
        Entity* kart = scene->createEntity(name);
        auto* transform = kart->addComponent<Transform>();
        transform->setPosition(position);
        auto* body = kart->addComponent<RigidBodyDynamic>();
        body->addCollisionShape()->setBox(1.4f, 0.6f, 2.2f);
        auto* car = kart->addComponent<Car>();
        car->playerIndex = static_cast<int>(player);
        kart->addComponent<RaceProps>()->playerIndex = player;
        return kart;
    }

    Checkpoint* addCheckpoint(int index, const glm::vec3& position, float yawDegrees = 0.0f) {
        Entity* entity = scene->createEntity("Checkpoint-" + std::to_string(index));
        auto* transform = entity->addComponent<Transform>();
        transform->setPosition(position);
        transform->setRotation(glm::angleAxis(glm::radians(yawDegrees), glm::vec3(0, 1, 0)));
        auto* checkpoint = entity->addComponent<Checkpoint>();
        checkpoint->index = index;
        gameplay->checkpoints.push_back(checkpoint);
        return checkpoint;
    }

    // Frames of the driven clock until seconds have passed.
    void run(float seconds, uint32_t frameMs = 16) { engine.runFor(seconds, frameMs); }
    void frame() { engine.frame(16); }
    float now() const { return engine.engine->time; }
    void tap(int key) {
        input->queueKey(key, GLFW_PRESS);
        frame();
        input->queueKey(key, GLFW_RELEASE);
    }

    TestEngine engine;
    Input* input = nullptr;
    Scene* scene = nullptr;
    SceneUtils* utils = nullptr;
    Gameplay* gameplay = nullptr;
};
