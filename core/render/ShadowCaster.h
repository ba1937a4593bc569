// One shadow-casting directional light of a view for one frame: the pooled
// depth target it renders into, the matrix fitted to the view, and the indices
// (into the view's items) of what casts shadows.
#pragma once

#include <glm/glm.hpp>

#include <cstdint>
#include <vector>

class Light;
class RenderTarget;

struct ShadowCaster {
    Light* light = nullptr;
    RenderTarget* target = nullptr;
    glm::mat4 lightViewProjection{1.0f};
    std::vector<uint32_t> items;
};
