// Big meshes cut into chunks: the GL index buffer regrouped cell by cell while
// the index list physics reads stays as made, and the renderer drawing only the
// chunks a pass sees, with the same picture as the whole mesh, and the far ones
// from fewer triangles that still meet their neighbours.
#include "render/GLSceneTest.h"

#include "core/render/Camera.h"
#include "core/render/Graphics.h"
#include "core/render/Light.h"
#include "core/render/MeshRenderer.h"
#include "core/render/Renderer.h"
#include "core/resources/Mesh.h"
#include "core/resources/ResourceCache.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/Transform.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <map>
#include <utility>
#include <vector>

namespace {

using Triangle = std::array<uint16_t, 3>;

constexpr float gridSize = 256.0f;
constexpr int gridQuads = 32;

// A rolling ground of gridSize metres a side around the origin in two parts
// (the rows before and after the middle), wound to face up.
void fillGround(Mesh& mesh) {
    const float step = gridSize / gridQuads;
    for (int z = 0; z <= gridQuads; ++z) {
        for (int x = 0; x <= gridQuads; ++x) {
            const float px = -gridSize / 2 + step * static_cast<float>(x);
            const float pz = -gridSize / 2 + step * static_cast<float>(z);
            mesh.positions.emplace_back(px, 3.0f * std::sin(px * 0.05f) * std::cos(pz * 0.07f), pz);
            mesh.normals.emplace_back(0.0f, 1.0f, 0.0f);
        }
    }
    for (int z = 0; z < gridQuads; ++z) {
        for (int x = 0; x < gridQuads; ++x) {
            const auto corner = static_cast<uint16_t>(z * (gridQuads + 1) + x);
            const auto below = static_cast<uint16_t>(corner + gridQuads + 1);
            mesh.indices.insert(mesh.indices.end(),
                                {corner, below, static_cast<uint16_t>(corner + 1),
                                 static_cast<uint16_t>(corner + 1), below, static_cast<uint16_t>(below + 1)});
        }
    }
    const auto half = static_cast<uint32_t>(mesh.indices.size() / 2);
    mesh.parts = {{0, half}, {half, half}};
}

std::vector<uint16_t> drawnIndices(const Mesh& mesh) {
    std::vector<uint16_t> data(mesh.getIndexBuffer()->count);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.getIndexBuffer()->buffer);
    glGetBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(data.size() * 2), data.data());
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    return data;
}

std::vector<Triangle> sortedTriangles(const std::vector<uint16_t>& list, uint32_t first, uint32_t count) {
    std::vector<Triangle> result;
    for (uint32_t i = first; i < first + count; i += 3) {
        result.push_back({list[i], list[i + 1], list[i + 2]});
    }
    std::sort(result.begin(), result.end());
    return result;
}

// The edges of a range's triangles that only one of them has: where the range
// meets its neighbours.
std::vector<std::pair<uint16_t, uint16_t>> borderEdges(const std::vector<uint16_t>& list, uint32_t first,
                                                       uint32_t count) {
    std::map<std::pair<uint16_t, uint16_t>, int> uses;
    for (uint32_t i = first; i < first + count; i += 3) {
        for (uint32_t k = 0; k < 3; ++k) {
            const uint16_t a = list[i + k];
            const uint16_t b = list[i + (k + 1) % 3];
            ++uses[{std::min(a, b), std::max(a, b)}];
        }
    }
    std::vector<std::pair<uint16_t, uint16_t>> result;
    for (const auto& [edge, count] : uses) {
        if (count == 1) {
            result.push_back(edge);
        }
    }
    return result;
}

// Every far range keeps the edges its chunk shares; returns the far ranges'
// triangles over the chunks'.
float checkFarRanges(const Mesh& mesh) {
    const std::vector<uint16_t> drawn = drawnIndices(mesh);
    const MeshChunk& last = mesh.getChunks().back();
    const auto meshBorder = borderEdges(drawn, 0, last.first + last.count);
    uint32_t fullTriangles = 0;
    uint32_t farTriangles = 0;
    for (const MeshChunk& chunk : mesh.getChunks()) {
        EXPECT_GT(chunk.farCount, 0u);
        EXPECT_LE(chunk.farFirst + chunk.farCount, drawn.size());
        if (chunk.farCount == 0 || chunk.farFirst + chunk.farCount > drawn.size()) {
            continue;
        }
        fullTriangles += chunk.count / 3;
        farTriangles += chunk.farCount / 3;
        // The chunk's border edges that another chunk has too.
        const auto chunkBorder = borderEdges(drawn, chunk.first, chunk.count);
        std::vector<std::pair<uint16_t, uint16_t>> shared;
        std::set_difference(chunkBorder.begin(), chunkBorder.end(), meshBorder.begin(), meshBorder.end(),
                            std::back_inserter(shared));
        const auto farBorder = borderEdges(drawn, chunk.farFirst, chunk.farCount);
        EXPECT_TRUE(std::includes(farBorder.begin(), farBorder.end(), shared.begin(), shared.end()))
            << "a far chunk must meet its neighbours edge to edge";
        for (uint32_t i = chunk.farFirst; i < chunk.farFirst + chunk.farCount; ++i) {
            const glm::vec3& p = mesh.positions[drawn[i]];
            EXPECT_TRUE(glm::all(glm::greaterThanEqual(p, chunk.bounds.min)) &&
                        glm::all(glm::lessThanEqual(p, chunk.bounds.max)));
        }
    }
    return static_cast<float>(farTriangles) / static_cast<float>(std::max(fullTriangles, 1u));
}

class MeshChunkTest : public GLSceneTest {
protected:
    void SetUp() override {
        open(320, 200);
        if (scene == nullptr) {
            return;
        }
        renderer->shadowMapSize = 256;
        split = cache->create<Mesh>("ground in chunks");
        fillGround(*split);
        split->chunkSize = 64.0f;
        split->finalize();
        whole = cache->create<Mesh>("ground whole");
        fillGround(*whole);
        whole->chunkSize = 0.0f;
        whole->finalize();
    }

    Mesh* split = nullptr;
    Mesh* whole = nullptr;
};

} // namespace

TEST_F(MeshChunkTest, AWideMeshIsRegroupedByCellWithinItsPartsAndItsOwnIndicesStayAsMade) {
    Mesh made(nullptr);
    fillGround(made);
    EXPECT_EQ(split->indices, made.indices) << "physics and queries read these";
    ASSERT_TRUE(split->isSplit());
    // 256 m at 64 m a cell: 4 x 4 cells in each of the two parts, 8 of them empty.
    EXPECT_EQ(split->getChunks().size(), 16u);

    const std::vector<uint16_t> drawn = drawnIndices(*split);
    uint32_t expectedFirst = 0;
    uint32_t part = 0;
    for (const MeshChunk& chunk : split->getChunks()) {
        if (chunk.part != part) {
            EXPECT_EQ(expectedFirst, split->parts[part].first + split->parts[part].count);
            part = chunk.part;
        }
        EXPECT_EQ(chunk.first, expectedFirst) << "chunks follow one another";
        expectedFirst = chunk.first + chunk.count;
        // Every vertex drawn lies in the box, and the box is about one cell.
        for (uint32_t i = chunk.first; i < chunk.first + chunk.count; ++i) {
            const glm::vec3& p = split->positions[drawn[i]];
            ASSERT_TRUE(glm::all(glm::greaterThanEqual(p, chunk.bounds.min)) &&
                        glm::all(glm::lessThanEqual(p, chunk.bounds.max)));
        }
        EXPECT_LE(chunk.bounds.size().x, 64.0f + gridSize / gridQuads);
        EXPECT_LE(chunk.bounds.size().z, 64.0f + gridSize / gridQuads);
    }
    for (const MeshPart& range : split->parts) {
        EXPECT_EQ(sortedTriangles(drawn, range.first, range.count),
                  sortedTriangles(split->indices, range.first, range.count))
            << "each part draws its own triangles, each once";
    }

    // Far ranges: fewer triangles, in the chunk's box, meeting the neighbours.
    EXPECT_LT(checkFarRanges(*split), 0.75f);
    // A barrier: a strip whose every vertex lies on its own open edges. Those
    // may move within the error, so far away its straight run is a few triangles.
    Mesh* strip = cache->create<Mesh>("barrier");
    for (int x = 0; x <= 256; ++x) {
        for (const float y : {0.0f, 1.0f}) {
            strip->positions.emplace_back(static_cast<float>(x) - 128.0f, y, 0.0f);
            strip->normals.emplace_back(0.0f, 0.0f, 1.0f);
        }
    }
    for (uint16_t x = 0; x < 256; ++x) {
        const auto foot = static_cast<uint16_t>(2 * x);
        strip->indices.insert(strip->indices.end(),
                              {foot, static_cast<uint16_t>(foot + 2), static_cast<uint16_t>(foot + 1),
                               static_cast<uint16_t>(foot + 1), static_cast<uint16_t>(foot + 2),
                               static_cast<uint16_t>(foot + 3)});
    }
    strip->parts = {{0, static_cast<uint32_t>(strip->indices.size())}};
    strip->chunkSize = 64.0f;
    strip->finalize();
    ASSERT_EQ(strip->getChunks().size(), 4u);
    EXPECT_LT(checkFarRanges(*strip), 0.1f);

    EXPECT_FALSE(whole->isSplit());
    EXPECT_EQ(whole->getChunks().size(), 2u);
    EXPECT_EQ(drawnIndices(*whole), whole->indices);
    EXPECT_FALSE(cache->get<Mesh>("cube")->isSplit()) << "small meshes stay whole";
}

TEST_F(MeshChunkTest, ChunksDrawTheWholeMeshsPictureAndLeaveOutWhatTheViewAndTheLightCannotSee) {
    Entity* ground = scene->createEntity("ground");
    ground->addComponent<Transform>();
    auto* meshRenderer = ground->addComponent<MeshRenderer>(
        split, std::vector<Material*>{colourMaterial(*engine->systems, "grass", {0.2f, 0.7f, 0.2f, 1}),
                                      colourMaterial(*engine->systems, "sand", {0.8f, 0.7f, 0.4f, 1})});
    addShape(*scene, "box", "cube", colourMaterial(*engine->systems, "red", {1, 0, 0, 1}), {20, 6, 0},
             glm::vec3(4.0f));
    Entity* sun = scene->createEntity("sun");
    sun->addComponent<Transform>()->setRotation(glm::angleAxis(-0.8f, glm::vec3(1, 0, 0)));
    sun->addComponent<Light>()->castsShadows = true;
    // Low over the middle, looking along +X and slightly down: the far half of
    // the ground is out of view.
    camera->getTransform()->setLocalMatrix(
        glm::inverse(glm::lookAt(glm::vec3(0, 12, 0), glm::vec3(60, 0, 0), glm::vec3(0, 1, 0))));
    camera->far = 1000.0f;

    // Edges and the distance included: not a pixel may differ.
    renderer->farDetailDistance = 0.0f;
    const Picture chunks = draw();
    const uint32_t chunkTriangles = graphics->triangles;
    meshRenderer->setMesh(whole);
    const Picture all = draw();
    const uint32_t wholeTriangles = graphics->triangles;
    EXPECT_EQ(differingShare(chunks, all, 0), 0.0);
    EXPECT_LT(chunkTriangles, wholeTriangles * 2 / 3);

    // Chunks past the far detail distance draw their far ranges: fewer
    // triangles, and no gap where near and far chunks meet (the sky's clear
    // colour would show through in one).
    meshRenderer->setMesh(split);
    renderer->farDetailDistance = 40.0f;
    const Picture far = draw();
    EXPECT_LT(graphics->triangles, chunkTriangles * 9 / 10);
    EXPECT_LT(differingShare(far, chunks, 48), 0.005);

    // Past the end of the fog there is nothing to send.
    meshRenderer->setMesh(split);
    renderer->fogStart = 20.0f;
    renderer->fogRange = 20.0f;
    draw();
    EXPECT_LT(graphics->triangles, chunkTriangles / 2);
}
