// One piece of a rigid body's collision geometry: a box centred on the body or a
// triangle mesh, with a physics material, optionally a trigger that reports
// overlaps instead of colliding. Made and owned by RigidBody::addCollisionShape.
#pragma once

#include <glm/glm.hpp>

#include <cstdint>
#include <memory>
#include <vector>

class Mesh;
class PhysicsMaterial;
class RigidBody;
class SystemRegistry;
struct ShapeState;

enum class ShapeKind { Box = 0, TriangleMesh = 3 };

class CollisionShape {
public:
    CollisionShape(SystemRegistry* systems, RigidBody* owner);
    virtual ~CollisionShape();
    CollisionShape(const CollisionShape&) = delete;
    CollisionShape& operator=(const CollisionShape&) = delete;

    // Full extents (edge lengths), not half extents.
    void setBox(float x, float y, float z);
    void setBox(const glm::vec3& size) { setBox(size.x, size.y, size.z); }
    // A triangle mesh from the mesh's CPU-side positions and 16-bit indices (all
    // parts), as setTriangles below; the mesh need not be finalised.
    bool setMesh(const Mesh* mesh);
    // A triangle mesh from positions and 16-bit indices (three per triangle). The
    // entity's world scale at this moment is baked in; later scale changes do not
    // reach it. Only static bodies take triangle meshes. False (and "Error cooking
    // triangle mesh.") when no usable triangle remains.
    bool setTriangles(const std::vector<glm::vec3>& positions, const std::vector<uint16_t>& indices);
    struct MeshOfShape {
        CollisionShape* shape;
        const Mesh* mesh;
    };
    // setMesh for many shapes at once, their meshes cooked side by side on
    // worker threads: Bullet's BVH and the internal edges of a track's colliders
    // take a tenth of a second one after another. hasGeometry tells which took.
    static void setMeshes(const std::vector<MeshOfShape>& shapes);
    void setTrigger(bool trigger);
    void setMaterial(PhysicsMaterial* material);

    ShapeKind getKind() const { return kind; }
    const glm::vec3& getSize() const { return size; }
    PhysicsMaterial* getMaterial() const { return material; }
    bool isTrigger() const { return trigger; }
    // False until a geometry has been set successfully.
    bool hasGeometry() const;
    RigidBody* getOwner() const { return owner; }
    // Number of triangles kept for a mesh shape.
    size_t getTriangleCount() const;

    SystemRegistry* const systems;

private:
    friend class RigidBody;
    friend class PhysicsWorld;

    // setTriangles' checks and copy of the triangles (the world scale baked in),
    // on the calling thread; null, with the shape emptied and the error logged,
    // when no usable triangle remains.
    std::unique_ptr<ShapeState> takeTriangles(const std::vector<glm::vec3>& positions,
                                              const std::vector<uint16_t>& indices);
    // Bullet's mesh shape over the triangles taken. It touches nothing but state,
    // so shapes cook on any thread.
    static void cookMesh(ShapeState& state);
    // Swaps in new simulation state and tells the body, which lets go of the old one.
    void replaceState(std::unique_ptr<ShapeState> next);

    RigidBody* const owner;
    ShapeKind kind = ShapeKind::Box;
    glm::vec3 size{0.0f};
    PhysicsMaterial* material = nullptr;
    bool trigger = false;
    std::unique_ptr<ShapeState> state;
};
