// Lightmap layout: every chart must land inside the texture, apart from every
// other chart by its padding, at one density across the mesh.
#include "LightmapLayout.h"
#include "Rng.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

struct Box {
    glm::vec2 lo{1e9f}, hi{-1e9f};
};

Mesh chartsOfVariedSizes(int count, uint64_t seed) {
    Mesh mesh;
    Rng rng(seed);
    for (int i = 0; i < count; ++i) {
        // Squares, long strips and slivers, as roads and barriers make.
        const float w = rng.range(0.2f, i % 5 == 0 ? 40.0f : 6.0f), h = rng.range(0.2f, 4.0f);
        const glm::vec3 o(static_cast<float>(i) * 50.0f, 0.0f, 0.0f);
        mesh.addFace(o, o + glm::vec3(w, 0, 0), o + glm::vec3(w, h, 0), o + glm::vec3(0, h, 0), 0,
                     FaceUv::tiled(1.0f));
    }
    return mesh;
}

void expectSeparateCharts(const Mesh& mesh, const LightmapLayout::Result& layout) {
    std::map<int, Box> boxes;
    for (const MeshVertex& v : mesh.vertices) {
        ASSERT_GE(v.uv1.x, 0.0f);
        ASSERT_LE(v.uv1.x, 1.0f);
        ASSERT_GE(v.uv1.y, 0.0f);
        ASSERT_LE(v.uv1.y, 1.0f);
        Box& b = boxes[v.chart];
        b.lo = glm::min(b.lo, v.uv1 * static_cast<float>(layout.size));
        b.hi = glm::max(b.hi, v.uv1 * static_cast<float>(layout.size));
    }
    // Texels are filtered bilinearly: charts need at least a texel between them.
    for (const auto& [i, a] : boxes) {
        for (const auto& [j, b] : boxes) {
            if (i >= j)
                continue;
            const bool apart = a.hi.x + 1.0f <= b.lo.x || b.hi.x + 1.0f <= a.lo.x ||
                               a.hi.y + 1.0f <= b.lo.y || b.hi.y + 1.0f <= a.lo.y;
            EXPECT_TRUE(apart) << "charts " << i << " and " << j << " overlap";
        }
    }
}

TEST(LightmapLayout, ChartsFitInsideWithoutTouching) {
    Mesh mesh = chartsOfVariedSizes(60, 1);
    const LightmapLayout::Result layout = LightmapLayout::apply(mesh, 1024, 4.0f);
    EXPECT_EQ(layout.size & (layout.size - 1), 0) << "power of two";
    EXPECT_GE(layout.density, 4.0f);
    EXPECT_LE(layout.density, 8.0f);
    expectSeparateCharts(mesh, layout);

    // One density everywhere: a 1 m edge spans the same texels in every chart.
    for (size_t f = 0; f < mesh.vertices.size(); f += 4) {
        const float metres = glm::length(mesh.vertices[f + 1].position - mesh.vertices[f].position);
        const float texels =
            glm::length(mesh.vertices[f + 1].uv1 - mesh.vertices[f].uv1) * static_cast<float>(layout.size);
        EXPECT_NEAR(texels / metres, layout.density, 1e-2f);
    }
}

TEST(LightmapLayout, LowersTheDensityWhenTheLargestSizeIsTooSmall) {
    Mesh mesh = chartsOfVariedSizes(200, 2);
    const LightmapLayout::Result layout = LightmapLayout::apply(mesh, 128, 16.0f);
    EXPECT_EQ(layout.size, 128);
    EXPECT_LT(layout.density, 16.0f);
    expectSeparateCharts(mesh, layout);
}

} // namespace
