// Cost of one fixed physics step on a race-sized scene: a 50k-triangle track
// mesh, two karts each casting four suspension rays and pushed by forces, and
// ten light cones in their way. Prints the mean and the 99th percentile.
#include "core/physics/CollisionShape.h"
#include "core/physics/Physics.h"
#include "core/physics/PhysicsWorld.h"
#include "core/physics/RigidBodyDynamic.h"
#include "core/physics/RigidBodyStatic.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/ResourceLoader.h"
#include "core/runtime/Engine.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/runtime/SystemRegistry.h"
#include "core/runtime/Transform.h"

#include <glm/glm.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numeric>
#include <vector>

namespace {

constexpr int cells = 159; // 2 x 159 x 159 = 50562 triangles
constexpr float trackSize = 400.0f;
constexpr float suspensionLength = 0.5f;

// Gently rolling ground, so that rays and contacts meet sloped triangles.
float heightAt(float x, float z) {
    return 0.6f * std::sin(x * 0.05f) * std::cos(z * 0.04f);
}

void buildTrack(Scene& scene) {
    std::vector<glm::vec3> positions;
    std::vector<uint16_t> indices;
    const float cell = trackSize / cells;
    for (int z = 0; z <= cells; ++z) {
        for (int x = 0; x <= cells; ++x) {
            const float px = -0.5f * trackSize + cell * static_cast<float>(x);
            const float pz = -0.5f * trackSize + cell * static_cast<float>(z);
            positions.emplace_back(px, heightAt(px, pz), pz);
        }
    }
    const auto at = [](int x, int z) { return static_cast<uint16_t>(z * (cells + 1) + x); };
    for (int z = 0; z < cells; ++z) {
        for (int x = 0; x < cells; ++x) {
            indices.insert(indices.end(), {at(x, z), at(x, z + 1), at(x + 1, z)});
            indices.insert(indices.end(), {at(x + 1, z), at(x, z + 1), at(x + 1, z + 1)});
        }
    }
    Entity* track = scene.createEntity("Track_MC_");
    track->addComponent<Transform>();
    track->addComponent<RigidBodyStatic>()->addCollisionShape()->setTriangles(positions, indices);
}

// The shape of the game's driving model: spring-damper rays at the box's bottom
// corners, a drive force below the centre, a fixed yaw rate and speed drag.
struct Kart {
    Kart(Scene& scene, const char* name, const glm::vec3& start) {
        Entity* entity = scene.createEntity(name);
        transform = entity->addComponent<Transform>();
        transform->setPosition(start);
        body = entity->addComponent<RigidBodyDynamic>();
        body->addCollisionShape()->setBox(1.4f, 0.6f, 2.2f);
        body->setSleepEnabled(false);
        body->setMass(1.0f);
        body->setCenterOfMass(glm::vec3(0.0f, -1.0f, 0.0f));
        const glm::vec3 s(0.7f, 0.3f, 1.1f);
        corners[0] = {-s.x, -s.y - 0.0001f, -s.z};
        corners[1] = {s.x, -s.y - 0.0001f, -s.z};
        corners[2] = {s.x, -s.y - 0.0001f, s.z};
        corners[3] = {-s.x, -s.y - 0.0001f, s.z};
    }

    void fixedUpdate(const PhysicsWorld& world) {
        const glm::mat4 m = transform->getWorldMatrix();
        const glm::vec3 up(m[1]);
        int grounded = 0;
        for (const glm::vec3& corner : corners) {
            const glm::vec3 origin(m * glm::vec4(corner, 1.0f));
            RaycastHit hit;
            if (!world.raycast(origin, -up, suspensionLength, hit)) {
                continue;
            }
            ++grounded;
            const float compression = (suspensionLength - hit.distance) / suspensionLength;
            const float w = glm::dot(body->getVelocityAtPosition(origin), up) / glm::dot(up, up);
            body->addForceAtPosition(body->getMass() * (12.0f * compression * up - 1.4f * w * up), origin);
        }
        const glm::vec3 centre(m * glm::vec4(0.0f, -1.0f, 0.0f, 1.0f));
        if (grounded < 3) {
            body->addForceAtPosition(glm::vec3(0.0f, -6.0f, 0.0f), centre);
            return;
        }
        const glm::vec3 forward = -glm::vec3(m[2]);
        body->addForceAtPosition(30.0f * forward, centre - 0.5f * up);
        const glm::vec3 spin = body->getAngularVelocity();
        body->addAngularVelocityChange(up * (0.3f - glm::dot(spin, up)));
        const glm::vec3 velocity = body->getLinearVelocity();
        const float speed = glm::length(velocity);
        if (speed > 0.001f) {
            body->addForce(-(30.0f * speed / 30.0f) * velocity / speed);
        }
    }

    Transform* transform = nullptr;
    RigidBodyDynamic* body = nullptr;
    glm::vec3 corners[4];
};

} // namespace

int main() {
    auto systems = std::make_unique<SystemRegistry>();
    systems->add<Engine>();
    // The cache loads its built-in shaders as it starts.
    systems->add<ResourceLoader>()->baseDir = TW_ASSETS_DIR;
    systems->add<ResourceCache>();
    systems->add<SceneManager>();
    systems->add<Physics>();
    Scene& scene = *systems->get<SceneManager>()->createScene("bench");
    buildTrack(scene);
    std::vector<Kart> karts;
    karts.emplace_back(scene, "P1", glm::vec3(-3.0f, 1.2f, 60.0f));
    karts.emplace_back(scene, "P2", glm::vec3(3.0f, 1.2f, 60.0f));
    for (int i = 0; i < 10; ++i) {
        Entity* cone = scene.createEntity("Cone_Signaling");
        cone->addComponent<Transform>()->setPosition(glm::vec3(static_cast<float>(i % 2) * 6.0f - 3.0f, 1.6f,
                                                               40.0f - 8.0f * static_cast<float>(i / 2)));
        auto* body = cone->addComponent<RigidBodyDynamic>();
        body->addCollisionShape()->setBox(1.5f, 2.0f, 1.5f);
        body->setMass(0.001f);
    }

    PhysicsWorld& world = *scene.getPhysicsWorld();
    const auto fixedStep = [&] {
        for (Kart& kart : karts) {
            kart.fixedUpdate(world);
        }
        scene.fixedUpdate(Engine::fixedStep);
    };
    for (int i = 0; i < 120; ++i) {
        fixedStep();
    }
    constexpr int steps = 7200;
    std::vector<double> micros;
    micros.reserve(steps);
    for (int i = 0; i < steps; ++i) {
        const auto start = std::chrono::steady_clock::now();
        fixedStep();
        const auto end = std::chrono::steady_clock::now();
        micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    const double mean = std::accumulate(micros.begin(), micros.end(), 0.0) / steps;
    std::vector<double> sorted = micros;
    std::sort(sorted.begin(), sorted.end());
    const double p99 = sorted[static_cast<size_t>(0.99 * (steps - 1))];
    const glm::vec3 p1 = karts[0].body->getGlobalPosition();
    std::printf("physics_step: %d steps, mean %.1f us, median %.1f us, p99 %.1f us, max %.1f us\n", steps,
                mean, sorted[steps / 2], p99, sorted.back());
    std::printf("kart P1 at (%.1f, %.2f, %.1f), speed %.1f m/s\n", p1.x, p1.y, p1.z,
                glm::length(karts[0].body->getLinearVelocity()));
    return 0;
}
