// See MeshShape.h. Bullet's edge pass calls processAllTriangles once per
// triangle, in order, with that triangle's bounding box, and writes only what a
// triangle sharing exactly two corners with it tells (the last such one per edge
// wins). So handing it the triangles that share an edge with the one it asks
// about gives the same result as the BVH query, as long as no edge has two such
// neighbours (then their order matters, and the BVH answers for that triangle)
// and shared corners are exactly the equal positions (checked first).
#include "core/physics/MeshShape.h"

#include <BulletCollision/CollisionDispatch/btInternalEdgeUtility.h>
#include <BulletCollision/CollisionShapes/btStridingMeshInterface.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <unordered_map>

namespace {

// FNV-1a over whole values, folded: cells and exact positions are keyed alike.
template <typename T> size_t hashOf(T x, T y, T z) {
    uint64_t hash = 1469598103934665603ull;
    for (const T value : {x, y, z}) {
        hash = (hash ^ static_cast<uint64_t>(value)) * 1099511628211ull;
    }
    return static_cast<size_t>(hash ^ (hash >> 29));
}

struct Cell {
    int64_t x, y, z;
    bool operator==(const Cell& other) const { return x == other.x && y == other.y && z == other.z; }
};

struct CellHash {
    size_t operator()(const Cell& cell) const { return hashOf(cell.x, cell.y, cell.z); }
};

struct Bits {
    uint32_t x, y, z;
    bool operator==(const Bits& other) const { return x == other.x && y == other.y && z == other.z; }
};

struct BitsHash {
    size_t operator()(const Bits& bits) const { return hashOf(bits.x, bits.y, bits.z); }
};

Bits bitsOf(const btVector3& p) {
    const auto bits = [](btScalar value) {
        // -0 and +0 are the same place.
        const float f = value == 0.0f ? 0.0f : static_cast<float>(value);
        uint32_t out = 0;
        std::memcpy(&out, &f, sizeof out);
        return out;
    };
    return {bits(p.x()), bits(p.y()), bits(p.z())};
}

// Whether two different positions lie closer than Bullet's equal-vertex
// distance (Bullet would take them for one corner, the edge lists for two), or
// cannot be told apart on the grid that finds them.
bool hasNearTwins(const std::vector<btVector3>& positions, btScalar equalDistanceSquared) {
    const btScalar radius = std::sqrt(equalDistanceSquared);
    const btScalar size = 2.0f * radius;
    if (!(size > 0.0f)) {
        return false;
    }
    // Cells are numbered in 64 bits; a mesh reaching beyond that is not looked into.
    const btScalar farthest = size * 1e15f;
    for (const btVector3& p : positions) {
        if (!(std::abs(p.x()) < farthest && std::abs(p.y()) < farthest && std::abs(p.z()) < farthest)) {
            return true;
        }
    }
    const auto cellOf = [size](const btVector3& p) {
        return Cell{static_cast<int64_t>(std::floor(p.x() / size)),
                    static_cast<int64_t>(std::floor(p.y() / size)),
                    static_cast<int64_t>(std::floor(p.z() / size))};
    };
    std::unordered_map<Cell, int, CellHash> head;
    head.reserve(positions.size());
    std::vector<int> next(positions.size(), -1);
    for (size_t i = 0; i < positions.size(); ++i) {
        const auto [slot, added] = head.emplace(cellOf(positions[i]), static_cast<int>(i));
        if (!added) {
            next[i] = slot->second;
            slot->second = static_cast<int>(i);
        }
    }
    const btVector3 reach(radius, radius, radius);
    for (size_t i = 0; i < positions.size(); ++i) {
        const Cell low = cellOf(positions[i] - reach);
        const Cell high = cellOf(positions[i] + reach);
        for (int64_t x = low.x; x <= high.x; ++x) {
            for (int64_t y = low.y; y <= high.y; ++y) {
                for (int64_t z = low.z; z <= high.z; ++z) {
                    const auto found = head.find(Cell{x, y, z});
                    for (int j = found == head.end() ? -1 : found->second; j >= 0; j = next[j]) {
                        if (static_cast<size_t>(j) != i &&
                            (positions[i] - positions[j]).length2() < equalDistanceSquared) {
                            return true;
                        }
                    }
                }
            }
        }
    }
    return false;
}

} // namespace

MeshShape::MeshShape(btStridingMeshInterface* mesh) : btBvhTriangleMeshShape(mesh, true, true) {}

void MeshShape::generateInternalEdges(btTriangleInfoMap& info) {
    btStridingMeshInterface* mesh = getMeshInterface();
    if (getTriangleInfoMap() != nullptr || mesh->getNumSubParts() != 1) {
        btGenerateInternalEdgeInfo(this, &info);
        return;
    }
    const unsigned char* vertexBase = nullptr;
    const unsigned char* indexBase = nullptr;
    int vertexCount = 0;
    int vertexStride = 0;
    int indexStride = 0;
    int triangleCount = 0;
    PHY_ScalarType vertexType = PHY_FLOAT;
    PHY_ScalarType indexType = PHY_SHORT;
    mesh->getLockedReadOnlyVertexIndexBase(&vertexBase, vertexCount, vertexType, vertexStride, &indexBase,
                                           indexStride, triangleCount, indexType, 0);
    const bool readable = vertexType == PHY_FLOAT && indexType == PHY_SHORT;
    if (readable) {
        // The corners as Bullet's own passes compute them.
        const btVector3& scaling = mesh->getScaling();
        corners.resize(static_cast<size_t>(triangleCount) * 3);
        for (int t = 0; t < triangleCount; ++t) {
            const auto* index = reinterpret_cast<const uint16_t*>(indexBase + t * indexStride);
            for (int k = 0; k < 3; ++k) {
                const auto* v = reinterpret_cast<const float*>(vertexBase + index[k] * vertexStride);
                corners[static_cast<size_t>(t) * 3 + static_cast<size_t>(k)] =
                    btVector3(v[0] * scaling.getX(), v[1] * scaling.getY(), v[2] * scaling.getZ());
            }
        }
    }
    mesh->unLockReadOnlyVertexBase(0);

    std::vector<btVector3> positions;
    if (readable) {
        std::unordered_map<Bits, int, BitsHash> known;
        known.reserve(corners.size());
        positionOf.resize(corners.size());
        for (size_t c = 0; c < corners.size(); ++c) {
            const auto [slot, added] = known.emplace(bitsOf(corners[c]), static_cast<int>(positions.size()));
            if (added) {
                positions.push_back(corners[c]);
            }
            positionOf[c] = slot->second;
        }
    }
    if (!readable || hasNearTwins(positions, info.m_equalVertexThreshold)) {
        releaseTriangleTables();
        btGenerateInternalEdgeInfo(this, &info);
        return;
    }
    firstAt.assign(positions.size() + 1, 0);
    for (const int p : positionOf) {
        ++firstAt[static_cast<size_t>(p) + 1];
    }
    for (size_t p = 0; p < positions.size(); ++p) {
        firstAt[p + 1] += firstAt[p];
    }
    atPosition.resize(positionOf.size());
    std::vector<int> filled(firstAt.begin(), firstAt.end() - 1);
    for (size_t c = 0; c < positionOf.size(); ++c) {
        atPosition[static_cast<size_t>(filled[static_cast<size_t>(positionOf[c])]++)] =
            static_cast<int>(c / 3);
    }

    asking = 0;
    btGenerateInternalEdgeInfo(this, &info);
    asking = -1;
    releaseTriangleTables();
}

void MeshShape::releaseTriangleTables() {
    // Swapped out, not cleared: a cleared vector (or one assigned "{}", which
    // picks the initializer-list assignment) keeps its capacity, megabytes for a
    // track held as long as the race.
    std::vector<btVector3>().swap(corners);
    std::vector<int>().swap(positionOf);
    std::vector<int>().swap(firstAt);
    std::vector<int>().swap(atPosition);
}

void MeshShape::processAllTriangles(btTriangleCallback* callback, const btVector3& aabbMin,
                                    const btVector3& aabbMax) const {
    if (asking < 0) {
        btBvhTriangleMeshShape::processAllTriangles(callback, aabbMin, aabbMax);
        return;
    }
    const int a = asking++;
    const size_t first = static_cast<size_t>(a) * 3;
    bool inStep = first + 3 <= corners.size();
    if (inStep) {
        btVector3 low = corners[first];
        btVector3 high = corners[first];
        for (size_t k = 1; k < 3; ++k) {
            low.setMin(corners[first + k]);
            high.setMax(corners[first + k]);
        }
        inStep = low.x() == aabbMin.x() && low.y() == aabbMin.y() && low.z() == aabbMin.z() &&
                 high.x() == aabbMax.x() && high.y() == aabbMax.y() && high.z() == aabbMax.z();
    }
    if (!inStep) {
        // Not the call expected: Bullet's pass works differently from what this
        // was written for, so the BVH answers from here on.
        asking = -1;
        btBvhTriangleMeshShape::processAllTriangles(callback, aabbMin, aabbMax);
        return;
    }
    const int own[3] = {positionOf[first], positionOf[first + 1], positionOf[first + 2]};
    if (own[0] == own[1] || own[1] == own[2] || own[2] == own[0]) {
        // Bullet skips a triangle without area against every other one.
        return;
    }
    const auto hasPosition = [this](int triangle, int position) {
        const size_t at = static_cast<size_t>(triangle) * 3;
        return positionOf[at] == position || positionOf[at + 1] == position || positionOf[at + 2] == position;
    };
    int neighbour[3] = {-1, -1, -1};
    for (int edge = 0; edge < 3; ++edge) {
        const int from = own[edge];
        const int to = own[(edge + 1) % 3];
        for (int i = firstAt[static_cast<size_t>(from)]; i < firstAt[static_cast<size_t>(from) + 1]; ++i) {
            const int other = atPosition[static_cast<size_t>(i)];
            if (other == a || other == neighbour[edge] || !hasPosition(other, to)) {
                continue;
            }
            if (neighbour[edge] >= 0) {
                btBvhTriangleMeshShape::processAllTriangles(callback, aabbMin, aabbMax);
                return;
            }
            neighbour[edge] = other;
        }
    }
    for (const int other : neighbour) {
        if (other >= 0) {
            btVector3 triangle[3] = {corners[static_cast<size_t>(other) * 3],
                                     corners[static_cast<size_t>(other) * 3 + 1],
                                     corners[static_cast<size_t>(other) * 3 + 2]};
            callback->processTriangle(triangle, 0, other);
        }
    }
}
