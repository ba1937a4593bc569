// Mass, velocities, forces and poses of moving bodies.
#include "core/physics/RigidBodyDynamic.h"

#include "core/physics/BodyState.h"
#include "core/physics/BulletMath.h"
#include "core/physics/PhysicsWorld.h"
#include "core/physics/WorldState.h"
#include "core/platform/Log.h"
#include "core/runtime/Transform.h"

#include <cmath>

namespace {

// Continuous collision: a body that moves further than this in a step is swept
// as a sphere of this radius so that it cannot pass through thin geometry.
constexpr btScalar ccdMotionThreshold = 0.1f;
constexpr btScalar ccdSweptRadius = 0.1f;

bool isFinite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

} // namespace

RigidBodyDynamic::RigidBodyDynamic(SystemRegistry* systems, Entity* entity)
    : RigidBody(systems, entity, true) {}

float RigidBodyDynamic::getMass() const {
    return state->rigidBody->getMass();
}

void RigidBodyDynamic::setMass(float mass) {
    if (!(mass > 0.0f) || !std::isfinite(mass)) {
        logWarning("RigidBodyDynamic::setMass: mass must be positive, got ", mass);
        return;
    }
    btRigidBody& rigid = *state->rigidBody;
    const btVector3 inertia = toBullet(getInertia());
    rigid.setMassProps(mass, inertia);
    // Bullet keeps gravity as a force, which must follow the new mass.
    rigid.setGravity(rigid.getGravity());
    rigid.updateInertiaTensor();
}

glm::vec3 RigidBodyDynamic::getInertia() const {
    const btVector3 inverse = state->rigidBody->getInvInertiaDiagLocal();
    const auto invert = [](btScalar v) { return v != 0 ? 1.0f / v : 0.0f; };
    return {invert(inverse.x()), invert(inverse.y()), invert(inverse.z())};
}

void RigidBodyDynamic::setInertia(const glm::vec3& inertia) {
    if (!(inertia.x > 0.0f && inertia.y > 0.0f && inertia.z > 0.0f) || !isFinite(inertia)) {
        logWarning("RigidBodyDynamic::setInertia: moments must be positive");
        return;
    }
    btRigidBody& rigid = *state->rigidBody;
    rigid.setMassProps(rigid.getMass(), toBullet(inertia));
    rigid.updateInertiaTensor();
}

glm::vec3 RigidBodyDynamic::getCenterOfMass() const {
    return toGlm(state->centerOfMass);
}

void RigidBodyDynamic::setCenterOfMass(const glm::vec3& localPoint) {
    if (!isFinite(localPoint)) {
        return;
    }
    const btTransform pose = state->dynamicPose();
    state->centerOfMass = toBullet(localPoint);
    state->rigidBody->setCenterOfMassTransform(pose *
                                               btTransform(btQuaternion::getIdentity(), state->centerOfMass));
    rebuildCompound();
}

glm::vec3 RigidBodyDynamic::getCenterOfMassPosition() const {
    return toGlm(state->rigidBody->getCenterOfMassPosition());
}

glm::vec3 RigidBodyDynamic::getLinearVelocity() const {
    return toGlm(state->rigidBody->getLinearVelocity());
}

glm::vec3 RigidBodyDynamic::getAngularVelocity() const {
    return toGlm(state->rigidBody->getAngularVelocity());
}

void RigidBodyDynamic::setLinearVelocity(const glm::vec3& velocity) {
    if (isFinite(velocity)) {
        state->rigidBody->setLinearVelocity(toBullet(velocity));
        state->rigidBody->activate(true);
    }
}

void RigidBodyDynamic::setAngularVelocity(const glm::vec3& velocity) {
    if (isFinite(velocity)) {
        state->rigidBody->setAngularVelocity(toBullet(velocity));
        state->rigidBody->activate(true);
    }
}

glm::vec3 RigidBodyDynamic::getVelocityAtPosition(const glm::vec3& worldPoint) const {
    const btRigidBody& rigid = *state->rigidBody;
    return toGlm(rigid.getVelocityInLocalPoint(toBullet(worldPoint) - rigid.getCenterOfMassPosition()));
}

void RigidBodyDynamic::addForce(const glm::vec3& force) {
    if (isFinite(force)) {
        state->rigidBody->applyCentralForce(toBullet(force));
        state->rigidBody->activate(true);
    }
}

void RigidBodyDynamic::addForceAtPosition(const glm::vec3& force, const glm::vec3& worldPoint) {
    if (isFinite(force) && isFinite(worldPoint)) {
        btRigidBody& rigid = *state->rigidBody;
        rigid.applyForce(toBullet(force), toBullet(worldPoint) - rigid.getCenterOfMassPosition());
        rigid.activate(true);
    }
}

void RigidBodyDynamic::addTorque(const glm::vec3& torque) {
    if (isFinite(torque)) {
        state->rigidBody->applyTorque(toBullet(torque));
        state->rigidBody->activate(true);
    }
}

void RigidBodyDynamic::addVelocityChange(const glm::vec3& deltaVelocity) {
    if (isFinite(deltaVelocity)) {
        state->pendingVelocityChange += toBullet(deltaVelocity);
        state->rigidBody->activate(true);
    }
}

void RigidBodyDynamic::addAngularVelocityChange(const glm::vec3& deltaAngularVelocity) {
    if (isFinite(deltaAngularVelocity)) {
        state->pendingAngularVelocityChange += toBullet(deltaAngularVelocity);
        state->rigidBody->activate(true);
    }
}

void RigidBodyDynamic::addVelocityChangeAtPosition(const glm::vec3& deltaVelocity,
                                                   const glm::vec3& worldPoint) {
    if (!isFinite(deltaVelocity) || !isFinite(worldPoint)) {
        return;
    }
    btRigidBody& rigid = *state->rigidBody;
    const btVector3 impulse = toBullet(deltaVelocity) * rigid.getMass();
    const btVector3 arm = toBullet(worldPoint) - rigid.getCenterOfMassPosition();
    state->pendingVelocityChange += toBullet(deltaVelocity);
    state->pendingAngularVelocityChange += rigid.getInvInertiaTensorWorld() * arm.cross(impulse);
    rigid.activate(true);
}

void RigidBodyDynamic::teleport(const glm::vec3& position, const glm::quat& rotation) {
    if (!isFinite(position) || !std::isfinite(glm::length(rotation)) || glm::length(rotation) == 0.0f) {
        return;
    }
    const glm::quat unit = glm::normalize(rotation);
    state->pose = toBullet(position, unit);
    btRigidBody& rigid = *state->rigidBody;
    rigid.setCenterOfMassTransform(state->pose *
                                   btTransform(btQuaternion::getIdentity(), state->centerOfMass));
    if (PhysicsWorld* world = state->world; world != nullptr && world->isValid()) {
        world->internals()->world->updateSingleAabb(&rigid);
    }
    placeShapeObjects();
    rigid.activate(true);
    if (state->transform != nullptr) {
        state->transform->setGlobalPosition(position);
        state->transform->setGlobalRotation(unit);
    }
}

void RigidBodyDynamic::setSleepEnabled(bool enabled) {
    btRigidBody& rigid = *state->rigidBody;
    rigid.forceActivationState(enabled ? ACTIVE_TAG : DISABLE_DEACTIVATION);
    rigid.setDeactivationTime(0);
}

bool RigidBodyDynamic::isSleeping() const {
    return state->rigidBody->getActivationState() == ISLAND_SLEEPING;
}

void RigidBodyDynamic::wakeUp() {
    state->rigidBody->activate(true);
}

float RigidBodyDynamic::getMaxAngularVelocity() const {
    return state->maxAngularSpeed;
}

void RigidBodyDynamic::setMaxAngularVelocity(float radiansPerSecond) {
    if (radiansPerSecond >= 0.0f) {
        state->maxAngularSpeed = radiansPerSecond;
    }
}

void RigidBodyDynamic::setDamping(float linear, float angular) {
    if (!(linear >= 0.0f) || !(angular >= 0.0f) || !std::isfinite(linear) || !std::isfinite(angular)) {
        return;
    }
    state->linearDamping = linear;
    state->angularDamping = angular;
    state->rigidBody->setDamping(bulletDamping(linear), bulletDamping(angular));
}

float RigidBodyDynamic::getLinearDamping() const {
    return state->linearDamping;
}

float RigidBodyDynamic::getAngularDamping() const {
    return state->angularDamping;
}

void RigidBodyDynamic::setContinuousCollision(bool enabled) {
    state->rigidBody->setCcdMotionThreshold(enabled ? ccdMotionThreshold : 0.0f);
    state->rigidBody->setCcdSweptSphereRadius(enabled ? ccdSweptRadius : 0.0f);
}
