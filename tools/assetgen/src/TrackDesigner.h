// Lays out a new track from a seed: a clockwise loop of a long start/finish
// straight, hairpins, sweepers, medium corners and left flicks with straights
// between them, closed by two solved straights, that never comes near itself,
// and a height profile of crests kept gentle enough for the karts to climb.
// Checkpoints follow the corners closely enough that a line through them stays
// on the road. A seed whose design a kart could not drive is replaced by a
// seed derived from it, with a line on stderr saying why. The same seed always
// gives the same design.
#pragma once

#include "TrackPath.h"

#include <cstdint>
#include <string>

class TrackDesigner {
public:
    // Centre lines of different parts of the loop never come closer than this
    // (road, barriers and a strip of land between them).
    static constexpr float clearance = 36.0f;
    // The steepest climb of any rise: rise over half its length.
    static constexpr float maxGradient = 0.1f;
    // The tightest corner: a kart at hairpin speed turns on a smaller circle,
    // with room to spare for a line that is not perfect.
    static constexpr float minRadius = 20.0f;
    // The most checkpoints the game reads.
    static constexpr int maxCheckpoints = 20;
    // How far from the centre line the line through the checkpoints may stray:
    // a kart on it keeps its wheels on the road, clear of the barriers.
    static constexpr float lineLimit = 4.5f;

    static TrackPath::Design fromSeed(uint32_t seed);

    // Whether a path keeps its clearance, its size and its closing straights.
    static bool acceptable(const TrackPath& path);

    // Checkpoints from the start line, spaced by distance and by how far the road
    // turns between them, so that corners get more of them than straights.
    static std::vector<float> placeCheckpoints(const TrackPath& path);

    // Why a kart could not drive a path (a corner too tight, a climb too steep,
    // the line through the checkpoints off the road, too many checkpoints); empty
    // when it can.
    static std::string drivingProblem(const TrackPath& path);
};
