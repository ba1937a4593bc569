// The triangle-mesh collision shape of mesh colliders: Bullet's BVH mesh shape,
// whose internal-edge information (what keeps bodies from bumping on the seams
// between triangles) is found through the mesh's own shared edges. Bullet's
// btGenerateInternalEdgeInfo asks the BVH for the neighbours of every triangle
// in turn, which was most of a race track's physics set-up; this hands it each
// triangle's edge neighbours directly and gives the very same information.
#pragma once

#include <BulletCollision/CollisionShapes/btBvhTriangleMeshShape.h>
#include <BulletCollision/CollisionShapes/btTriangleInfoMap.h>

#include <vector>

class MeshShape : public btBvhTriangleMeshShape {
public:
    // Builds the BVH of mesh, which must outlive the shape.
    explicit MeshShape(btStridingMeshInterface* mesh);

    // What btGenerateInternalEdgeInfo(this, &info) gives, and sets it as this
    // shape's triangle info map as that does. Meshes it cannot read directly
    // (several parts, other than float vertices and 16-bit indices, corners
    // closer than Bullet's equal-vertex distance yet not equal) take Bullet's way.
    void generateInternalEdges(btTriangleInfoMap& info);

    void processAllTriangles(btTriangleCallback* callback, const btVector3& aabbMin,
                             const btVector3& aabbMax) const override;

private:
    void releaseTriangleTables();

    // Only while generateInternalEdges runs: the triangles' corners as Bullet
    // scales them, each corner's distinct position, the triangles at each
    // position (offsets into atPosition), and the triangle Bullet asks about next.
    std::vector<btVector3> corners;
    std::vector<int> positionOf;
    std::vector<int> firstAt;
    std::vector<int> atPosition;
    mutable int asking = -1;
};
