// Loading sound files through the resource loader's path resolution.
#include "core/audio/Sound.h"

#include "core/audio/Audio.h"
#include "core/platform/Log.h"
#include "core/resources/ResourceLoader.h"
#include "core/runtime/Engine.h"
#include "core/runtime/SystemRegistry.h"

Sound::Sound(SystemRegistry* systems) : Resource(systems), engine(systems->get<Engine>()) {}

// Clips belong to the runtime, which frees them all when it closes.
Sound::~Sound() = default;

void Sound::load(const std::string& path, bool threeD) {
    is3D = threeD;
    const ResourceLoader* loader = systems->get<ResourceLoader>();
    const std::string resolved = loader != nullptr ? loader->resolve(path) : path;
    const Audio* audio = systems->get<Audio>();
    SoundSystem* soundSystem = audio != nullptr ? audio->soundSystem.get() : nullptr;
    const unsigned mode = is3D ? SoundMode::threeD : SoundMode::twoD;
    const SoundResult result = soundSystem != nullptr ? soundSystem->createSound(resolved, mode, &clip)
                                                      : SoundResult::notInitialized;
    if (result != SoundResult::ok) {
        clip = nullptr;
        logError("Could not load sound: ", path);
    }
}
