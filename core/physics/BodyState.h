// The simulation side of a RigidBody. Internal to the physics folder, so that no
// Bullet type reaches the rest of the program. Every collision object of a body
// carries a pointer to this record as its user pointer.
#pragma once

#include <btBulletDynamicsCommon.h>

#include <cmath>
#include <cstdint>
#include <memory>

class PhysicsWorld;
class RigidBody;
class Transform;

struct BodyState {
    RigidBody* owner = nullptr;
    PhysicsWorld* world = nullptr;
    Transform* transform = nullptr;
    uint64_t id = 0;
    bool dynamic = false;
    // The pose of the body's origin. Static bodies keep the one they were made
    // with; dynamic bodies derive theirs from the simulated centre of mass.
    btTransform pose = btTransform::getIdentity();
    // Where the body was made: a restarted simulation puts moving bodies back there.
    btTransform home = btTransform::getIdentity();

    // Dynamic bodies: solid shapes are children of one compound, placed so that
    // the centre of mass lies at the rigid body's origin.
    std::unique_ptr<btCompoundShape> compound;
    std::unique_ptr<btRigidBody> rigidBody;
    btVector3 centerOfMass{0, 0, 0};
    btVector3 pendingVelocityChange{0, 0, 0};
    btVector3 pendingAngularVelocityChange{0, 0, 0};
    btScalar maxAngularSpeed = 7;
    float linearDamping = 0.0f;
    float angularDamping = 0.05f;

    btTransform dynamicPose() const {
        return rigidBody->getWorldTransform() * btTransform(btQuaternion::getIdentity(), -centerOfMass);
    }
};

// Damping is given as a rate per second (velocity falls as e^(-rate t)); Bullet
// takes the fraction of velocity lost per second.
inline btScalar bulletDamping(float perSecond) {
    return 1.0f - std::exp(-perSecond);
}
