// The simulation side of a CollisionShape: its Bullet geometry, the collision
// object it lives in when it stands alone (shapes of static bodies and triggers
// of dynamic ones), and the triangle data a mesh shape points into.
#pragma once

#include <BulletCollision/CollisionDispatch/btInternalEdgeUtility.h>
#include <BulletCollision/CollisionShapes/btTriangleInfoMap.h>
#include <btBulletDynamicsCommon.h>

#include <cstdint>
#include <memory>
#include <vector>

struct ShapeState {
    std::unique_ptr<btCollisionShape> geometry;
    std::unique_ptr<btCollisionObject> object;

    std::vector<float> vertices;
    std::vector<uint16_t> indices;
    // Original triangle number of each kept triangle (degenerate ones are dropped).
    std::vector<int> faceIds;
    std::unique_ptr<btTriangleIndexVertexArray> meshData;
    std::unique_ptr<btTriangleInfoMap> edgeInfo;
};
