// See Terrain.h.
#include "Terrain.h"

#include <glm/gtc/constants.hpp>

#include <algorithm>
#include <cmath>

namespace {

float smoothstep(float e0, float e1, float x) {
    const float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

// Inside this distance from the centreline the ground lies under the road,
// kerbs and barriers.
constexpr float corridor = 9.0f;
constexpr float belowRoad = 0.35f;
// The road's edge, where the unguarded bank starts to fall.
constexpr float roadEdge = 7.6f;

} // namespace

Terrain::Terrain(const TrackPath& path) : path(path), noise(4242u) {
    glm::vec2 a(1e9f), b(-1e9f);
    for (float s = 0.0f; s < path.length(); s += 2.0f) {
        const glm::vec3 p = path.at(s).position;
        a = glm::min(a, glm::vec2(p.x, p.z));
        b = glm::max(b, glm::vec2(p.x, p.z));
    }
    const float margin = 75.0f;
    lo = a - margin;
    hi = b + margin;
}

float Terrain::naturalHeight(float x, float z, const TrackPath::Nearest& n, bool inside) const {
    const float rolling = 1.3f + 1.6f * noise.fbm2(x / 70.0f, z / 70.0f, 4);
    if (inside) {
        // Gentle hills inside the loop, kept low near the road; no beaches inland.
        const float hills = std::max(0.0f, noise.fbm2(x / 90.0f + 5.0f, z / 90.0f, 3)) * 9.0f;
        return std::max(1.2f, rolling) + hills * smoothstep(corridor, corridor + 35.0f, n.distance);
    }
    // Outside: a beach whose distance from the road wanders, and the sea floor.
    float shore = 38.0f + 16.0f * noise.fbm2(n.s / 55.0f, 3.7f, 3);
    const float u0 = path.unguardedBegin(), u1 = path.unguardedEnd();
    const float nearUnguarded =
        std::min(smoothstep(u0 - 25.0f, u0, n.s), 1.0f - smoothstep(u1, u1 + 25.0f, n.s));
    shore = glm::mix(shore, corridor + 1.5f, nearUnguarded);
    const float beyond = n.distance - shore;
    const float steep = glm::mix(22.0f, 9.0f, nearUnguarded);
    return glm::mix(rolling * 0.6f + 0.4f, seaFloor, smoothstep(-6.0f, steep, beyond));
}

float Terrain::height(float x, float z) const {
    const TrackPath::Nearest n = path.nearest(glm::vec2(x, z));
    const float underRoad = n.roadHeight - belowRoad;
    // How much of the unguarded sea-side bank applies here: fully inside the
    // stretch, fading out towards its ends where the barrier starts again.
    const float u0 = path.unguardedBegin(), u1 = path.unguardedEnd();
    const float bank = n.lateral < 0.0f && path.isUnguarded(n.s)
                           ? std::min(smoothstep(u0, u0 + 12.0f, n.s), 1.0f - smoothstep(u1 - 12.0f, u1, n.s))
                           : 0.0f;
    if (n.distance <= corridor && bank <= 0.0f)
        return underRoad;
    const float land = naturalHeight(x, z, n, path.insideLoop(glm::vec2(x, z)));
    // Blend from under the road to the land: a bank where the land drops away,
    // and a rise where it climbs; never above the road's edge close to the road.
    const float blend = smoothstep(corridor, corridor + 14.0f, n.distance);
    float h = glm::mix(underRoad, land, blend);
    h = std::min(h, underRoad + std::max(0.0f, n.distance - corridor) * 0.7f);
    if (bank > 0.0f) {
        // No barrier on the sea side: a steep bank straight into the water, so a
        // kart that leaves the road ends up in the sea.
        const float steep =
            std::max(seaFloor, std::min(land, underRoad - std::max(0.0f, n.distance - roadEdge) * 0.9f));
        h = glm::mix(h, steep, bank);
    }
    return sinkTowardsEdge(x, z, h);
}

float Terrain::sinkTowardsEdge(float x, float z, float h) const {
    // The seabed drops away towards the ground's border, deep enough for the
    // water above to hide it, so that the plate's square edge never shows.
    const float edge = std::min({x - lo.x, hi.x - x, z - lo.y, hi.y - z});
    const float underwater = 1.0f - smoothstep(-2.0f, 0.0f, h);
    return h - edgeDrop * underwater * (1.0f - smoothstep(0.0f, 30.0f, edge));
}
