// Audio system start-up, per-frame update and shutdown. Start-up failures are
// reported and the engine carries on; without a sound card the runtime plays silently.
#include "core/audio/Audio.h"

#include "core/platform/Log.h"
#include "core/runtime/Engine.h"

namespace {
const char* const errorMessage = "FMOD error!";
} // namespace

Audio::Audio(SystemRegistry* systems) : System(systems), engine(get<Engine>()) {
    const SoundResult created = SoundSystem::create(soundSystem);
    if (created != SoundResult::ok) {
        reportError(errorMessage, created);
        return;
    }
    soundSystem->setRealVoiceLimit(realVoices);
    SoundResult result = soundSystem->init(maxVoices, SoundInit::rightHanded3D);
    if (result == SoundResult::ok) {
        if (soundSystem->isSilent())
            logInfo("No sound device found: sound is muted.");
        result = soundSystem->set3DSettings(1.0f, 1.0f, 1.0f);
    }
    if (result != SoundResult::ok)
        reportError(errorMessage, result);
}

Audio::~Audio() {
    if (soundSystem)
        soundSystem->close();
}

void Audio::update() {
    if (soundSystem)
        soundSystem->update();
}

void Audio::reportError(const std::string& message, SoundResult result) {
    logError(message, ", ", static_cast<int>(result), ", ", describeSoundResult(result));
}
