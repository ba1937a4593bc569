// The kart driving model: a box of mass 1 held up by four spring-damper rays,
// pushed, held sideways and turned by forces and velocity changes on every
// physics step; the visual wheels follow suspension, steering and speed each frame.
// It drives by its controls alone, which a driver component fills (KartControls.h).
#pragma once

#include "core/runtime/Updateable.h"
#include "game/KartControls.h"
#include "game/WheelRay.h"

#include <glm/glm.hpp>

#include <array>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

// value clamped to -1..1 and rounded to the nearest step of 1/controlSteps.
float quantiseControl(float value);

class RaceMessages;
class RigidBodyDynamic;
class Transform;

class Car : public Updateable {
public:
    // Needs the entity's RigidBodyDynamic and Transform to exist already.
    Car(SystemRegistry* systems, Entity* entity);

    void fixedUpdate(float dt) override;
    void update(float dt) override;

    // Takes all linear and angular velocity away on the next step.
    void stop();
    // A new race: stopped, the boost ready and nothing asked of the kart yet, as
    // when it was made, so that no race inherits the one before.
    void resetForRace();
    // Restarts the hop's random spin: the race seeds every kart when it starts,
    // so a replay of its controls spins each hop the same way.
    void seedRandom(uint32_t seed);

    // Wheel order everywhere: front-left, front-right, rear-right, rear-left.
    enum WheelIndex { frontLeft = 0, frontRight = 1, rearRight = 2, rearLeft = 3 };

    // Written by the kart's driver before the fixed steps; see KartControls.h.
    KartControls controls;
    // What the current (or last) fixed step acts on.
    const KartControls& stepControls() const { return stepped; }
    // A driver that decides per fixed step rather than per frame (a replay)
    // fills the controls here, at the start of each step, just before the kart
    // takes them. Empty for the drivers that fill them in earlyUpdate.
    std::function<void(KartControls&)> feedStep;
    bool controlsEnabled = true;
    float springStrength = 12.0f;
    float springDamping = 1.4f;
    float suspensionLength = 0.5f;
    float driveForce = 30.0f;
    float maxSpeed = 30.0f;
    float driveForceHeight = -0.5f;
    float gripLowSpeed = 2.5f;
    float gripHighSpeed = 2.5f;
    float gripForceHeight = -0.2f;
    float steerRateLowSpeed = 0.2f;
    float steerRateHighSpeed = 0.05f;
    float wheelRaise = 0.5f;
    glm::vec3 centerOfMassOffset{0.0f, -1.0f, 0.0f};
    glm::vec3 airForce{0.0f, -6.0f, 0.0f};
    float airForceOffset = -0.055f;
    float boostCooldown = 8.0f;
    float boostDuration = 1.5f;
    float boostForce = 90.0f;
    int playerIndex = 0;
    // Where "Boost ready" shows; handed over when the race is built.
    RaceMessages* messages = nullptr;
    RigidBodyDynamic* body = nullptr;
    Transform* transform = nullptr;
    std::array<WheelRay, 4> wheels;
    glm::vec3 centerOfMass{0.0f};
    // Speed the driving model last worked with (kept from the last step on the ground).
    float speed = 0.0f;
    float lateralSpeed = 0.0f;
    // Horizontal speed of the body on every step, on the ground or not: what the
    // speedometer shows.
    float groundSpeed = 0.0f;
    // How hard the driver presses forward this step with the controls on (0..1).
    float throttle = 0.0f;
    bool grounded = false;
    std::vector<glm::vec3> contactPoints;
    glm::vec3 localVelocity{0.0f};
    float boostTimer = 0.0f;
    float boostTimeLeft = 0.0f;
    std::array<Transform*, 4> wheelTransforms{};
    std::array<glm::vec3, 4> wheelRestPositions{};
    float steerAngle = 0.0f;
    float maxSteerAngle = 30.0f;

private:
    // Takes this step's controls and clears the presses for the next.
    void takeControls();
    // -1 left .. +1 right, before the reversal for rolling backwards.
    float steeringInput() const;

    void castSuspension(const glm::mat4& world);
    void hop();
    void driveOnGround(const glm::mat4& world, const glm::vec3& velocity, const glm::vec3& centre);

    // The boost's clock runs in fixed steps: the push acts on the physics, so it
    // must start and stop on the same step however the frames fall.
    void announceBoostReady(float dt);
    void updateBoost(float dt);
    void simulate();
    void steerWheels(float dt);
    void spinWheels(float dt);
    void raiseWheels();

    KartControls stepped;
    bool boostAsked = false;
    std::minstd_rand random;
};
