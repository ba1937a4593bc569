// Composes and synthesises the two music loops, stereo, each a little over 30 s
// and seamless when repeated: "sounds/ZVB_Menu_Music.wav" (bright, C major,
// 112 beats per minute) and "sounds/ZVB_InGame_Music.wav" (driving, A minor,
// 140 beats per minute). Notes that ring past the end wrap around to the start,
// and the echo runs around the loop, so the end flows into the beginning.
#pragma once

#include <string>

class Music {
public:
    static void generate(const std::string& outDir);
};
