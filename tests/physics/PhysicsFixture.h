// A scene with a real physics world and helpers that build bodies in it, for the
// physics tests. Steps are driven through the scene's fixed update, as the engine does.
#pragma once

#include "core/physics/CollisionShape.h"
#include "core/physics/Physics.h"
#include "core/physics/PhysicsMaterial.h"
#include "core/physics/PhysicsWorld.h"
#include "core/physics/RigidBodyDynamic.h"
#include "core/physics/RigidBodyStatic.h"
#include "core/resources/ResourceCache.h"
#include "core/runtime/Engine.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/runtime/Transform.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// A flat square of cells x cells quads (two triangles each) in the XZ plane,
// centred on the origin, facing +Y.
struct FlatGrid {
    FlatGrid(int cells, float size) {
        const float cell = size / static_cast<float>(cells);
        for (int z = 0; z <= cells; ++z) {
            for (int x = 0; x <= cells; ++x) {
                positions.emplace_back(-0.5f * size + cell * static_cast<float>(x), 0.0f,
                                       -0.5f * size + cell * static_cast<float>(z));
            }
        }
        const auto at = [cells](int x, int z) { return static_cast<uint16_t>(z * (cells + 1) + x); };
        for (int z = 0; z < cells; ++z) {
            for (int x = 0; x < cells; ++x) {
                indices.insert(indices.end(), {at(x, z), at(x, z + 1), at(x + 1, z)});
                indices.insert(indices.end(), {at(x + 1, z), at(x, z + 1), at(x + 1, z + 1)});
            }
        }
    }
    std::vector<glm::vec3> positions;
    std::vector<uint16_t> indices;
};

class PhysicsTest : public ::testing::Test {
public:
    PhysicsTest() : engine(testConfig(), false) {
        engine.systems->add<ResourceCache>();
        engine.systems->add<SceneManager>();
        engine.systems->add<Physics>();
        scene = engine.get<SceneManager>()->createScene("physics");
        world = scene->getPhysicsWorld();
    }

    void step(int count = 1) {
        for (int i = 0; i < count; ++i) {
            scene->fixedUpdate(Engine::fixedStep);
        }
    }

    Entity* entityAt(const std::string& name, const glm::vec3& position) {
        Entity* entity = scene->createEntity(name);
        entity->addComponent<Transform>()->setPosition(position);
        return entity;
    }

    RigidBodyStatic* ground(const glm::vec3& position = glm::vec3(0.0f), int cells = 8, float size = 40.0f) {
        RigidBodyStatic* body = entityAt("Ground", position)->addComponent<RigidBodyStatic>();
        const FlatGrid grid(cells, size);
        body->addCollisionShape()->setTriangles(grid.positions, grid.indices);
        return body;
    }

    RigidBodyStatic* staticBox(const std::string& name, const glm::vec3& position, const glm::vec3& size,
                               bool trigger = false) {
        RigidBodyStatic* body = entityAt(name, position)->addComponent<RigidBodyStatic>();
        CollisionShape* shape = body->addCollisionShape();
        shape->setBox(size);
        shape->setTrigger(trigger);
        return body;
    }

    RigidBodyDynamic* dynamicBox(const std::string& name, const glm::vec3& position,
                                 const glm::vec3& size = glm::vec3(1.0f)) {
        RigidBodyDynamic* body = entityAt(name, position)->addComponent<RigidBodyDynamic>();
        body->addCollisionShape()->setBox(size);
        return body;
    }

    TestEngine engine;
    Scene* scene = nullptr;
    PhysicsWorld* world = nullptr;
};

// Records the events of bodies it listens to, as readable lines.
struct EventLog {
    void listen(RigidBody* body) {
        subscribe(body->onCollisionEnter, this, &EventLog::collisionEnter);
        subscribe(body->onCollisionExit, this, &EventLog::collisionExit);
        subscribe(body->onTriggerEnter, this, &EventLog::triggerEnter);
        subscribe(body->onTriggerExit, this, &EventLog::triggerExit);
    }
    void collisionEnter(RigidBody* body, glm::vec3 point) {
        lines.push_back("collision enter " + nameOf(body));
        points.push_back(point);
    }
    void collisionExit(RigidBody* body) { lines.push_back("collision exit " + nameOf(body)); }
    void triggerEnter(RigidBody* self, RigidBody* other) {
        lines.push_back("trigger enter " + nameOf(self) + " " + nameOf(other));
    }
    void triggerExit(RigidBody* self, RigidBody* other) {
        lines.push_back("trigger exit " + nameOf(self) + " " + nameOf(other));
    }
    static std::string nameOf(const RigidBody* body) { return body->entity->name; }

    std::vector<std::string> lines;
    std::vector<glm::vec3> points;
};
