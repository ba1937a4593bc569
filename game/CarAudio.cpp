// Kart sounds: set-up, scene activity and the per-frame pitch and level rules.
#include "game/CarAudio.h"

#include "core/audio/AudioSource.h"
#include "core/audio/Sound.h"
#include "core/audio/SoundTypes.h"
#include "core/physics/RigidBody.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Event.h"
#include "core/runtime/SystemRegistry.h"
#include "game/Car.h"
#include "game/GameAssets.h"

namespace {

struct SoundFile {
    const char* name;
    const char* path;
};

constexpr SoundFile engineSounds[2] = {{"engineLoop", "sounds/MotorEngine_Loop_08.wav"},
                                       {"engineLoop2", "sounds/MotorEngine_Loop_07.wav"}};
constexpr SoundFile skidSound{"skid", "sounds/Skid_25.wav"};
constexpr SoundFile impactSound{"impact", "sounds/Impact_01.wav"};

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
    auto* audio = kart.addComponent<CarAudio>();
    audio->engineSource = engineSource;
    audio->skidSource = skidSource;
    audio->impactSource = impactSource;
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
    if (skidSource != nullptr) {
        skidSource->loop = true;
        skidSource->pitch = skidPitch;
        skidSource->volume = 0.0f;
    }
}

void CarAudio::onSceneActive(bool active) {
    for (AudioSource* source : {engineSource, skidSource}) {
        if (source == nullptr) {
            continue;
        }
        if (active) {
            source->play();
        } else {
            stop(source);
        }
    }
}

void CarAudio::update(float dt) {
    Updateable::update(dt);
    if (car == nullptr) {
        return;
    }
    if (engineSource != nullptr) {
        engineSource->pitch = restPitch + car->speed / car->maxSpeed;
        apply(engineSource);
    }
    if (skidSource != nullptr) {
        skidSource->volume = car->grounded && car->lateralSpeed > skidSpeed ? skidVolume : 0.0f;
        apply(skidSource);
    }
}

void CarAudio::onImpact(RigidBody* /*body*/, glm::vec3 /*point*/) {
    if (impactSource != nullptr) {
        impactSource->play();
    }
}
