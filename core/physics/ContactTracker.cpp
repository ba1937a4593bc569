// Touch tracking over Bullet's manifolds.
#include "core/physics/ContactTracker.h"

#include "core/physics/BodyState.h"

namespace {

bool isTrigger(const btCollisionObject* object) {
    return !object->hasContactResponse();
}

// A trigger overlaps only where the shapes interpenetrate; solid pairs touch as
// soon as Bullet keeps a contact point for them (within its small contact margin).
bool isTouching(const btPersistentManifold& manifold, bool trigger) {
    if (!trigger) {
        return manifold.getNumContacts() > 0;
    }
    for (int i = 0; i < manifold.getNumContacts(); ++i) {
        if (manifold.getContactPoint(i).getDistance() < 0) {
            return true;
        }
    }
    return false;
}

} // namespace

std::vector<TouchChange> ContactTracker::update(btDispatcher& dispatcher) {
    std::map<TouchKey, btVector3> now;
    const int count = dispatcher.getNumManifolds();
    for (int i = 0; i < count; ++i) {
        const btPersistentManifold& manifold = *dispatcher.getManifoldByIndexInternal(i);
        const btCollisionObject* objectA = manifold.getBody0();
        const btCollisionObject* objectB = manifold.getBody1();
        const auto* bodyA = static_cast<const BodyState*>(objectA->getUserPointer());
        const auto* bodyB = static_cast<const BodyState*>(objectB->getUserPointer());
        if (bodyA == nullptr || bodyB == nullptr || bodyA == bodyB) {
            continue;
        }
        const bool triggerA = isTrigger(objectA);
        const bool triggerB = isTrigger(objectB);
        if (triggerA && triggerB) {
            continue;
        }
        const bool trigger = triggerA || triggerB;
        if (!isTouching(manifold, trigger)) {
            continue;
        }
        TouchKey key;
        key.trigger = trigger;
        if (trigger) {
            key.first = triggerA ? bodyA->id : bodyB->id;
            key.second = triggerA ? bodyB->id : bodyA->id;
        } else {
            key.first = std::min(bodyA->id, bodyB->id);
            key.second = std::max(bodyA->id, bodyB->id);
        }
        // Several manifolds may join the same two bodies; the last one names the point.
        now[key] = manifold.getContactPoint(0).getPositionWorldOnB();
    }

    std::vector<TouchChange> changes;
    auto before = touching.begin();
    auto after = now.begin();
    while (before != touching.end() || after != now.end()) {
        if (after == now.end() || (before != touching.end() && before->first < after->first)) {
            changes.push_back({before->first, false, before->second});
            ++before;
        } else if (before == touching.end() || after->first < before->first) {
            changes.push_back({after->first, true, after->second});
            ++after;
        } else {
            ++before;
            ++after;
        }
    }
    touching = std::move(now);
    return changes;
}

void ContactTracker::forget(uint64_t bodyId) {
    for (auto it = touching.begin(); it != touching.end();) {
        if (it->first.first == bodyId || it->first.second == bodyId) {
            it = touching.erase(it);
        } else {
            ++it;
        }
    }
}
