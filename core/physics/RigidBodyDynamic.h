// A simulated moving body (karts, cones). Its pose is written to the entity's
// Transform after every step. A new body has mass 1, inertia (1, 1, 1) about its
// centre of mass, which sits at the body's origin until moved, no linear damping,
// angular damping 0.05 and an angular speed limit of 7 rad/s.
#pragma once

#include "core/physics/RigidBody.h"

class RigidBodyDynamic : public RigidBody {
public:
    RigidBodyDynamic(SystemRegistry* systems, Entity* entity);

    float getMass() const;
    // Changes the mass only; the inertia stays as it was.
    void setMass(float mass);
    // Principal moments of inertia about the centre of mass.
    glm::vec3 getInertia() const;
    void setInertia(const glm::vec3& inertia);

    // Centre of mass in the body's local frame. The body's pose stays where it is.
    glm::vec3 getCenterOfMass() const;
    void setCenterOfMass(const glm::vec3& localPoint);
    glm::vec3 getCenterOfMassPosition() const;

    glm::vec3 getLinearVelocity() const;
    glm::vec3 getAngularVelocity() const;
    void setLinearVelocity(const glm::vec3& velocity);
    void setAngularVelocity(const glm::vec3& velocity);
    // Velocity of the body's material at a world point: linear + angular x (point - centre).
    glm::vec3 getVelocityAtPosition(const glm::vec3& worldPoint) const;

    // Forces and torques act during the next step only. All of these wake the body.
    void addForce(const glm::vec3& force);
    void addForceAtPosition(const glm::vec3& force, const glm::vec3& worldPoint);
    void addTorque(const glm::vec3& torque);
    // Velocity changes ignore mass and inertia and take effect at the start of the
    // next step, so the velocity getters show them only after that step.
    void addVelocityChange(const glm::vec3& deltaVelocity);
    void addAngularVelocityChange(const glm::vec3& deltaAngularVelocity);
    // The impulse that changes the centre's velocity by deltaVelocity, applied at a
    // world point: it also spins the body.
    void addVelocityChangeAtPosition(const glm::vec3& deltaVelocity, const glm::vec3& worldPoint);

    // Moves the body to a world pose at once (velocities are kept), updates the
    // entity's Transform and wakes the body.
    void teleport(const glm::vec3& position, const glm::quat& rotation);

    // With sleep disabled the body never falls asleep, even when it stands still.
    void setSleepEnabled(bool enabled);
    bool isSleeping() const;
    void wakeUp();

    float getMaxAngularVelocity() const;
    void setMaxAngularVelocity(float radiansPerSecond);
    void setDamping(float linear, float angular);
    float getLinearDamping() const;
    float getAngularDamping() const;

    // Sweeps fast motion so that small, light bodies do not pass through others.
    void setContinuousCollision(bool enabled);
};
