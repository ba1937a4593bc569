// Synthesises the game's sounds under "sounds/", all mono (the 3D ones must be):
// two distinct engine loops "MotorEngine_Loop_07.wav" / "_08.wav" and the tyre
// squeal "Skid_25.wav" (seamless loops), and the one-shots "Impact_01.wav",
// "count.wav", "go.wav", "win.wav", "splash.wav" and "boost.wav".
#pragma once

#include <string>

class SoundEffects {
public:
    static void generate(const std::string& outDir);
};
