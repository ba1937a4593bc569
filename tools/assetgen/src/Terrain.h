// The island: a height field shaped around the track. Land fills the loop and a
// coastal strip outside it whose width varies, except along the unguarded
// stretch where the shore drops into the sea right beside the road. Under the
// road and its barriers the ground stays just below the road surface.
#pragma once

#include "Noise.h"
#include "TrackPath.h"

#include <glm/glm.hpp>

class Terrain {
public:
    explicit Terrain(const TrackPath& path);

    float height(float x, float z) const;

    // The square area the ground covers, x and z from min to max.
    glm::vec2 minCorner() const { return lo; }
    glm::vec2 maxCorner() const { return hi; }

    static constexpr float seaFloor = -6.0f;
    // How much deeper the sea floor is at the ground's border.
    static constexpr float edgeDrop = 30.0f;

private:
    float naturalHeight(float x, float z, const TrackPath::Nearest& n, bool inside) const;
    float sinkTowardsEdge(float x, float z, float h) const;

    const TrackPath& path;
    Noise noise;
    glm::vec2 lo{0.0f};
    glm::vec2 hi{0.0f};
};
