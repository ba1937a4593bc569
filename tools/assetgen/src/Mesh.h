// Triangle meshes as the generators build them, in the engine's Y-up space.
// Each vertex carries a lightmap chart and a position in that chart in metres;
// LightmapLayout packs the charts and fills uv1.
#pragma once

#include <glm/glm.hpp>

#include <cstdint>
#include <vector>

struct MeshVertex {
    glm::vec3 position{0.0f};
    glm::vec3 normal{0.0f, 1.0f, 0.0f};
    glm::vec2 uv0{0.0f};
    glm::vec2 uv1{0.0f};
    glm::vec2 chartUv{0.0f};
    int chart = -1;
};

struct MeshTriangle {
    uint32_t a, b, c;
    int material;
};

// How a primitive's faces get their texture coordinates: either tiled by metres
// or each face stretched over one rectangle of the texture (u0, v0, u1, v1).
struct FaceUv {
    static FaceUv tiled(float metresPerTile) { return FaceUv{true, metresPerTile, glm::vec4(0, 0, 1, 1)}; }
    static FaceUv rect(const glm::vec4& r) { return FaceUv{false, 1.0f, r}; }
    bool tile;
    float metresPerTile;
    glm::vec4 region;
};

class Mesh {
public:
    std::vector<MeshVertex> vertices;
    std::vector<MeshTriangle> triangles;

    int newChart() { return chartCount++; }
    int charts() const { return chartCount; }

    uint32_t addVertex(const MeshVertex& v);
    void addTriangle(uint32_t a, uint32_t b, uint32_t c, int material);
    // a, b, c, d counter-clockwise seen from the front.
    void addQuad(uint32_t a, uint32_t b, uint32_t c, uint32_t d, int material);

    // A flat quad with corners p0..p3 (counter-clockwise from the front), its own
    // chart, and texture coordinates from FaceUv.
    void addFace(const glm::vec3& p0, const glm::vec3& p1, const glm::vec3& p2, const glm::vec3& p3,
                 int material, const FaceUv& uv);
    // A box of the given half extents around the origin, placed by transform.
    void addBox(const glm::mat4& transform, const glm::vec3& halfExtents, int material, const FaceUv& uv);
    // A cylinder along its local X axis, smooth-shaded sides, flat caps.
    void addCylinder(const glm::mat4& transform, float radius, float halfLength, int segments, int material,
                     const FaceUv& sideUv, const FaceUv& capUv);
    // A cone frustum along local Y from y = 0 (radius r0) to y = height (radius r1).
    void addFrustum(const glm::mat4& transform, float r0, float r1, float height, int segments, int material,
                    const FaceUv& uv);
    // A UV sphere, stretched by scale before the transform.
    void addSphere(const glm::mat4& transform, const glm::vec3& scale, int rings, int segments, int material,
                   const FaceUv& uv);

    int triangleCount(int material) const;
    int materialSlots() const;

private:
    int chartCount = 0;
};
