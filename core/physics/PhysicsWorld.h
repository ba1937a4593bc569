// One scene's physics world: its bodies in registration order, stepped once per
// fixed update, and the ray query the karts' wheels use to find the ground.
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

    glm::vec3 getGravity() const { return gravity; }
    // Off, a step reports only the first trigger pair that began or ended in it,
    // as the two-player race always has; any other race turns it on, since karts
    // crossing checkpoints on the same step would otherwise go unseen.
    bool reportEveryTrigger = false;
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
