// Result codes, mode bits and start-up flags of the sound runtime, shared by the
// system object (SoundSystem), its clips (SoundClip) and its channels (SoundChannel).
#pragma once

// Every runtime call answers with one of these; describeSoundResult turns any code into text.
enum class SoundResult : int {
    ok = 0,
    alreadyInitialized = 4,
    fileBad = 13,
    fileNotFound = 18,
    format = 19,
    invalidHandle = 30,
    invalidParam = 31,
    memory = 38,
    notInitialized = 39,
    outputInit = 60,
    unsupported = 66,
};

// The text for a result code; codes the runtime never returns read "Unknown error.".
const char* describeSoundResult(int code);
const char* describeSoundResult(SoundResult result);

// Mode bits for clips and channels: the loop bits choose playback, 2D/3D the placement.
struct SoundMode {
    static constexpr unsigned loopOff = 1;
    static constexpr unsigned loopNormal = 2;
    static constexpr unsigned twoD = 8;
    static constexpr unsigned threeD = 16;
};

// Flags for SoundSystem::init.
struct SoundInit {
    static constexpr unsigned normal = 0;
    // Positions and directions arrive right-handed; without the flag z is mirrored.
    static constexpr unsigned rightHanded3D = 4;
    // Mix into memory instead of a sound card; SoundSystem::render pulls the samples.
    static constexpr unsigned loopback = 0x10000;
};
