// One shadow-casting directional light of a view for one frame: the pooled
// depth target it renders into, the matrix fitted to the view, and the indices
// (into the view's items) of what casts shadows.
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
};
