// See Mesh.h. Charts are in metres so that LightmapLayout can give every chart
// the same texel density.
#include "Mesh.h"

#include <glm/gtc/constants.hpp>

#include <algorithm>
#include <cmath>

namespace {

glm::vec3 transformPoint(const glm::mat4& m, const glm::vec3& p) {
    return glm::vec3(m * glm::vec4(p, 1.0f));
}

glm::vec3 transformNormal(const glm::mat4& m, const glm::vec3& n) {
    return glm::normalize(glm::transpose(glm::inverse(glm::mat3(m))) * n);
}

glm::vec2 faceUv(const FaceUv& uv, const glm::vec2& metres, const glm::vec2& unit) {
    if (uv.tile)
        return metres / uv.metresPerTile;
    return glm::vec2(glm::mix(uv.region.x, uv.region.z, unit.x), glm::mix(uv.region.y, uv.region.w, unit.y));
}

} // namespace

uint32_t Mesh::addVertex(const MeshVertex& v) {
    vertices.push_back(v);
    return static_cast<uint32_t>(vertices.size() - 1);
}

void Mesh::addTriangle(uint32_t a, uint32_t b, uint32_t c, int material) {
    triangles.push_back(MeshTriangle{a, b, c, material});
}

void Mesh::addQuad(uint32_t a, uint32_t b, uint32_t c, uint32_t d, int material) {
    addTriangle(a, b, c, material);
    addTriangle(a, c, d, material);
}

void Mesh::addFace(const glm::vec3& p0, const glm::vec3& p1, const glm::vec3& p2, const glm::vec3& p3,
                   int material, const FaceUv& uv) {
    const glm::vec3 normal = glm::normalize(glm::cross(p1 - p0, p3 - p0));
    const float width = glm::length(p1 - p0);
    const float height = glm::length(p3 - p0);
    const int chart = newChart();
    const glm::vec3 corners[4] = {p0, p1, p2, p3};
    const glm::vec2 units[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    uint32_t ids[4];
    for (int i = 0; i < 4; ++i) {
        MeshVertex v;
        v.position = corners[i];
        v.normal = normal;
        v.chartUv = units[i] * glm::vec2(width, height);
        v.chart = chart;
        v.uv0 = faceUv(uv, v.chartUv, units[i]);
        ids[i] = addVertex(v);
    }
    addQuad(ids[0], ids[1], ids[2], ids[3], material);
}

void Mesh::addBox(const glm::mat4& transform, const glm::vec3& h, int material, const FaceUv& uv) {
    // Each face: origin corner, then the two edge directions (u along, v up).
    struct Face {
        glm::vec3 origin, u, v;
    };
    const Face faces[6] = {
        {{-h.x, -h.y, h.z}, {2 * h.x, 0, 0}, {0, 2 * h.y, 0}},  // +Z
        {{h.x, -h.y, -h.z}, {-2 * h.x, 0, 0}, {0, 2 * h.y, 0}}, // -Z
        {{h.x, -h.y, h.z}, {0, 0, -2 * h.z}, {0, 2 * h.y, 0}},  // +X
        {{-h.x, -h.y, -h.z}, {0, 0, 2 * h.z}, {0, 2 * h.y, 0}}, // -X
        {{-h.x, h.y, h.z}, {2 * h.x, 0, 0}, {0, 0, -2 * h.z}},  // +Y
        {{-h.x, -h.y, -h.z}, {2 * h.x, 0, 0}, {0, 0, 2 * h.z}}, // -Y
    };
    for (const Face& f : faces) {
        const glm::vec3 p0 = transformPoint(transform, f.origin);
        const glm::vec3 p1 = transformPoint(transform, f.origin + f.u);
        const glm::vec3 p2 = transformPoint(transform, f.origin + f.u + f.v);
        const glm::vec3 p3 = transformPoint(transform, f.origin + f.v);
        addFace(p0, p1, p2, p3, material, uv);
    }
}

void Mesh::addCylinder(const glm::mat4& transform, float radius, float halfLength, int segments, int material,
                       const FaceUv& sideUv, const FaceUv& capUv) {
    const int chart = newChart();
    const float circumference = glm::two_pi<float>() * radius;
    const uint32_t base = static_cast<uint32_t>(vertices.size());
    for (int i = 0; i <= segments; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(segments);
        const float a = t * glm::two_pi<float>();
        const glm::vec3 radial(0.0f, std::cos(a), std::sin(a));
        for (int side = 0; side < 2; ++side) {
            MeshVertex v;
            const float x = side == 0 ? -halfLength : halfLength;
            v.position = transformPoint(transform, glm::vec3(x, 0.0f, 0.0f) + radial * radius);
            v.normal = transformNormal(transform, radial);
            v.chartUv = glm::vec2(t * circumference, static_cast<float>(side) * 2.0f * halfLength);
            v.chart = chart;
            v.uv0 = faceUv(sideUv, v.chartUv, glm::vec2(t, static_cast<float>(side)));
            addVertex(v);
        }
    }
    for (int i = 0; i < segments; ++i) {
        const uint32_t a = base + static_cast<uint32_t>(i) * 2;
        // Outward-facing winding: the angle runs from +Y towards +Z, which is
        // counter-clockwise seen from +X.
        addQuad(a, a + 2, a + 3, a + 1, material);
    }
    for (int side = 0; side < 2; ++side) {
        const int capChart = newChart();
        const float sign = side == 0 ? -1.0f : 1.0f;
        const glm::vec3 n = transformNormal(transform, glm::vec3(sign, 0.0f, 0.0f));
        MeshVertex centre;
        centre.position = transformPoint(transform, glm::vec3(sign * halfLength, 0.0f, 0.0f));
        centre.normal = n;
        centre.chart = capChart;
        centre.chartUv = glm::vec2(radius);
        centre.uv0 = faceUv(capUv, centre.chartUv, glm::vec2(0.5f));
        const uint32_t c = addVertex(centre);
        const uint32_t ring = static_cast<uint32_t>(vertices.size());
        for (int i = 0; i <= segments; ++i) {
            const float a = static_cast<float>(i) / static_cast<float>(segments) * glm::two_pi<float>();
            const glm::vec2 unit(0.5f + 0.5f * std::cos(a), 0.5f + 0.5f * std::sin(a));
            MeshVertex v;
            v.position = transformPoint(
                transform, glm::vec3(sign * halfLength, std::cos(a) * radius, std::sin(a) * radius));
            v.normal = n;
            v.chart = capChart;
            v.chartUv = unit * 2.0f * radius;
            v.uv0 = faceUv(capUv, v.chartUv, unit);
            addVertex(v);
        }
        for (int i = 0; i < segments; ++i) {
            const uint32_t a = ring + static_cast<uint32_t>(i);
            if (side == 1)
                addTriangle(c, a, a + 1, material);
            else
                addTriangle(c, a + 1, a, material);
        }
    }
}

void Mesh::addFrustum(const glm::mat4& transform, float r0, float r1, float height, int segments,
                      int material, const FaceUv& uv) {
    const int chart = newChart();
    const float slope = (r0 - r1) / height;
    const uint32_t base = static_cast<uint32_t>(vertices.size());
    for (int i = 0; i <= segments; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(segments);
        const float a = t * glm::two_pi<float>();
        const glm::vec3 radial(std::cos(a), 0.0f, -std::sin(a));
        const glm::vec3 normal = glm::normalize(radial + glm::vec3(0.0f, slope, 0.0f));
        for (int level = 0; level < 2; ++level) {
            const float r = level == 0 ? r0 : r1;
            MeshVertex v;
            v.position =
                transformPoint(transform, radial * r + glm::vec3(0.0f, level == 0 ? 0.0f : height, 0.0f));
            v.normal = transformNormal(transform, normal);
            v.chart = chart;
            v.chartUv =
                glm::vec2(t * glm::two_pi<float>() * std::max(r0, r1), static_cast<float>(level) * height);
            v.uv0 = faceUv(uv, v.chartUv, glm::vec2(t, static_cast<float>(level)));
            addVertex(v);
        }
    }
    for (int i = 0; i < segments; ++i) {
        const uint32_t a = base + static_cast<uint32_t>(i) * 2;
        addQuad(a, a + 2, a + 3, a + 1, material);
    }
}

void Mesh::addSphere(const glm::mat4& transform, const glm::vec3& scale, int rings, int segments,
                     int material, const FaceUv& uv) {
    const int chart = newChart();
    const uint32_t base = static_cast<uint32_t>(vertices.size());
    for (int r = 0; r <= rings; ++r) {
        const float v = static_cast<float>(r) / static_cast<float>(rings);
        const float polar = v * glm::pi<float>();
        for (int s = 0; s <= segments; ++s) {
            const float u = static_cast<float>(s) / static_cast<float>(segments);
            const float a = u * glm::two_pi<float>();
            const glm::vec3 unit(std::sin(polar) * std::cos(a), -std::cos(polar),
                                 -std::sin(polar) * std::sin(a));
            MeshVertex mv;
            mv.position = transformPoint(transform, unit * scale);
            mv.normal = transformNormal(transform, glm::normalize(unit / scale));
            mv.chart = chart;
            mv.chartUv = glm::vec2(u, v) * glm::vec2(glm::two_pi<float>(), glm::pi<float>()) * scale.x;
            mv.uv0 = faceUv(uv, mv.chartUv, glm::vec2(u, v));
            addVertex(mv);
        }
    }
    const uint32_t stride = static_cast<uint32_t>(segments) + 1;
    for (int r = 0; r < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            const uint32_t a = base + static_cast<uint32_t>(r) * stride + static_cast<uint32_t>(s);
            addQuad(a, a + 1, a + 1 + stride, a + stride, material);
        }
    }
}

int Mesh::triangleCount(int material) const {
    return static_cast<int>(
        std::count_if(triangles.begin(), triangles.end(),
                      [material](const MeshTriangle& t) { return t.material == material; }));
}

int Mesh::materialSlots() const {
    int slots = 0;
    for (const MeshTriangle& t : triangles)
        slots = std::max(slots, t.material + 1);
    return slots;
}
