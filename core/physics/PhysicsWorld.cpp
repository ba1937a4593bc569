// Per-scene simulation: the fixed step, contact and trigger dispatch, pose
// write-back, the mesh-only ray query and the static-world sphere sweep.
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

// Sees only static solids: the scenery a camera must not sit inside.
struct StaticSweepCallback : btCollisionWorld::ClosestConvexResultCallback {
    StaticSweepCallback(const btVector3& from, const btVector3& to) : ClosestConvexResultCallback(from, to) {}

    bool needsCollision(btBroadphaseProxy* proxy) const override {
        const auto* object = static_cast<const btCollisionObject*>(proxy->m_clientObject);
        return object->isStaticObject() && object->hasContactResponse();
    }
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
        state->events.forget(body->state->id);
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
    state->events.dispatch(*state->dispatcher, *this);
    writeBack();
}

void PhysicsWorld::restartSimulation() {
    if (state == nullptr) {
        return;
    }
    applyPendingChanges();
    std::unique_ptr<WorldState> fresh;
    try {
        fresh = std::make_unique<WorldState>();
    } catch (const std::bad_alloc&) {
        logError("Physics: no memory to restart the simulation; it carries on as it was");
        return;
    }
    fresh->world->setGravity(toBullet(gravity));
    for (RigidBody* body : bodies) {
        body->leaveSimulation(*state->world);
    }
    state = std::move(fresh);
    for (RigidBody* body : bodies) {
        body->joinSimulation(*state->world);
    }
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

bool PhysicsWorld::sphereCast(const glm::vec3& origin, const glm::vec3& direction, float radius,
                              float maxDistance, RaycastHit& hit) const {
    const float length = glm::length(direction);
    if (state == nullptr || !(length > 0.0f) || !(maxDistance > 0.0f) || !(radius > 0.0f) ||
        !isFinite(origin) || !isFinite(direction) || !std::isfinite(maxDistance) || !std::isfinite(radius)) {
        return false;
    }
    const glm::vec3 unit = direction / length;
    const btVector3 from = toBullet(origin);
    const btVector3 to = toBullet(origin + unit * maxDistance);
    const btSphereShape sphere(radius);
    btTransform start = btTransform::getIdentity();
    btTransform end = btTransform::getIdentity();
    start.setOrigin(from);
    end.setOrigin(to);
    StaticSweepCallback callback(from, to);
    state->world->convexSweepTest(&sphere, start, end, callback);
    if (!callback.hasHit()) {
        return false;
    }
    const auto* owner = static_cast<const BodyState*>(callback.m_hitCollisionObject->getUserPointer());
    hit.body = owner != nullptr ? owner->owner : nullptr;
    hit.shape =
        static_cast<CollisionShape*>(callback.m_hitCollisionObject->getCollisionShape()->getUserPointer());
    hit.distance = callback.m_closestHitFraction * maxDistance;
    hit.point = toGlm(callback.m_hitPointWorld);
    const glm::vec3 normal = toGlm(callback.m_hitNormalWorld);
    hit.normal = glm::length(normal) > 0.0f ? glm::normalize(normal) : -unit;
    hit.faceIndex = -1;
    return true;
}
