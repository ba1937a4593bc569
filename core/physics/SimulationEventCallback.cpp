// Touch events found by comparing Bullet's manifolds from one step to the next.
#include "core/physics/SimulationEventCallback.h"

#include "core/physics/BodyState.h"
#include "core/physics/BulletMath.h"
#include "core/physics/PhysicsWorld.h"
#include "core/physics/RigidBody.h"
#include "core/platform/Log.h"
#include "core/runtime/Entity.h"

#include <algorithm>

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

std::vector<TouchChange> SimulationEventCallback::collectChanges(btDispatcher& dispatcher) {
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

void SimulationEventCallback::forget(uint64_t bodyId) {
    for (auto it = touching.begin(); it != touching.end();) {
        if (it->first.first == bodyId || it->first.second == bodyId) {
            it = touching.erase(it);
        } else {
            ++it;
        }
    }
}

void SimulationEventCallback::dispatch(btDispatcher& dispatcher, const PhysicsWorld& world) {
    const std::vector<TouchChange> changes = collectChanges(dispatcher);
    for (const TouchChange& change : changes) {
        if (!change.key.trigger) {
            onContact(change, world);
        }
    }
    if (world.reportEveryTrigger) {
        for (const TouchChange& change : changes) {
            if (change.key.trigger) {
                onTrigger(change, world);
            }
        }
        return;
    }
    // Triggers arrive as one batch per step, of which only the first pair is handled.
    const auto firstTrigger = std::find_if(changes.begin(), changes.end(),
                                           [](const TouchChange& change) { return change.key.trigger; });
    if (firstTrigger != changes.end()) {
        onTrigger(*firstTrigger, world);
    }
}

// Each body is looked up again right before it is told: a handler may have
// destroyed it, and a destroyed body hears nothing more.
void SimulationEventCallback::onContact(const TouchChange& change, const PhysicsWorld& world) {
    const glm::vec3 point = toGlm(change.point);
    for (const uint64_t id : {change.key.first, change.key.second}) {
        if (RigidBody* body = world.findBody(id)) {
            if (change.began) {
                fire(body->onCollisionEnter, body, point);
            } else {
                fire(body->onCollisionExit, body);
            }
        }
    }
}

// The trigger's body hears first, then its partner; each gets itself and the other.
void SimulationEventCallback::onTrigger(const TouchChange& change, const PhysicsWorld& world) {
    const char* prefix = change.began ? "Trigger enter: " : "Trigger exit: ";
    const std::pair<uint64_t, uint64_t> order[] = {{change.key.first, change.key.second},
                                                   {change.key.second, change.key.first}};
    for (const auto& [selfId, otherId] : order) {
        RigidBody* self = world.findBody(selfId);
        RigidBody* other = world.findBody(otherId);
        if (self == nullptr || other == nullptr) {
            continue;
        }
        logInfo(prefix, self->entity->name);
        const auto handlers = change.began ? self->triggerEnterHandlers : self->triggerExitHandlers;
        for (const auto& entry : handlers) {
            if (entry.second && world.findBody(otherId) == other) {
                entry.second(other);
            }
        }
        if (world.findBody(selfId) == self && world.findBody(otherId) == other) {
            fire(change.began ? self->onTriggerEnter : self->onTriggerExit, self, other);
        }
    }
}
