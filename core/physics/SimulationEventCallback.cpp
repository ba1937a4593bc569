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

// Like fire, but the body is looked up again before each handler: a handler may
// remove the body, and with it the event being walked.
template <typename... Args>
void SimulationEventCallback::fireWhileAlive(const PhysicsWorld& world, uint64_t id,
                                             Event<Args...> RigidBody::*event, Args... args) {
    for (size_t i = 0;; ++i) {
        const RigidBody* body = world.findBody(id);
        if (body == nullptr || i >= (body->*event).size()) {
            return;
        }
        (body->*event)[i]->function(args...);
    }
}

const std::vector<TouchChange>& SimulationEventCallback::collectChanges(btDispatcher& dispatcher) {
    now.clear();
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
        now.push_back({key, i, manifold.getContactPoint(0).getPositionWorldOnB()});
    }
    std::sort(now.begin(), now.end(), [](const Touch& a, const Touch& b) {
        return a.key < b.key || (!(b.key < a.key) && a.order < b.order);
    });
    // One entry per pair: the last manifold's.
    size_t kept = 0;
    for (size_t i = 0; i < now.size(); ++i) {
        const bool lastOfPair = i + 1 == now.size() || now[i].key < now[i + 1].key;
        if (lastOfPair) {
            now[kept++] = now[i];
        }
    }
    now.resize(kept);

    changes.clear();
    auto before = touching.begin();
    auto after = now.begin();
    while (before != touching.end() || after != now.end()) {
        if (after == now.end() || (before != touching.end() && before->key < after->key)) {
            changes.push_back({before->key, false, before->point});
            ++before;
        } else if (before == touching.end() || after->key < before->key) {
            changes.push_back({after->key, true, after->point});
            ++after;
        } else {
            ++before;
            ++after;
        }
    }
    touching.swap(now);
    return changes;
}

void SimulationEventCallback::forget(uint64_t bodyId) {
    touching.erase(std::remove_if(touching.begin(), touching.end(),
                                  [bodyId](const Touch& touch) {
                                      return touch.key.first == bodyId || touch.key.second == bodyId;
                                  }),
                   touching.end());
}

// Every change of the step is reported, in key order: contacts first, then each
// trigger pair, so two karts crossing a line in the same step are both seen.
void SimulationEventCallback::dispatch(btDispatcher& dispatcher, const PhysicsWorld& world) {
    // A copy the handlers cannot disturb; reused, so it allocates only as it grows.
    dispatchChanges = collectChanges(dispatcher);
    const std::vector<TouchChange>& changes = dispatchChanges;
    for (const TouchChange& change : changes) {
        if (change.key.trigger) {
            onTrigger(change, world);
        } else {
            onContact(change, world);
        }
    }
}

// Each body is looked up again right before it is told: a handler may have
// destroyed it, and a destroyed body hears nothing more.
void SimulationEventCallback::onContact(const TouchChange& change, const PhysicsWorld& world) {
    const glm::vec3 point = toGlm(change.point);
    for (const uint64_t id : {change.key.first, change.key.second}) {
        if (RigidBody* body = world.findBody(id)) {
            if (change.began) {
                fireWhileAlive(world, id, &RigidBody::onCollisionEnter, body, point);
            } else {
                fireWhileAlive(world, id, &RigidBody::onCollisionExit, body);
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
            fireWhileAlive(world, selfId,
                           change.began ? &RigidBody::onTriggerEnter : &RigidBody::onTriggerExit, self,
                           other);
        }
    }
}
