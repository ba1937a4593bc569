// The audio system: owns the sound runtime, started with 512 voices (64 mixed for real) and
// right-handed 3D in metres, and updated once per frame by the engine.
#pragma once

#include "core/audio/SoundSystem.h"
#include "core/audio/SoundTypes.h"
#include "core/runtime/System.h"

#include <memory>
#include <string>

class Engine;

class Audio : public System {
public:
    explicit Audio(SystemRegistry* systems);
    ~Audio() override;

    void update();

    // One error line: message, ", ", the numeric code, ", ", the code's description.
    static void reportError(const std::string& message, SoundResult result);

    static constexpr int maxVoices = 512;
    // Voices mixed for real at once; quieter ones run on virtual. A race plays a few
    // dozen at most, and the output keeps mixing state for each real one.
    static constexpr int realVoices = 64;

    Engine* engine;
    // Null only if the runtime could not be created; every user checks.
    std::unique_ptr<SoundSystem> soundSystem;
};
