// Groups a shadow map's casters into windows and shelves the windows in the
// stored texture.
#include "core/render/ShadowWindowPacker.h"

#include <algorithm>
#include <cstddef>

namespace {

bool isEmpty(const glm::ivec4& rect) {
    return rect.z <= rect.x || rect.w <= rect.y;
}

bool overlaps(const glm::ivec4& a, const glm::ivec4& b) {
    return a.x < b.z && b.x < a.z && a.y < b.w && b.y < a.w;
}

glm::ivec4 grown(const glm::ivec4& rect, int32_t by) {
    return rect + glm::ivec4(-by, -by, by, by);
}

glm::ivec4 joined(const glm::ivec4& a, const glm::ivec4& b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.z, b.z), std::max(a.w, b.w)};
}

int64_t areaOf(const glm::ivec4& rect) {
    return static_cast<int64_t>(rect.z - rect.x) * static_cast<int64_t>(rect.w - rect.y);
}

// Casters this close share a window: apart, two windows would store the
// texels between them twice.
bool touching(const glm::ivec4& a, const glm::ivec4& b) {
    return overlaps(grown(a, ShadowWindowPacker::clearMargin), b);
}

// Adds a rect to clusters that touch none of each other, absorbing every
// cluster it touches (and what the grown one then touches).
void absorb(std::vector<glm::ivec4>& clusters, glm::ivec4 rect) {
    for (size_t c = 0; c < clusters.size();) {
        if (touching(rect, clusters[c])) {
            rect = joined(rect, clusters[c]);
            clusters[c] = clusters.back();
            clusters.pop_back();
            c = 0;
        } else {
            ++c;
        }
    }
    clusters.push_back(rect);
}

// A rect of the full map on the map halved `level` times: what it covers there.
glm::ivec4 atLevel(const glm::ivec4& rect, int level) {
    const int32_t round = (1 << level) - 1;
    return {rect.x >> level, rect.y >> level, (rect.z + round) >> level, (rect.w + round) >> level};
}

} // namespace

void ShadowWindowPacker::pack(const std::vector<glm::ivec4>& itemRects, int32_t mapSize, int32_t storedSize,
                              ShadowCaster& caster) {
    caster.windowCount = 0;
    caster.mapSize = mapSize;
    // Room for the most groups the items can make: how far apart the karts
    // happen to be must not decide whether a frame allocates.
    clusters.clear();
    clusters.reserve(itemRects.size());
    byHeight.reserve(static_cast<size_t>(ShadowCaster::maxWindows));
    cleared.reserve(static_cast<size_t>(ShadowCaster::maxWindows));
    for (const glm::ivec4& rect : itemRects) {
        if (!isEmpty(rect)) {
            absorb(clusters, rect);
        }
    }
    // More groups than windows: join the pair that grows least.
    while (clusters.size() > static_cast<size_t>(ShadowCaster::maxWindows)) {
        size_t bestA = 0;
        size_t bestB = 1;
        int64_t bestArea = INT64_MAX;
        for (size_t a = 0; a < clusters.size(); ++a) {
            for (size_t b = a + 1; b < clusters.size(); ++b) {
                const int64_t area = areaOf(joined(clusters[a], clusters[b]));
                if (area < bestArea) {
                    bestArea = area;
                    bestA = a;
                    bestB = b;
                }
            }
        }
        const glm::ivec4 both = joined(clusters[bestA], clusters[bestB]);
        clusters.erase(clusters.begin() + static_cast<std::ptrdiff_t>(bestB));
        clusters.erase(clusters.begin() + static_cast<std::ptrdiff_t>(bestA));
        absorb(clusters, both);
    }

    // The windows' cleared parts at a level of detail: level l halves the map
    // l times, down to where the windows fit whatever they hold.
    int maxLevel = 0;
    while ((mapSize >> maxLevel) > std::max(storedSize / 2, 1) && (mapSize >> maxLevel) > 1) {
        ++maxLevel;
    }
    cleared.resize(clusters.size());
    const auto place = [&](int level) {
        const int32_t size = mapSize >> level;
        for (size_t c = 0; c < clusters.size(); ++c) {
            const glm::ivec4 rect = grown(atLevel(clusters[c], level), clearMargin);
            cleared[c] = glm::ivec4(glm::max(rect.x, 0), glm::max(rect.y, 0), glm::min(rect.z, size),
                                    glm::min(rect.w, size));
        }
        // Shelves, tallest first.
        byHeight.clear();
        for (size_t c = 0; c < clusters.size(); ++c) {
            byHeight.push_back(static_cast<int>(c));
        }
        std::sort(byHeight.begin(), byHeight.end(), [this](int a, int b) {
            const int32_t ha = cleared[static_cast<size_t>(a)].w - cleared[static_cast<size_t>(a)].y;
            const int32_t hb = cleared[static_cast<size_t>(b)].w - cleared[static_cast<size_t>(b)].y;
            return ha != hb ? ha > hb : a < b;
        });
        glm::ivec2 at(0);
        int32_t shelfHeight = 0;
        for (int c : byHeight) {
            const glm::ivec4& rect = cleared[static_cast<size_t>(c)];
            const glm::ivec2 extent(rect.z - rect.x, rect.w - rect.y);
            if (at.x + extent.x > storedSize) {
                at = {0, at.y + shelfHeight};
                shelfHeight = 0;
            }
            if (at.x + extent.x > storedSize || at.y + extent.y > storedSize) {
                return false;
            }
            caster.windows[static_cast<size_t>(c)].stored = at;
            at.x += extent.x;
            shelfHeight = std::max(shelfHeight, extent.y);
        }
        return true;
    };
    int level = 0;
    while (!place(level)) {
        if (level == maxLevel) {
            caster.items.clear();
            return;
        }
        ++level;
    }
    caster.mapSize = mapSize >> level;

    // Every item drawn into each window it reaches: what a window holds is then
    // what the whole map holds there, whichever window a lookup picks. Room
    // for every item in every window, so that two karts parting mid-race
    // allocate nothing.
    grouped.clear();
    grouped.reserve(itemRects.size() * static_cast<size_t>(ShadowCaster::maxWindows));
    caster.items.reserve(grouped.capacity());
    for (size_t c = 0; c < clusters.size(); ++c) {
        const glm::ivec4& rect = cleared[c];
        ShadowCaster::Window& window = caster.windows[c];
        window.rect = {rect.x, rect.y, rect.z - rect.x, rect.w - rect.y};
        window.lookupArea =
            glm::vec4(grown(atLevel(clusters[c], level), lookupMargin)) / static_cast<float>(caster.mapSize);
        const glm::ivec4 onFullMap(rect.x << level, rect.y << level, rect.z << level, rect.w << level);
        window.firstItem = static_cast<uint32_t>(grouped.size());
        for (size_t i = 0; i < itemRects.size() && i < caster.items.size(); ++i) {
            if (!isEmpty(itemRects[i]) && overlaps(itemRects[i], onFullMap)) {
                grouped.push_back(caster.items[i]);
            }
        }
        window.itemCount = static_cast<uint32_t>(grouped.size()) - window.firstItem;
    }
    caster.windowCount = static_cast<int>(clusters.size());
    caster.items.assign(grouped.begin(), grouped.end());
}
