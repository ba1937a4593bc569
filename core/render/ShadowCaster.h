// One shadow-casting directional light of a view for one frame: the pooled
// depth target it renders into, the matrix fitted to the view, the indices
// (into the view's items) of what casts shadows and the part of the map they
// can reach.
#pragma once

#include "core/render/Frustum.h"

#include <glm/glm.hpp>

#include <cstdint>
#include <vector>

class Light;
class RenderTarget;

struct ShadowCaster {
    Light* light = nullptr;
    RenderTarget* target = nullptr;
    glm::mat4 lightViewProjection{1.0f};
    // The light's box, for culling casters: its sides and far end only, since
    // casters between the light and the box still cast (the pass clamps depth).
    Frustum frustum;
    std::vector<uint32_t> items;
    // Where the casters' boxes fall on the map, with room for the filter: the
    // pass clears only clearRect (texels: x, y, width, height; empty without
    // casters), and shaders read every lookup outside lookupArea (map
    // coordinates: min x, min y, max x, max y) as lit. Clearing a whole 2048
    // map for two karts was 4-6 % of a frame on a software rasteriser.
    glm::ivec4 clearRect{0};
    glm::vec4 lookupArea{1.0f, 1.0f, 0.0f, 0.0f};
};
