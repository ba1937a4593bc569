// A kart's particle effects: two exhaust smoke trails that thicken while it
// slides or boosts, a flame burst each time a boost starts, sparks where it
// hits something, and the splash, water mist and sparks that burst when it
// falls into the water. Each effect lives on an entity of its own.
#pragma once

#include "core/runtime/Updateable.h"

#include <glm/glm.hpp>

#include <string>
#include <utility>
#include <vector>

class Car;
class Entity;
class ParticleSystem;
class RigidBody;
class RigidBodyDynamic;

class CarParticles : public Updateable {
public:
    // Needs the kart's Car (and so its body) to exist already.
    CarParticles(SystemRegistry* systems, Entity* entity);
    ~CarParticles() override;

    // Creates the effect entities: the exhaust smoke "ps" twice, the flame
    // "psBoost" and the unnamed collision spark entity riding on the kart, and
    // the water bursts "splashParticles", "splashMistParticles" and "psSpark",
    // which wait in the world for the kart to fall in.
    void createEffects();
    // The cached texture name and the picture file of each of those effects.
    static std::vector<std::pair<std::string, std::string>> pictures();

    void update(float dt) override;

    // The water bursts, where the kart meets the water surface.
    void splash();

    // Smoke thickness for the kart's state: lateral speed on the ground, at least 10 while boosting.
    static float smokeIntensity(const Car& car);
    // As the boost bar shows it: the boost left while one runs, else the recharge.
    static float boostFraction(const Car& car);

    ParticleSystem* exhaustSmoke1 = nullptr;
    ParticleSystem* exhaustSmoke2 = nullptr;
    ParticleSystem* boostFlame = nullptr;
    Entity* collisionSparks = nullptr;
    bool flameArmed = false;
    Car* car = nullptr;
    float baseSmokeAlpha = 0.0f;
    float baseSmokeRate = 0.0f;

    ParticleSystem* splashBurst = nullptr;
    ParticleSystem* mistBurst = nullptr;
    ParticleSystem* sparkBurst = nullptr;

    // Height of the water surface the splash starts on.
    static constexpr float waterLevel = 0.0f;

private:
    void onCollisionEnter(RigidBody* other, glm::vec3 point);
    void onCollisionExit(RigidBody* other);
    bool bodyAlive() const;

    RigidBodyDynamic* body = nullptr;
};
