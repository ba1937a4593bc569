// Kart driving: suspension rays, hop, drive, steering, boost, grip and drag on
// each physics step; boost timing and the visual wheels on each frame.
#include "game/Car.h"

#include "core/physics/PhysicsWorld.h"
#include "core/physics/RigidBodyDynamic.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SystemRegistry.h"
#include "core/runtime/Transform.h"
#include "game/RaceMessages.h"

#include <glm/gtc/quaternion.hpp>

#include <algorithm>
#include <cmath>

namespace {

// x minus its part along n (n need not be unit length).
glm::vec3 projectOnPlane(const glm::vec3& x, const glm::vec3& n) {
    return x - (glm::dot(x, n) / glm::dot(n, n)) * n;
}

glm::quat eulerDegrees(float x, float y, float z) {
    return glm::quat(glm::radians(glm::vec3(x, y, z)));
}

} // namespace

float quantiseControl(float value) {
    // Through an integer: every step value has one bit pattern (no -0).
    const auto step = static_cast<int>(std::lround(std::clamp(value, -1.0f, 1.0f) * controlSteps));
    return static_cast<float>(step) / static_cast<float>(controlSteps);
}

Car::Car(SystemRegistry* systems, Entity* entity) : Updateable(systems, entity) {
    if (entity != nullptr) {
        body = entity->getComponent<RigidBodyDynamic>();
        transform = entity->getComponent<Transform>();
    }
    for (WheelRay& wheel : wheels) {
        wheel.hit.distance = suspensionLength;
    }
    if (body != nullptr) {
        // A kart standing still must keep reading its keys and rays.
        body->setSleepEnabled(false);
        body->setMass(1.0f);
        body->setCenterOfMass(centerOfMassOffset);
    }
    centerOfMass = centerOfMassOffset;
    boostTimer = boostCooldown;
}

void Car::seedRandom(uint32_t seed) {
    random.seed(seed);
}

void Car::takeControls() {
    if (feedStep) {
        feedStep(controls);
    }
    stepped = controls;
    stepped.throttle = quantiseControl(stepped.throttle);
    stepped.steering = quantiseControl(stepped.steering);
    // The step's boost clock, after the driving, starts the boost a step asked for.
    boostAsked = boostAsked || stepped.boost;
    controls.boost = false;
    controls.hop = false;
    controls.respawn = false;
}

float Car::steeringInput() const {
    return controlsEnabled ? stepped.steering : 0.0f;
}

void Car::fixedUpdate(float dt) {
    Updateable::fixedUpdate(dt);
    takeControls();
    simulate();
    announceBoostReady(dt);
    updateBoost(dt);
}

void Car::simulate() {
    if (body == nullptr || transform == nullptr) {
        return;
    }
    contactPoints.clear();
    const glm::mat4 world = transform->getWorldMatrix();
    castSuspension(world);
    if (controlsEnabled && stepped.hop) {
        hop();
    }
    const glm::vec3 velocity = body->getLinearVelocity();
    groundSpeed = glm::length(glm::vec2(velocity.x, velocity.z));
    throttle = controlsEnabled ? std::max(stepped.throttle, 0.0f) : 0.0f;
    localVelocity = glm::vec3(transform->getInverseWorldMatrix() * glm::vec4(velocity, 0.0f));
    const glm::vec3 centre = glm::vec3(world * glm::vec4(centerOfMass, 1.0f));
    if (contactPoints.size() < 3) {
        grounded = false;
        const glm::vec3 forward = -glm::vec3(world[2]);
        body->addForceAtPosition(airForce, centre + airForceOffset * forward);
        return;
    }
    grounded = true;
    driveOnGround(world, velocity, centre);
}

void Car::castSuspension(const glm::mat4& world) {
    PhysicsWorld* physics = body->getWorld();
    const glm::vec3 up = glm::vec3(world[1]);
    const float mass = body->getMass();
    for (WheelRay& wheel : wheels) {
        wheel.grounded = false;
        const glm::vec3 origin = glm::vec3(world * glm::vec4(wheel.localOffset, 1.0f));
        if (physics == nullptr || !physics->raycast(origin, -up, suspensionLength, wheel.hit)) {
            continue;
        }
        wheel.grounded = true;
        contactPoints.push_back(wheel.hit.point);
        const float compression = (suspensionLength - wheel.hit.distance) / suspensionLength;
        const glm::vec3 pointVelocity = body->getVelocityAtPosition(origin);
        const float upSpeed = glm::dot(pointVelocity, up) / glm::dot(up, up);
        const glm::vec3 force = mass * (springStrength * compression * up - springDamping * upSpeed * up);
        body->addForceAtPosition(force, origin);
    }
}

void Car::hop() {
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    glm::vec3 spin(unit(random), unit(random), unit(random));
    const float length = glm::length(spin);
    spin = length > 1e-6f ? spin / length : glm::vec3(0.0f, 1.0f, 0.0f);
    body->addVelocityChange(glm::vec3(0.0f, 3.0f, 0.0f));
    body->addAngularVelocityChange(10.0f * spin);
}

void Car::driveOnGround(const glm::mat4& world, const glm::vec3& velocity, const glm::vec3& centre) {
    speed = glm::length(velocity);
    const float ratio = speed / maxSpeed;
    const float clampedRatio = std::min(ratio, 1.0f);

    const glm::vec3& p0 = contactPoints[0];
    const glm::vec3 normal = glm::normalize(glm::cross(contactPoints[2] - p0, contactPoints[1] - p0));
    const glm::vec3 up = glm::vec3(world[1]);
    const glm::vec3 right = projectOnPlane(glm::vec3(world[0]), normal);
    const glm::vec3 planeVelocity = projectOnPlane(velocity, normal);
    const glm::vec3 sideways = (glm::dot(velocity, right) / glm::dot(right, right)) * right;
    const glm::vec3 drivePoint = centre + driveForceHeight * up;
    const glm::vec3 forward = glm::normalize(projectOnPlane(-glm::vec3(world[2]), normal));

    if (controlsEnabled && stepped.throttle != 0.0f) {
        body->addForceAtPosition(stepped.throttle * driveForce * forward, drivePoint);
    }

    float steer = steeringInput();
    if (localVelocity.z > 0.0f) {
        steer = -steer;
    }
    const float steerRate = steerRateLowSpeed + (steerRateHighSpeed - steerRateLowSpeed) * clampedRatio;
    const glm::vec3 spin = body->getAngularVelocity();
    body->addAngularVelocityChange(normal * (-steer * speed * steerRate) -
                                   normal * (glm::dot(spin, normal) / glm::dot(normal, normal)));

    // A boost started earlier keeps pushing while the controls are off.
    if (boostTimeLeft > 0.0f) {
        body->addForceAtPosition(boostForce * forward, drivePoint);
    }

    const float grip = gripLowSpeed + (gripHighSpeed - gripLowSpeed) * clampedRatio;
    lateralSpeed = glm::length(sideways);
    if (lateralSpeed > 0.001f) {
        body->addForceAtPosition(-grip * sideways, centre + gripForceHeight * up);
    }

    const float planeSpeed = glm::length(planeVelocity);
    if (planeSpeed > 0.001f) {
        // Equals the drive force at maxSpeed: the top speed under drive alone.
        body->addForce(-(driveForce * ratio) * planeVelocity / planeSpeed);
    }
}

void Car::stop() {
    if (body != nullptr) {
        body->addVelocityChange(-body->getLinearVelocity());
        body->addAngularVelocityChange(-body->getAngularVelocity());
    }
    speed = 0.0f;
    lateralSpeed = 0.0f;
    groundSpeed = 0.0f;
}

void Car::resetForRace() {
    stop();
    controls = KartControls();
    stepped = KartControls();
    boostAsked = false;
    boostTimer = boostCooldown;
    boostTimeLeft = 0.0f;
    throttle = 0.0f;
    localVelocity = glm::vec3(0.0f);
    grounded = false;
    contactPoints.clear();
}

void Car::update(float dt) {
    Updateable::update(dt);
    steerWheels(dt);
    spinWheels(dt);
    raiseWheels();
}

void Car::announceBoostReady(float dt) {
    if (!(boostTimer < boostCooldown && boostTimer + dt > boostCooldown) || messages == nullptr) {
        return;
    }
    messages->showMessage("Boost ready", playerIndex, true, glm::vec3(0.9f, 1.0f, 0.0f), 2.0f);
}

void Car::updateBoost(float dt) {
    boostTimer += dt;
    boostTimeLeft -= dt;
    // Whether or not the controls are on: a boost may start during a countdown.
    if (boostAsked && boostTimer > boostCooldown) {
        boostTimeLeft = boostDuration;
        boostTimer = -boostDuration;
    }
    boostAsked = false;
}

void Car::steerWheels(float dt) {
    const float previous = steerAngle;
    const float turn = 90.0f * dt;
    // The wheels show the driver's steering now, whether or not the kart obeys it.
    const float steering = std::clamp(controls.steering, -1.0f, 1.0f);
    if (steering != 0.0f) {
        steerAngle -= steering * turn;
    } else if (steerAngle > 0.0f) {
        steerAngle = std::max(0.0f, steerAngle - turn);
    } else {
        steerAngle = std::min(0.0f, steerAngle + turn);
    }
    steerAngle = std::clamp(steerAngle, -maxSteerAngle, maxSteerAngle);
    const glm::quat turnBy = eulerDegrees(0.0f, steerAngle - previous, 0.0f);
    for (const int i : {frontLeft, frontRight}) {
        if (Transform* wheel = wheelTransforms[static_cast<size_t>(i)]) {
            wheel->rotate(turnBy, Space::Parent);
        }
    }
}

void Car::spinWheels(float dt) {
    float angle = speed * 40.0f * dt;
    if (localVelocity.z < 0.0f) {
        angle = -angle;
    }
    const glm::quat spin = eulerDegrees(angle, 0.0f, 0.0f);
    for (Transform* wheel : wheelTransforms) {
        if (wheel != nullptr) {
            wheel->rotate(spin, Space::Local);
        }
    }
}

void Car::raiseWheels() {
    for (size_t i = 0; i < wheels.size(); ++i) {
        if (wheelTransforms[i] != nullptr) {
            wheelTransforms[i]->setPosition(wheelRestPositions[i] +
                                            glm::vec3(0.0f, wheelRaise - wheels[i].hit.distance, 0.0f));
        }
    }
}
