// Kart sounds: set-up, scene activity and the per-frame pitch and level rules.
#include "game/CarAudio.h"

#include "core/audio/AudioSource.h"
#include "core/audio/Sound.h"
#include "core/audio/SoundTypes.h"
#include "core/physics/RigidBody.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Event.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SystemRegistry.h"
#include "game/Car.h"
#include "game/GameAssets.h"

#include <algorithm>

namespace {

struct SoundFile {
    const char* name;
    const char* path;
};

constexpr SoundFile engineSounds[2] = {{"engineLoop", "sounds/MotorEngine_Loop_08.wav"},
                                       {"engineLoop2", "sounds/MotorEngine_Loop_07.wav"}};
constexpr SoundFile skidSound{"skid", "sounds/Skid_25.wav"};
constexpr SoundFile impactSound{"impact", "sounds/Impact_01.wav"};
constexpr SoundFile boostSound{"boost", "sounds/boost.wav"};

AudioSource* addSource(Entity& kart, const SoundFile& file) {
    auto* source = kart.addComponent<AudioSource>();
    // Both karts share the skid and impact sounds: each is loaded once.
    source->sound = cachedSound(kart.systems, file.name, file.path, true);
    return source;
}

// A source keeps its settings for its next start; a playing one hears them now.
void apply(const AudioSource* source) {
    if (source == nullptr || !source->channel) {
        return;
    }
    source->channel.setMode(source->loop ? SoundMode::loopNormal : SoundMode::loopOff);
    source->channel.setPitch(source->pitch);
    source->channel.setVolume(source->volume);
}

void stop(AudioSource* source) {
    if (source != nullptr && source->state != AudioSource::stopped) {
        source->channel.stop();
        source->state = AudioSource::stopped;
    }
}

} // namespace

CarAudio::CarAudio(SystemRegistry* systems, Entity* entity)
    : Updateable(systems, entity), car(entity->getComponent<Car>()), body(entity->getComponent<RigidBody>()) {
    if (body != nullptr) {
        subscribe(body->onCollisionEnter, this, &CarAudio::onImpact);
    }
}

CarAudio::~CarAudio() {
    // While the entity is torn down the components before this one are already
    // gone (and their events with them); only a body that is still there is told.
    if (body != nullptr && entity->getComponent<RigidBody>() == body) {
        unsubscribe(body->onCollisionEnter, this);
    }
}

CarAudio* CarAudio::addTo(Entity& kart, int playerIndex) {
    const SoundFile& engine = engineSounds[playerIndex == 1 ? 1 : 0];
    AudioSource* engineSource = addSource(kart, engine);
    AudioSource* skidSource = addSource(kart, skidSound);
    AudioSource* impactSource = addSource(kart, impactSound);
    AudioSource* boostSource = addSource(kart, boostSound);
    auto* audio = kart.addComponent<CarAudio>();
    audio->engineSource = engineSource;
    audio->skidSource = skidSource;
    audio->impactSource = impactSource;
    audio->boostSource = boostSource;
    audio->init();
    return audio;
}

void CarAudio::init() {
    if (engineSource != nullptr) {
        engineSource->loop = true;
        engineSource->volume = engineVolume;
    }
    if (impactSource != nullptr) {
        impactSource->volume = impactVolume;
    }
    if (boostSource != nullptr) {
        boostSource->volume = boostVolume;
    }
    if (skidSource != nullptr) {
        skidSource->loop = true;
        skidSource->pitch = skidPitch;
        skidSource->volume = 0.0f;
    }
}

void CarAudio::onSceneActive(bool active) {
    paused = false;
    for (AudioSource* source : {engineSource, skidSource}) {
        if (source == nullptr) {
            continue;
        }
        if (active && !silenced) {
            source->play();
        } else {
            stop(source);
        }
    }
}

void CarAudio::setSilenced(bool value) {
    silenced = value;
    const bool running = entity->scene != nullptr && entity->scene->isRunning();
    onSceneActive(running);
}

void CarAudio::setPaused(bool value) {
    paused = value;
    for (AudioSource* source : {engineSource, skidSource, boostSource, impactSource}) {
        if (source == nullptr || !source->channel) {
            continue;
        }
        if (value && source->state == AudioSource::playing) {
            source->channel.setPaused(true);
            source->state = AudioSource::paused;
        } else if (!value && source->state == AudioSource::paused) {
            source->play();
            source->state = AudioSource::playing;
        }
    }
}

void CarAudio::update(float dt) {
    Updateable::update(dt);
    if (car == nullptr) {
        return;
    }
    // The pause screen stops the scene's time.
    const bool frozen = entity->scene != nullptr && entity->scene->timeScale == 0.0f;
    if (frozen != paused) {
        setPaused(frozen);
    }
    if (paused) {
        return;
    }
    const float speedShare = std::clamp(car->speed / car->maxSpeed, 0.0f, 1.0f);
    if (engineSource != nullptr) {
        engineSource->pitch = restPitch + car->speed / car->maxSpeed + throttlePitch * car->throttle;
        engineSource->volume =
            engineVolume * (1.0f + engineThrottleVolume * car->throttle + engineSpeedVolume * speedShare);
        apply(engineSource);
    }
    if (skidSource != nullptr) {
        // Begins with a real slide and lasts while the kart is still sliding.
        const float threshold = sliding ? skidEndSpeed : skidSpeed;
        sliding = car->grounded && car->lateralSpeed > threshold;
        skidSource->volume = sliding ? skidVolume : 0.0f;
        apply(skidSource);
    }
    if (boostSource != nullptr && car->boostTimeLeft > lastBoostTimeLeft) {
        boostSource->play();
    }
    lastBoostTimeLeft = car->boostTimeLeft;
}

void CarAudio::onImpact(RigidBody* /*body*/, glm::vec3 /*point*/) {
    if (impactSource != nullptr) {
        impactSource->play();
    }
}
