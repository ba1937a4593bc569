// The Bullet objects behind one PhysicsWorld, and the collision groups its
// objects are filed under. Internal to the physics folder.
#pragma once

#include "core/physics/CappedDynamicsWorld.h"
#include "core/physics/SimulationEventCallback.h"

#include <btBulletDynamicsCommon.h>

#include <memory>

// Static solids meet only moving objects; triggers meet every solid but never
// other triggers; moving solids meet everything.
namespace collisionGroups {
constexpr int staticSolid = btBroadphaseProxy::StaticFilter;
constexpr int dynamicSolid = btBroadphaseProxy::DefaultFilter;
constexpr int trigger = btBroadphaseProxy::SensorTrigger;
constexpr int staticSolidMask = dynamicSolid | trigger;
constexpr int dynamicSolidMask = staticSolid | dynamicSolid | trigger;
constexpr int staticTriggerMask = dynamicSolid;
constexpr int dynamicTriggerMask = staticSolid | dynamicSolid;
} // namespace collisionGroups

// Keeps the shapes of one body from meeting each other (a moving body's trigger
// rides along with its own solid shapes).
struct SameBodyFilter : btOverlapFilterCallback {
    bool needBroadphaseCollision(btBroadphaseProxy* proxy0, btBroadphaseProxy* proxy1) const override;
};

struct WorldState {
    WorldState();

    std::unique_ptr<btDefaultCollisionConfiguration> configuration;
    std::unique_ptr<btCollisionDispatcher> dispatcher;
    std::unique_ptr<btDbvtBroadphase> broadphase;
    std::unique_ptr<btSequentialImpulseConstraintSolver> solver;
    std::unique_ptr<CappedDynamicsWorld> world;
    SameBodyFilter filter;
    SimulationEventCallback events;
};

// Installs the process-wide contact hook (material combination and the
// smoothing of internal mesh edges). Safe to call any number of times.
void installSimulationHooks();
