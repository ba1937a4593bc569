// A kart's sounds, placed in 3D on the kart itself: an engine loop whose pitch
// rises with speed and whose level and pitch rise with throttle, a skid loop
// heard from the moment the kart slides sideways on the ground until the slide
// has died down, a whoosh when a boost starts, and an impact on every collision
// the kart's body begins. They pause while the race is paused.
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

    // Gives a kart its four sources (player 0's engine "engineLoop", player 1's
    // "engineLoop2", the "skid", the "impact" and the "boost", all loaded as 3D
    // sounds) and its CarAudio, initialised.
    static CarAudio* addTo(Entity& kart, int playerIndex);

    // Loop modes and levels of the sources, once they are assigned.
    void init();

    // The engine and the skid run exactly while the scene runs.
    void onSceneActive(bool active) override;
    void update(float dt) override;

    void onImpact(RigidBody* body, glm::vec3 point);
    // A finished race: the engine and skid stop until the next race starts.
    void setSilenced(bool value);
    bool isSliding() const { return sliding; }

    AudioSource* engineSource = nullptr;
    AudioSource* skidSource = nullptr;
    AudioSource* impactSource = nullptr;
    AudioSource* boostSource = nullptr;
    Car* car = nullptr;

    static constexpr float restPitch = 0.8f;
    static constexpr float engineVolume = 1.5f;
    // Full throttle at top speed is this many times the idle level.
    static constexpr float engineThrottleVolume = 0.6f;
    static constexpr float engineSpeedVolume = 0.6f;
    // Full throttle raises the pitch by this much on top of the speed's share.
    static constexpr float throttlePitch = 0.15f;
    static constexpr float boostVolume = 3.0f;
    static constexpr float impactVolume = 2.0f;
    static constexpr float skidPitch = 0.25f;
    static constexpr float skidVolume = 3.5f;
    // Sideways metres per second on the ground above which the tyres start to be
    // heard, and below which a slide that has started is over.
    static constexpr float skidSpeed = 4.5f;
    static constexpr float skidEndSpeed = 2.0f;

private:
    void setPaused(bool value);

    RigidBody* body = nullptr;
    bool sliding = false;
    bool paused = false;
    bool silenced = false;
    float lastBoostTimeLeft = 0.0f;
};
