// The particle pictures under "textures/particles/" (the game finds them by bare
// file name): smoke "Particles_Smoke2.psd", the boost flame's 50-frame sheet
// "FlameRoundParticleSheet.tif" (10 columns x 5 rows, frame 0 top left, left to
// right then downwards), "ImpactSplashParticle.tif", "WaterMistParticle.tif",
// "SparkParticle.tif" and the collision spark "collision.png". All are RGBA with
// 8 bits per channel, white or light so the game's palettes can tint them.
#pragma once

#include <string>

class ParticlePictures {
public:
    static constexpr int sheetColumns = 10;
    static constexpr int sheetRows = 5;
    static constexpr int sheetCell = 128;

    static void generate(const std::string& outDir);
};
