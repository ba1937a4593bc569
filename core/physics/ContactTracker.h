// Finds which pairs of bodies began or stopped touching in a step, by comparing
// the contact manifolds after the step with those after the previous one. Pairs
// are kept in a fixed order (by body registration), so reports come out the same
// way in every run. Internal to the physics folder.
#pragma once

#include <btBulletDynamicsCommon.h>

#include <cstdint>
#include <map>
#include <tuple>
#include <vector>

struct BodyState;

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

class ContactTracker {
public:
    // The pairs that began or ended touching since the last call, in key order.
    std::vector<TouchChange> update(btDispatcher& dispatcher);
    // Drops every pair with that body without reporting it.
    void forget(uint64_t bodyId);

private:
    std::map<TouchKey, btVector3> touching;
};
