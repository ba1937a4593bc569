// Lays out a new track from a seed: a clockwise loop of a long start/finish
// straight, hairpins, sweepers, medium corners and left flicks with straights
// between them, closed by two solved straights, that never comes near itself,
// and a height profile of crests kept gentle enough for the karts to climb.
// The same seed always gives the same design.
#pragma once

#include "TrackPath.h"

#include <cstdint>

class TrackDesigner {
public:
    // Centre lines of different parts of the loop never come closer than this
    // (road, barriers and a strip of land between them).
    static constexpr float clearance = 36.0f;
    // The steepest climb of any rise: rise over half its length.
    static constexpr float maxGradient = 0.1f;

    static TrackPath::Design fromSeed(uint32_t seed);

    // Whether a path keeps its clearance, its size and its closing straights.
    static bool acceptable(const TrackPath& path);
};
