// Turns a TrackScene into an FBX file (binary unless asked for text) for the
// engine's importer.
//
// The importer multiplies each node matrix M by Rx(+90 deg) for its root node and
// by Rx(-90 deg) for every other node, and turns mesh vertices by Rx(-90 deg). So
// that the engine's world comes out exactly as the scene was built (Y up, -Z
// forward), a top-level node is written with its world matrix as it is, a deeper
// node with Rx(+90 deg) times its local matrix, and vertices and normals turned by
// Rx(+90 deg).
#pragma once

#include "FbxWriter.h"
#include "TrackScene.h"

#include <string>

class SceneExporter {
public:
    static std::string toFbx(const TrackScene& scene, FbxFormat format = FbxFormat::Binary);
    // Euler angles in degrees (x, y, z) with R = Rz * Ry * Rx, the FBX default order.
    static glm::vec3 eulerXyzDegrees(const glm::mat3& rotation);
};
