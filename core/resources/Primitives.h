// Generators that fill a mesh's lists with simple shapes centred at the origin,
// wound counter-clockwise seen from outside, with normals, tangents, bitangents
// and uv0. The caller finalises the mesh.
#pragma once

#include <glm/glm.hpp>

class Mesh;

namespace primitives {

// Four vertices per face with face normals; uv0 spans 0..1 across each face.
void box(Mesh& mesh, const glm::vec3& size);
// In the XY plane facing +Z.
void quad(Mesh& mesh, float width, float height);
// Two poles plus (bands - 1) rings of segments vertices; uv0 = (longitude / 2pi, latitude / pi).
void sphere(Mesh& mesh, float radius, int segments, int bands);
// Around the Y axis from -height/2 to height/2, with caps.
void cylinder(Mesh& mesh, float radius, float height, int segments);

} // namespace primitives
