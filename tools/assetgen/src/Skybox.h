// Paints the six faces of the sky cube "skyboxes/DSk04-mod/DSk04_*.png" from one
// continuous function of direction (gradient, sun glow at the track's sun,
// clouds), so the faces meet without seams. Each face is laid out by OpenGL's
// cube-map rules for the face the game loads it into: Left +X, Right -X,
// Up_Rotated +Y, Down -Y, Front +Z, Back -Z; the picture's top row is t = 0.
#pragma once

#include "TrackTheme.h"

#include <glm/glm.hpp>

#include <string>

class Skybox {
public:
    static void generate(const std::string& outDir, const glm::vec3& sunDirection, int size);
    // The six faces as "<prefix><face>.png", face being Left, Right, Up_Rotated,
    // Down, Front and Back in that order, painted in the palette's colours.
    static void generateFaces(const std::string& prefix, const glm::vec3& sunDirection,
                              const SkyPalette& palette, int size);
    // The sky colour seen along a direction (unit vector, Y up).
    static glm::vec3 colour(const glm::vec3& direction, const glm::vec3& toSun,
                            const SkyPalette& palette = SkyPalette());
};
