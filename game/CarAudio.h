// A kart's sounds, placed in 3D on the kart itself: an engine loop whose pitch
// rises with speed, a skid loop heard while the kart slides sideways on the
// ground, and an impact on every collision the kart's body begins.
#pragma once

#include "core/runtime/Updateable.h"

#include <glm/glm.hpp>

class AudioSource;
class Car;
class RigidBody;

class CarAudio : public Updateable {
public:
    // Listens for the collisions of the entity's rigid body, which must exist already.
    CarAudio(SystemRegistry* systems, Entity* entity);
    ~CarAudio() override;

    // Gives a kart its three sources (player 0's engine "engineLoop", player 1's
    // "engineLoop2", the "skid" and the "impact", all loaded as 3D sounds) and its
    // CarAudio, initialised.
    static CarAudio* addTo(Entity& kart, int playerIndex);

    // Loop modes and levels of the three sources, once they are assigned.
    void init();

    // The engine and the skid run exactly while the scene runs.
    void onSceneActive(bool active) override;
    void update(float dt) override;

    void onImpact(RigidBody* body, glm::vec3 point);

    AudioSource* engineSource = nullptr;
    AudioSource* skidSource = nullptr;
    AudioSource* impactSource = nullptr;
    Car* car = nullptr;

    static constexpr float restPitch = 0.8f;
    static constexpr float engineVolume = 1.5f;
    static constexpr float impactVolume = 2.0f;
    static constexpr float skidPitch = 0.25f;
    static constexpr float skidVolume = 3.5f;
    // Sideways metres per second on the ground above which the tyres are heard.
    static constexpr float skidSpeed = 4.5f;

private:
    RigidBody* body = nullptr;
};
