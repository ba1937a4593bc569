// One scene's physics world: its bodies in registration order, stepped once per
// fixed update, the ray query the karts' wheels use to find the ground and the
// sphere sweep the chase cameras use to stay out of the scenery.
#pragma once

#include "core/physics/RaycastHit.h"

#include <glm/glm.hpp>

#include <cstdint>
#include <memory>
#include <vector>

class RigidBody;
class Scene;
class SystemRegistry;
struct WorldState;

class PhysicsWorld {
public:
    PhysicsWorld(SystemRegistry* systems, Scene* scene);
    ~PhysicsWorld();
    PhysicsWorld(const PhysicsWorld&) = delete;
    PhysicsWorld& operator=(const PhysicsWorld&) = delete;

    // Simulates exactly one step of dt, then tells bodies about contacts and
    // triggers that began or ended, then writes dynamic poses to their transforms.
    void step(float dt);

    // Closest hit along the ray on triangle-mesh shapes only, front faces only:
    // boxes and triggers are never hit. Leaves hit untouched and returns false
    // when nothing lies within maxDistance.
    bool raycast(const glm::vec3& origin, const glm::vec3& direction, float maxDistance,
                 RaycastHit& hit) const;

    // First static solid (meshes and boxes, not triggers, not moving bodies) a
    // sphere of radius meets when swept from origin along direction for at most
    // maxDistance. hit.distance is how far the centre travelled before touching,
    // hit.point the touching point. Leaves hit untouched and returns false when
    // the path is clear; a sphere that starts inside a solid does not see it.
    bool sphereCast(const glm::vec3& origin, const glm::vec3& direction, float radius, float maxDistance,
                    RaycastHit& hit) const;

    // Starts the simulation afresh: a new broadphase, contact caches and solver,
    // every body added back in registration order, moving ones where they were
    // made and at rest. What ran before (knocked cones, pairs and contacts a
    // kart made) then cannot change what follows: a race started this way runs
    // the same however many ran before it on the scene, which replays rely on.
    // No trigger or contact exits are reported for what the restart ends.
    void restartSimulation();

    glm::vec3 getGravity() const { return gravity; }
    // Bodies in registration order; destroyed bodies have left the list.
    const std::vector<RigidBody*>& getBodies() const { return bodies; }
    // False when the simulation could not be created ("createScene failed!").
    bool isValid() const;
    // The simulation objects, for the physics folder's own use (opaque elsewhere).
    WorldState* internals() const { return state.get(); }

    SystemRegistry* const systems;
    Scene* const scene;

private:
    friend class RigidBody;
    friend class RigidBodyDynamic;
    friend class CollisionShape;
    friend class SimulationEventCallback;

    uint64_t registerBody(RigidBody* body);
    void unregisterBody(RigidBody* body);
    // The live body with that id, or null once it has been destroyed.
    RigidBody* findBody(uint64_t id) const;
    void applyPendingChanges();
    void writeBack();

    const glm::vec3 gravity{0.0f, -9.81f, 0.0f};
    std::unique_ptr<WorldState> state;
    std::vector<RigidBody*> bodies;
    uint64_t nextBodyId = 1;
};
