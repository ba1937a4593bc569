// Paints the track's material textures and their normal maps into
// "textures/": road, kerbs, barriers, grass, sand, rock, beams, the start-gate
// banner, the cut-out start line, cones, karts, wheels, and the sea's tiling
// normal map "textures/water/water_normal.png".
#pragma once

#include <string>

class MaterialTextures {
public:
    static void generate(const std::string& outDir, int threads);
};
