// See LightmapLayout.h.
#include "LightmapLayout.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

namespace {

struct ChartBox {
    glm::vec2 lo{1e30f};
    glm::vec2 hi{-1e30f};
};

struct Placement {
    int x = 0, y = 0;
};

int extent(float metres, float density) {
    return static_cast<int>(std::ceil(metres * density)) + 1 + 2 * LightmapLayout::padding;
}

// Shelf packing; returns false when the charts do not fit.
bool pack(const std::vector<ChartBox>& charts, float density, int size, std::vector<Placement>& out) {
    std::vector<int> order(charts.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return charts[a].hi.y - charts[a].lo.y > charts[b].hi.y - charts[b].lo.y;
    });
    out.assign(charts.size(), Placement{});
    int x = 0, y = 0, shelf = 0;
    for (int index : order) {
        const ChartBox& c = charts[index];
        const int w = extent(c.hi.x - c.lo.x, density);
        const int h = extent(c.hi.y - c.lo.y, density);
        if (w > size)
            return false;
        if (x + w > size) {
            y += shelf;
            x = 0;
            shelf = 0;
        }
        if (y + h > size)
            return false;
        out[index] = Placement{x, y};
        x += w;
        shelf = std::max(shelf, h);
    }
    return true;
}

} // namespace

LightmapLayout::Result LightmapLayout::apply(Mesh& mesh, int maxSize, float density) {
    std::vector<ChartBox> charts(static_cast<size_t>(mesh.charts()));
    for (const MeshVertex& v : mesh.vertices) {
        if (v.chart < 0)
            continue;
        charts[v.chart].lo = glm::min(charts[v.chart].lo, v.chartUv);
        charts[v.chart].hi = glm::max(charts[v.chart].hi, v.chartUv);
    }
    for (ChartBox& c : charts) {
        if (c.lo.x > c.hi.x)
            c.lo = c.hi = glm::vec2(0.0f);
    }

    Result result;
    std::vector<Placement> placements;
    for (int size = 32; size <= maxSize && result.size == 0; size *= 2) {
        if (pack(charts, density, size, placements))
            result = Result{size, density};
    }
    if (result.size > 0) {
        // The size is a power of two, so the charts often leave much of it empty:
        // spend that room on detail, up to twice the wanted density.
        float lo = density, hi = density * 2.0f;
        std::vector<Placement> trial;
        for (int i = 0; i < 12; ++i) {
            const float mid = 0.5f * (lo + hi);
            if (pack(charts, mid, result.size, trial))
                lo = mid;
            else
                hi = mid;
        }
        result.density = lo;
        pack(charts, lo, result.size, placements);
    } else {
        // Lower the density by bisection until the charts fit the largest size.
        float lo = 0.0f, hi = density;
        for (int i = 0; i < 24; ++i) {
            const float mid = 0.5f * (lo + hi);
            if (pack(charts, mid, maxSize, placements))
                lo = mid;
            else
                hi = mid;
        }
        result = Result{maxSize, lo};
        pack(charts, lo, maxSize, placements);
    }

    const float size = static_cast<float>(result.size);
    for (MeshVertex& v : mesh.vertices) {
        if (v.chart < 0)
            continue;
        const Placement& p = placements[v.chart];
        const glm::vec2 texel =
            glm::vec2(static_cast<float>(p.x + padding), static_cast<float>(p.y + padding)) +
            (v.chartUv - charts[v.chart].lo) * result.density + glm::vec2(0.5f);
        v.uv1 = texel / size;
    }
    return result;
}
