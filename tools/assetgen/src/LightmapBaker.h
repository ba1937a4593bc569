// Bakes "_SHADOW" lightmaps with Intel Embree: for every texel of a node's
// lightmap, the fraction of the sun's disc that is visible (soft sun shadows)
// and the fraction of the sky hemisphere that is open (ambient occlusion),
// weighted by the cosine as the sky lights the surface.
//
// The default shader reads them as linear factors: red = sun visibility,
// green = sky visibility; blue (unused) repeats green so the maps look grey-ish.
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
    // Sun and sky visibility, each in [0, 1].
    glm::vec2 lightAt(const glm::vec3& position, const glm::vec3& normal, uint32_t seed) const;
    bool occluded(const glm::vec3& origin, const glm::vec3& direction, float distance) const;

    RTCDevice device = nullptr;
    RTCScene rtcScene = nullptr;
    glm::vec3 toSun{0.0f, 1.0f, 0.0f};
    Quality quality;
    int threads;
};
