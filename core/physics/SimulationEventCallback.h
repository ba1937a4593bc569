// A world's event sink. Bullet reports no touch events of its own, so after each
// step this compares the contact manifolds with those after the previous step,
// and tells the bodies of every pair that began or stopped touching: contacts to
// both bodies, triggers to the trigger first. Pairs are kept in a fixed order (by
// body registration), so reports come out the same way in every run. Internal to
// the physics folder.
#pragma once

#include "core/runtime/Event.h"

#include <btBulletDynamicsCommon.h>

#include <cstdint>
#include <map>
#include <tuple>
#include <vector>

class PhysicsWorld;
class RigidBody;

struct TouchKey {
    bool trigger = false;
    // For trigger pairs the trigger's body comes first; otherwise the older body.
    uint64_t first = 0;
    uint64_t second = 0;

    bool operator<(const TouchKey& other) const {
        return std::tie(trigger, first, second) < std::tie(other.trigger, other.first, other.second);
    }
};

struct TouchChange {
    TouchKey key;
    bool began = false;
    // A world point of the contact (meaningful when a contact began).
    btVector3 point{0, 0, 0};
};

class SimulationEventCallback {
public:
    // Called once after each step, with the world whose bodies are told.
    void dispatch(btDispatcher& dispatcher, const PhysicsWorld& world);
    // Drops every pair with that body without reporting it.
    void forget(uint64_t bodyId);

private:
    // The pairs that began or ended touching since the last call, in key order.
    const std::vector<TouchChange>& collectChanges(btDispatcher& dispatcher);
    static void onContact(const TouchChange& change, const PhysicsWorld& world);
    static void onTrigger(const TouchChange& change, const PhysicsWorld& world);
    template <typename... Args>
    static void fireWhileAlive(const PhysicsWorld& world, uint64_t id, Event<Args...> RigidBody::*event,
                               Args... args);

    struct Touch {
        TouchKey key;
        // Manifold order: of several joining the same two bodies, the last names the point.
        int order = 0;
        btVector3 point{0, 0, 0};
    };
    // Sorted by key, one entry per pair. Kept vectors (not maps) so that a
    // steady step allocates nothing.
    std::vector<Touch> touching;
    std::vector<Touch> now;
    std::vector<TouchChange> changes;
    std::vector<TouchChange> dispatchChanges;
};
