// Puts an entity into its scene's physics world. Carries the collision shapes
// and the events through which game components learn about contacts and
// triggers. Use RigidBodyDynamic or RigidBodyStatic.
#pragma once

#include "core/runtime/Component.h"
#include "core/runtime/Event.h"

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class CollisionShape;
class btDiscreteDynamicsWorld;
class PhysicsWorld;
class Transform;
struct BodyState;
struct ShapeState;

class RigidBody : public Component {
public:
    ~RigidBody() override;

    // A new shape with the "default" material and no geometry until setBox or setMesh.
    CollisionShape* addCollisionShape();
    const std::vector<std::unique_ptr<CollisionShape>>& getShapes() const { return shapes; }

    bool isDynamic() const;
    // Null when the entity belongs to no scene.
    PhysicsWorld* getWorld() const;
    // The body's pose in the simulation (for dynamic bodies, as of the last step or teleport).
    glm::vec3 getGlobalPosition() const;
    glm::quat getGlobalRotation() const;

    // Called with the other body, in key order, before the matching event fires.
    std::map<int, std::function<void(RigidBody*)>> triggerEnterHandlers;
    std::map<int, std::function<void(RigidBody*)>> triggerExitHandlers;
    // (self, other)
    Event<RigidBody*, RigidBody*> onTriggerEnter;
    Event<RigidBody*, RigidBody*> onTriggerExit;
    // (self, a world point of the contact)
    Event<RigidBody*, glm::vec3> onCollisionEnter;
    Event<RigidBody*> onCollisionExit;

protected:
    RigidBody(SystemRegistry* systems, Entity* entity, bool dynamic);

    // Rebuilds a dynamic body's compound from its solid shapes around the centre of mass.
    void rebuildCompound();
    // Moves the collision objects of standalone shapes (triggers of a dynamic body) to the pose.
    void placeShapeObjects();

    std::unique_ptr<BodyState> state;

private:
    friend class CollisionShape;
    friend class PhysicsWorld;

    // Brings the simulation in line with the shape's geometry and trigger flag.
    // previous, when given, is the simulation state the shape has just replaced.
    void shapeChanged(CollisionShape& shape, ShapeState* previous);
    void placeShapeObject(CollisionShape& shape);
    void createRigidBody();
    // A restart of the world's simulation: out of the old one, then into the new
    // one at home and at rest (see PhysicsWorld::restartSimulation).
    void leaveSimulation(btDiscreteDynamicsWorld& simulation);
    void joinSimulation(btDiscreteDynamicsWorld& simulation);

    std::vector<std::unique_ptr<CollisionShape>> shapes;
};
