// One shadow-casting directional light of a view for one frame: the pooled
// depth target it renders into, the matrix fitted to the view, the indices
// (into the view's items) of the casters it draws and the parts of the map
// they can reach.
#pragma once

#include "core/render/Frustum.h"

#include <glm/glm.hpp>

#include <array>
#include <cstdint>
#include <vector>

class Light;
class RenderTarget;

struct ShadowCaster {
    // A part of the map that holds casters, with room for the filter. The map
    // itself is never stored whole: each window keeps its texels, on the map's
    // own grid, somewhere in the smaller stored texture. Only the karts (and
    // the gantries they pass under) cast real-time shadows: a window around
    // each of two karts apart holds everything a lookup reads.
    struct Window {
        // On the map at mapSize, in texels: x, y, width, height. The pass clears
        // and draws this much, at `stored` in the stored texture.
        glm::ivec4 rect{0};
        glm::ivec2 stored{0};
        // Map coordinates (min x, min y, max x, max y; 0 to 1 across the map)
        // whose lookups this window answers; every lookup outside all windows is lit.
        glm::vec4 lookupArea{1.0f, 1.0f, 0.0f, 0.0f};
        // What it draws: items[firstItem, firstItem + itemCount).
        uint32_t firstItem = 0;
        uint32_t itemCount = 0;
    };
    // Each window is a test per shaded pixel: two cover two karts apart.
    static constexpr int maxWindows = 2;

    Light* light = nullptr;
    RenderTarget* target = nullptr;
    glm::mat4 lightViewProjection{1.0f};
    // The light's box, for culling casters: its sides and far end only, since
    // casters between the light and the box still cast (the pass clamps depth).
    Frustum frustum;
    // Once the windows are fitted: what each draws, window after window (an
    // item near two windows is in both).
    std::vector<uint32_t> items;
    // Texels across the map this frame: the renderer's shadow map size, or half
    // that (or less) when the windows do not fit the stored texture.
    int32_t mapSize = 0;
    std::array<Window, maxWindows> windows{};
    int windowCount = 0;
};
