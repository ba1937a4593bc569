// Bakes "_SHADOW" lightmaps with Intel Embree: for every texel of a node's
// lightmap, the fraction of the sun's disc that is visible (soft sun shadows)
// and the fraction of the sky hemisphere that is open (ambient occlusion).
//
// Stored value (grey, 1 = in full sun under an open sky):
//     (0.35 + 0.65 * sun) * (0.5 + 0.5 * sky)
// so a shadow keeps a third of the light and a closed corner darkens it further.
#pragma once

#include "Image.h"
#include "TrackScene.h"

#include <embree3/rtcore.h>

class LightmapBaker {
public:
    struct Quality {
        int sunSamples = 8;
        int skySamples = 16;
    };

    // Every node with a mesh and occluder set blocks light.
    LightmapBaker(const TrackScene& scene, const Quality& quality, int threads);
    ~LightmapBaker();
    LightmapBaker(const LightmapBaker&) = delete;
    LightmapBaker& operator=(const LightmapBaker&) = delete;

    // The node's mesh must have uv1 laid out (LightmapLayout); size is the
    // lightmap's edge in texels. Row 0 of the result is the top (v = 1).
    Image bake(const SceneNode& node, const glm::mat4& world, int size, uint32_t seed) const;

private:
    float lightAt(const glm::vec3& position, const glm::vec3& normal, uint32_t seed) const;
    bool occluded(const glm::vec3& origin, const glm::vec3& direction, float distance) const;

    RTCDevice device = nullptr;
    RTCScene rtcScene = nullptr;
    glm::vec3 toSun{0.0f, 1.0f, 0.0f};
    Quality quality;
    int threads;
};
