// Per-scene simulation: the fixed step, contact and trigger dispatch, pose
// write-back and the mesh-only ray query.
#include "core/physics/PhysicsWorld.h"

#include "core/physics/BodyState.h"
#include "core/physics/BulletMath.h"
#include "core/physics/CollisionShape.h"
#include "core/physics/RigidBody.h"
#include "core/physics/ShapeState.h"
#include "core/physics/WorldState.h"
#include "core/platform/Log.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Transform.h"

#include <BulletCollision/NarrowPhaseCollision/btRaycastCallback.h>

#include <algorithm>
#include <cmath>
#include <new>

namespace {

// Sees triangle meshes that collide (not triggers), and reports the triangle hit.
struct MeshRayCallback : btCollisionWorld::ClosestRayResultCallback {
    MeshRayCallback(const btVector3& from, const btVector3& to) : ClosestRayResultCallback(from, to) {
        m_flags = btTriangleRaycastCallback::kF_FilterBackfaces;
    }

    bool needsCollision(btBroadphaseProxy* proxy) const override {
        const auto* object = static_cast<const btCollisionObject*>(proxy->m_clientObject);
        return object->hasContactResponse() &&
               object->getCollisionShape()->getShapeType() == TRIANGLE_MESH_SHAPE_PROXYTYPE;
    }

    btScalar addSingleResult(btCollisionWorld::LocalRayResult& result, bool normalInWorldSpace) override {
        triangle = result.m_localShapeInfo != nullptr ? result.m_localShapeInfo->m_triangleIndex : -1;
        return ClosestRayResultCallback::addSingleResult(result, normalInWorldSpace);
    }

    int triangle = -1;
};

bool isFinite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

} // namespace

PhysicsWorld::PhysicsWorld(SystemRegistry* systems, Scene* scene) : systems(systems), scene(scene) {
    try {
        state = std::make_unique<WorldState>();
        state->world->setGravity(toBullet(gravity));
    } catch (const std::bad_alloc&) {
        state.reset();
        logError("createScene failed!");
    }
}

PhysicsWorld::~PhysicsWorld() = default;

bool PhysicsWorld::isValid() const {
    return state != nullptr;
}

uint64_t PhysicsWorld::registerBody(RigidBody* body) {
    bodies.push_back(body);
    return nextBodyId++;
}

void PhysicsWorld::unregisterBody(RigidBody* body) {
    const auto it = std::find(bodies.begin(), bodies.end(), body);
    if (it != bodies.end()) {
        bodies.erase(it);
    }
    if (state != nullptr) {
        state->tracker.forget(body->state->id);
    }
}

RigidBody* PhysicsWorld::findBody(uint64_t id) const {
    // Ids grow with registration, so the list is sorted by id.
    const auto it =
        std::lower_bound(bodies.begin(), bodies.end(), id,
                         [](const RigidBody* body, uint64_t wanted) { return body->state->id < wanted; });
    return it != bodies.end() && (*it)->state->id == id ? *it : nullptr;
}

void PhysicsWorld::step(float dt) {
    if (state == nullptr || !(dt > 0.0f)) {
        return;
    }
    applyPendingChanges();
    // No sub-steps and no interpolation: exactly one step of dt.
    state->world->stepSimulation(dt, 0);
    dispatchEvents();
    writeBack();
}

void PhysicsWorld::applyPendingChanges() {
    for (RigidBody* body : bodies) {
        BodyState& pending = *body->state;
        if (!pending.dynamic) {
            continue;
        }
        btRigidBody& rigid = *pending.rigidBody;
        if (!pending.pendingVelocityChange.isZero()) {
            rigid.setLinearVelocity(rigid.getLinearVelocity() + pending.pendingVelocityChange);
            pending.pendingVelocityChange.setZero();
        }
        if (!pending.pendingAngularVelocityChange.isZero()) {
            rigid.setAngularVelocity(rigid.getAngularVelocity() + pending.pendingAngularVelocityChange);
            pending.pendingAngularVelocityChange.setZero();
        }
    }
}

void PhysicsWorld::dispatchEvents() {
    const std::vector<TouchChange> changes = state->tracker.update(*state->dispatcher);
    for (const TouchChange& change : changes) {
        if (!change.key.trigger) {
            reportContact(change);
        }
    }
    // Triggers arrive as one batch per step, of which only the first pair is handled.
    const auto firstTrigger = std::find_if(changes.begin(), changes.end(),
                                           [](const TouchChange& change) { return change.key.trigger; });
    if (firstTrigger != changes.end()) {
        reportTrigger(*firstTrigger);
    }
}

// Each body is looked up again right before it is told: a handler may have
// destroyed it, and a destroyed body hears nothing more.
void PhysicsWorld::reportContact(const TouchChange& change) {
    const glm::vec3 point = toGlm(change.point);
    for (const uint64_t id : {change.key.first, change.key.second}) {
        if (RigidBody* body = findBody(id)) {
            if (change.began) {
                fire(body->onCollisionEnter, body, point);
            } else {
                fire(body->onCollisionExit, body);
            }
        }
    }
}

// The trigger's body hears first, then its partner; each gets itself and the other.
void PhysicsWorld::reportTrigger(const TouchChange& change) {
    const char* prefix = change.began ? "Trigger enter: " : "Trigger exit: ";
    const std::pair<uint64_t, uint64_t> order[] = {{change.key.first, change.key.second},
                                                   {change.key.second, change.key.first}};
    for (const auto& [selfId, otherId] : order) {
        RigidBody* self = findBody(selfId);
        RigidBody* other = findBody(otherId);
        if (self == nullptr || other == nullptr) {
            continue;
        }
        logInfo(prefix, self->entity->name);
        const auto handlers = change.began ? self->triggerEnterHandlers : self->triggerExitHandlers;
        for (const auto& entry : handlers) {
            if (entry.second && findBody(otherId) == other) {
                entry.second(other);
            }
        }
        if (findBody(selfId) == self && findBody(otherId) == other) {
            fire(change.began ? self->onTriggerEnter : self->onTriggerExit, self, other);
        }
    }
}

void PhysicsWorld::writeBack() {
    for (size_t i = 0; i < bodies.size(); ++i) {
        BodyState& body = *bodies[i]->state;
        if (!body.dynamic) {
            continue;
        }
        body.pose = body.dynamicPose();
        bodies[i]->placeShapeObjects();
        if (body.transform != nullptr) {
            body.transform->setGlobalPosition(toGlm(body.pose.getOrigin()));
            body.transform->setGlobalRotation(toGlm(body.pose.getRotation()));
        }
    }
}

bool PhysicsWorld::raycast(const glm::vec3& origin, const glm::vec3& direction, float maxDistance,
                           RaycastHit& hit) const {
    const float length = glm::length(direction);
    if (state == nullptr || !(length > 0.0f) || !(maxDistance > 0.0f) || !isFinite(origin) ||
        !isFinite(direction) || !std::isfinite(maxDistance)) {
        return false;
    }
    const btVector3 from = toBullet(origin);
    const btVector3 to = toBullet(origin + direction / length * maxDistance);
    MeshRayCallback callback(from, to);
    state->world->rayTest(from, to, callback);
    if (!callback.hasHit()) {
        return false;
    }
    const auto* owner = static_cast<const BodyState*>(callback.m_collisionObject->getUserPointer());
    auto* shape =
        static_cast<CollisionShape*>(callback.m_collisionObject->getCollisionShape()->getUserPointer());
    hit.body = owner != nullptr ? owner->owner : nullptr;
    hit.shape = shape;
    hit.distance = callback.m_closestHitFraction * maxDistance;
    hit.point = toGlm(callback.m_hitPointWorld);
    hit.normal = glm::normalize(toGlm(callback.m_hitNormalWorld));
    hit.faceIndex = -1;
    if (shape != nullptr && callback.triangle >= 0 &&
        static_cast<size_t>(callback.triangle) < shape->state->faceIds.size()) {
        hit.faceIndex = shape->state->faceIds[static_cast<size_t>(callback.triangle)];
    }
    return true;
}
