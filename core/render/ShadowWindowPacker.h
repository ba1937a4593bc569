// Fits the parts of a shadow map that its casters reach into a few windows of
// a smaller stored texture. Each window keeps the map's texel grid, so the
// picture is the one a whole map would give, for a quarter of its memory (2 MB
// in place of 8 at high). Windows too big for the store are kept at half the
// detail (or less) for the frame, as the middle preset's map would be.
#pragma once

#include "core/render/ShadowCaster.h"

#include <glm/glm.hpp>

#include <cstdint>
#include <vector>

class ShadowWindowPacker {
public:
    // Texels between a caster and the edge of what is cleared around it: a
    // lookup reads up to 2 texels either side of its own, and lookups up to
    // lookupMargin from a caster texel may see it.
    static constexpr int32_t lookupMargin = 4;
    static constexpr int32_t clearMargin = 2 * lookupMargin;

    // itemRects: one per caster item, in its order, on the full map's texel
    // grid (min x, min y, max x, max y; empty where max <= min: the item is off
    // the map). Fills the caster's map size and windows and replaces its items
    // with what each window draws. When not even the coarsest windows fit a
    // storedSize x storedSize texture, the caster has no windows.
    void pack(const std::vector<glm::ivec4>& itemRects, int32_t mapSize, int32_t storedSize,
              ShadowCaster& caster);

private:
    // Scratch kept from frame to frame, so a frame allocates nothing.
    std::vector<glm::ivec4> clusters;
    std::vector<glm::ivec4> cleared;
    std::vector<int> byHeight;
    std::vector<uint32_t> grouped;
};
