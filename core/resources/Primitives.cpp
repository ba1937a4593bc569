// Primitive shape generators.
#include "core/resources/Primitives.h"

#include "core/resources/Mesh.h"

#include <glm/gtc/constants.hpp>

namespace {

void addVertex(Mesh& mesh, const glm::vec3& position, const glm::vec3& normal, const glm::vec3& tangent,
               const glm::vec2& uv) {
    mesh.positions.push_back(position);
    mesh.normals.push_back(normal);
    mesh.tangents.push_back(tangent);
    mesh.bitangents.push_back(glm::cross(normal, tangent));
    mesh.uv0.push_back(uv);
}

void addTriangle(Mesh& mesh, int a, int b, int c) {
    mesh.indices.push_back(static_cast<uint16_t>(a));
    mesh.indices.push_back(static_cast<uint16_t>(b));
    mesh.indices.push_back(static_cast<uint16_t>(c));
}

// Corners a, b, c, d counter-clockwise: triangles a b c and c d a.
void addQuad(Mesh& mesh, int a, int b, int c, int d) {
    addTriangle(mesh, a, b, c);
    addTriangle(mesh, c, d, a);
}

// A point on a ring around Y; angle 0 faces +Z and grows towards +X, so that u
// grows to the right seen from outside.
glm::vec3 around(float angle) {
    return {glm::sin(angle), 0.0f, glm::cos(angle)};
}
glm::vec3 tangentAround(float angle) {
    return {glm::cos(angle), 0.0f, -glm::sin(angle)};
}

} // namespace

namespace primitives {

void box(Mesh& mesh, const glm::vec3& size) {
    // Each face: its normal and the direction of u across it; v = normal x u.
    const glm::vec3 faces[6][2] = {
        {{0, 0, 1}, {1, 0, 0}},  {{0, 0, -1}, {-1, 0, 0}}, {{1, 0, 0}, {0, 0, -1}},
        {{-1, 0, 0}, {0, 0, 1}}, {{0, 1, 0}, {1, 0, 0}},   {{0, -1, 0}, {1, 0, 0}},
    };
    const glm::vec2 corners[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (const auto& face : faces) {
        const glm::vec3 normal = face[0];
        const glm::vec3 u = face[1];
        const glm::vec3 v = glm::cross(normal, u);
        const int first = static_cast<int>(mesh.positions.size());
        for (const glm::vec2& corner : corners) {
            const glm::vec3 unit = 0.5f * normal + (corner.x - 0.5f) * u + (corner.y - 0.5f) * v;
            addVertex(mesh, unit * size, normal, u, corner);
        }
        addQuad(mesh, first, first + 1, first + 2, first + 3);
    }
}

void quad(Mesh& mesh, float width, float height) {
    const glm::vec2 corners[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const int first = static_cast<int>(mesh.positions.size());
    for (const glm::vec2& corner : corners) {
        const glm::vec3 position((corner.x - 0.5f) * width, (corner.y - 0.5f) * height, 0.0f);
        addVertex(mesh, position, {0, 0, 1}, {1, 0, 0}, corner);
    }
    addQuad(mesh, first, first + 1, first + 2, first + 3);
}

void sphere(Mesh& mesh, float radius, int segments, int bands) {
    const float twoPi = glm::two_pi<float>();
    const float pi = glm::pi<float>();
    const int bottom = static_cast<int>(mesh.positions.size());
    addVertex(mesh, {0, -radius, 0}, {0, -1, 0}, {1, 0, 0}, {0.5f, 0.0f});
    // Rings from the bottom up; the latitude angle runs from 0 at the bottom pole to pi at the top.
    for (int ring = 1; ring < bands; ++ring) {
        const float latitude = pi * static_cast<float>(ring) / static_cast<float>(bands);
        for (int s = 0; s < segments; ++s) {
            const float longitude = twoPi * static_cast<float>(s) / static_cast<float>(segments);
            const glm::vec3 normal =
                glm::sin(latitude) * around(longitude) + glm::vec3(0, -glm::cos(latitude), 0);
            addVertex(mesh, radius * normal, normal, tangentAround(longitude),
                      {longitude / twoPi, latitude / pi});
        }
    }
    const int top = static_cast<int>(mesh.positions.size());
    addVertex(mesh, {0, radius, 0}, {0, 1, 0}, {1, 0, 0}, {0.5f, 1.0f});

    const auto ringVertex = [&](int ring, int s) {
        return bottom + 1 + (ring - 1) * segments + s % segments;
    };
    for (int s = 0; s < segments; ++s) {
        addTriangle(mesh, bottom, ringVertex(1, s + 1), ringVertex(1, s));
        for (int ring = 1; ring + 1 < bands; ++ring) {
            addQuad(mesh, ringVertex(ring, s), ringVertex(ring, s + 1), ringVertex(ring + 1, s + 1),
                    ringVertex(ring + 1, s));
        }
        addTriangle(mesh, ringVertex(bands - 1, s), ringVertex(bands - 1, s + 1), top);
    }
}

void cylinder(Mesh& mesh, float radius, float height, int segments) {
    const float twoPi = glm::two_pi<float>();
    const float half = height * 0.5f;
    const float uStep = 1.0f / static_cast<float>(segments);
    // Side: a bottom and a top row with a repeated seam column, so u runs 0..1 without wrapping back.
    const int side = static_cast<int>(mesh.positions.size());
    for (int row = 0; row < 2; ++row) {
        for (int s = 0; s <= segments; ++s) {
            const float angle = twoPi * static_cast<float>(s) / static_cast<float>(segments);
            const glm::vec3 normal = around(angle);
            const glm::vec3 position = radius * normal + glm::vec3(0, row == 0 ? -half : half, 0);
            addVertex(mesh, position, normal, tangentAround(angle),
                      {static_cast<float>(s) * uStep, static_cast<float>(row)});
        }
    }
    const int columns = segments + 1;
    for (int s = 0; s < segments; ++s) {
        addQuad(mesh, side + s, side + s + 1, side + columns + s + 1, side + columns + s);
    }
    // Caps: a centre and a ring each, mapped onto uv0 from above.
    for (int cap = 0; cap < 2; ++cap) {
        const float y = cap == 0 ? -half : half;
        const glm::vec3 normal(0, cap == 0 ? -1.0f : 1.0f, 0);
        const int centre = static_cast<int>(mesh.positions.size());
        addVertex(mesh, {0, y, 0}, normal, {1, 0, 0}, {0.5f, 0.5f});
        for (int s = 0; s < segments; ++s) {
            const glm::vec3 direction = around(twoPi * static_cast<float>(s) / static_cast<float>(segments));
            // v follows -Z on the top cap and +Z on the bottom one, so neither appears mirrored.
            const float v = cap == 0 ? 0.5f + 0.5f * direction.z : 0.5f - 0.5f * direction.z;
            addVertex(mesh, radius * direction + glm::vec3(0, y, 0), normal, {1, 0, 0},
                      {0.5f + 0.5f * direction.x, v});
        }
        for (int s = 0; s < segments; ++s) {
            const int a = centre + 1 + s;
            const int b = centre + 1 + (s + 1) % segments;
            if (cap == 0) {
                addTriangle(mesh, centre, b, a);
            } else {
                addTriangle(mesh, centre, a, b);
            }
        }
    }
}

} // namespace primitives
