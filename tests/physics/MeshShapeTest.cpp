// The mesh colliders' internal-edge pass against Bullet's btGenerateInternalEdgeInfo:
// the same triangle info, entry for entry and bit for bit, on a mesh with the
// cases where a shortcut could go wrong.
#include "core/physics/MeshShape.h"

#include <BulletCollision/CollisionDispatch/btInternalEdgeUtility.h>
#include <btBulletCollisionCommon.h>
#include <gtest/gtest.h>
#include <malloc.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// A hilly grid whose quads each have their own four corners (as meshes split at
// texture seams do), a fin standing on one of its inner edges (three triangles
// on one edge), a triangle without area, a quad repeated exactly, and a cell
// whose corner is moved less than Bullet's equal-vertex distance (which Bullet
// still counts as shared) when nudge is set; far away when far is set.
struct Terrain {
    Terrain(bool nudge, bool far, int cells = 12) {
        const auto height = [](int x, int z) {
            return std::sin(0.9f * x) * 1.5f + std::cos(1.3f * z) * 0.8f;
        };
        const auto corner = [&](int x, int z) {
            vertices.insert(vertices.end(), {static_cast<float>(x), height(x, z), static_cast<float>(z)});
            return static_cast<uint16_t>(vertices.size() / 3 - 1);
        };
        for (int z = 0; z < cells; ++z) {
            for (int x = 0; x < cells; ++x) {
                const uint16_t a = corner(x, z), b = corner(x, z + 1), c = corner(x + 1, z),
                               d = corner(x + 1, z + 1);
                indices.insert(indices.end(), {a, b, c, c, b, d});
            }
        }
        const uint16_t top = corner(5, 5);
        vertices[top * 3 + 1] += 2.0f;
        const uint16_t finA = corner(5, 6), finB = corner(6, 5);
        indices.insert(indices.end(), {finA, finB, top, finA, finA, finB});
        indices.insert(indices.end(), indices.begin() + 6 * 20, indices.begin() + 6 * 21);
        if (nudge) {
            vertices[(6 * 40 + 2) * 3] += 0.00004f;
        }
        for (size_t i = 0; far && i < vertices.size(); i += 3) {
            vertices[i] += 1e16f;
        }
    }
    std::vector<float> vertices;
    std::vector<uint16_t> indices;
};

btTriangleIndexVertexArray* meshOf(Terrain& terrain) {
    btIndexedMesh part;
    part.m_numTriangles = static_cast<int>(terrain.indices.size() / 3);
    part.m_triangleIndexBase = reinterpret_cast<const unsigned char*>(terrain.indices.data());
    part.m_triangleIndexStride = 3 * sizeof(uint16_t);
    part.m_numVertices = static_cast<int>(terrain.vertices.size() / 3);
    part.m_vertexBase = reinterpret_cast<const unsigned char*>(terrain.vertices.data());
    part.m_vertexStride = 3 * sizeof(float);
    part.m_indexType = PHY_SHORT;
    part.m_vertexType = PHY_FLOAT;
    auto* mesh = new btTriangleIndexVertexArray();
    mesh->addIndexedMesh(part, PHY_SHORT);
    return mesh;
}

// Signed, so that a heap that shrinks reads as less rather than wrapping round.
int64_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<int64_t>(info.uordblks + info.hblkhd);
}

bool sameBits(btScalar a, btScalar b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

TEST(MeshShape, InternalEdgesAreExactlyBulletsOwn) {
    for (const int variant : {0, 1, 2}) {
        const bool nudge = variant == 1;
        Terrain terrain(nudge, variant == 2);
        std::unique_ptr<btTriangleIndexVertexArray> mesh(meshOf(terrain));
        btBvhTriangleMeshShape plain(mesh.get(), true, true);
        btTriangleInfoMap expected;
        btGenerateInternalEdgeInfo(&plain, &expected);
        MeshShape shape(mesh.get());
        btTriangleInfoMap actual;
        shape.generateInternalEdges(actual);

        EXPECT_EQ(shape.getTriangleInfoMap(), &actual);
        ASSERT_GT(expected.size(), variant == 2 ? 0 : 200) << "most triangles have neighbours";
        ASSERT_EQ(actual.size(), expected.size()) << "nudge " << nudge;
        for (int i = 0; i < expected.size(); ++i) {
            ASSERT_EQ(actual.getKeyAtIndex(i).getUid1(), expected.getKeyAtIndex(i).getUid1()) << i;
            const btTriangleInfo& want = *expected.getAtIndex(i);
            const btTriangleInfo& got = *actual.getAtIndex(i);
            EXPECT_EQ(got.m_flags, want.m_flags) << "entry " << i << ", nudge " << nudge;
            EXPECT_TRUE(sameBits(got.m_edgeV0V1Angle, want.m_edgeV0V1Angle) &&
                        sameBits(got.m_edgeV1V2Angle, want.m_edgeV1V2Angle) &&
                        sameBits(got.m_edgeV2V0Angle, want.m_edgeV2V0Angle))
                << "entry " << i << ", nudge " << nudge;
        }
    }
}

// The tables that answer Bullet's neighbour queries (half a megabyte for this
// grid, several for a track) last only as long as the pass: once it is done, a
// shape holds what Bullet's own pass leaves, give or take its bookkeeping.
TEST(MeshShape, KeepsNoTablesOnceTheEdgesAreFound) {
    Terrain terrain(false, false, 60);
    std::unique_ptr<btTriangleIndexVertexArray> mesh(meshOf(terrain));
    int64_t before = heapInUse();
    btBvhTriangleMeshShape plain(mesh.get(), true, true);
    btTriangleInfoMap expected;
    btGenerateInternalEdgeInfo(&plain, &expected);
    const int64_t bulletKeeps = heapInUse() - before;
    before = heapInUse();
    MeshShape shape(mesh.get());
    btTriangleInfoMap actual;
    shape.generateInternalEdges(actual);
    const int64_t shapeKeeps = heapInUse() - before;
    ASSERT_EQ(actual.size(), expected.size());
    EXPECT_LT(shapeKeeps, bulletKeeps + 64 * 1024) << "Bullet's pass keeps " << bulletKeeps << " bytes";
}
