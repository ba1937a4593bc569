// Rigid body creation, destruction and the bookkeeping of its shapes in the simulation.
#include "core/physics/RigidBody.h"

#include "core/physics/BodyState.h"
#include "core/physics/BulletMath.h"
#include "core/physics/CollisionShape.h"
#include "core/physics/PhysicsWorld.h"
#include "core/physics/ShapeState.h"
#include "core/physics/WorldState.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/Transform.h"

namespace {

// Below these speeds, held for two seconds, a body may fall asleep (when allowed).
constexpr btScalar sleepLinearSpeed = 0.1f;
constexpr btScalar sleepAngularSpeed = 0.1f;

btDiscreteDynamicsWorld* simulationOf(const BodyState& body) {
    return body.world != nullptr && body.world->isValid() ? body.world->internals()->world.get() : nullptr;
}

} // namespace

RigidBody::RigidBody(SystemRegistry* systems, Entity* entity, bool dynamic)
    : Component(systems, entity), state(std::make_unique<BodyState>()) {
    state->owner = this;
    state->dynamic = dynamic;
    if (entity != nullptr) {
        Transform* transform = entity->getComponent<Transform>();
        if (transform == nullptr) {
            transform = entity->addComponent<Transform>();
        }
        state->transform = transform;
        state->pose = toBullet(transform->getWorldPosition(), glm::normalize(transform->getGlobalRotation()));
        state->home = state->pose;
        if (entity->scene != nullptr) {
            state->world = entity->scene->getPhysicsWorld();
        }
    }
    if (state->world != nullptr) {
        state->id = state->world->registerBody(this);
    }
    if (dynamic) {
        createRigidBody();
    }
}

RigidBody::~RigidBody() {
    if (btDiscreteDynamicsWorld* simulation = simulationOf(*state)) {
        for (const auto& shape : shapes) {
            if (shape->state->object != nullptr) {
                simulation->removeCollisionObject(shape->state->object.get());
            }
        }
        if (state->rigidBody != nullptr) {
            simulation->removeRigidBody(state->rigidBody.get());
        }
    }
    if (state->world != nullptr) {
        state->world->unregisterBody(this);
    }
    shapes.clear();
}

void RigidBody::leaveSimulation(btDiscreteDynamicsWorld& simulation) {
    for (const auto& shape : shapes) {
        if (shape->state->object != nullptr) {
            simulation.removeCollisionObject(shape->state->object.get());
            shape->state->object.reset();
        }
    }
    if (state->rigidBody != nullptr) {
        simulation.removeRigidBody(state->rigidBody.get());
    }
}

void RigidBody::joinSimulation(btDiscreteDynamicsWorld& simulation) {
    if (state->rigidBody != nullptr) {
        // At home and at rest, as a body just made is.
        btRigidBody& rigid = *state->rigidBody;
        state->pose = state->home;
        rigid.setCenterOfMassTransform(state->pose *
                                       btTransform(btQuaternion::getIdentity(), state->centerOfMass));
        rigid.setLinearVelocity(btVector3(0, 0, 0));
        rigid.setAngularVelocity(btVector3(0, 0, 0));
        rigid.setInterpolationLinearVelocity(btVector3(0, 0, 0));
        rigid.setInterpolationAngularVelocity(btVector3(0, 0, 0));
        rigid.clearForces();
        rigid.setHitFraction(1.0f);
        if (rigid.getActivationState() != DISABLE_DEACTIVATION) {
            rigid.forceActivationState(ACTIVE_TAG);
        }
        rigid.setDeactivationTime(0);
        simulation.addRigidBody(&rigid, collisionGroups::dynamicSolid, collisionGroups::dynamicSolidMask);
        if (state->transform != nullptr) {
            state->transform->setGlobalPosition(toGlm(state->pose.getOrigin()));
            state->transform->setGlobalRotation(toGlm(state->pose.getRotation()));
        }
    }
    // Shape objects are made anew, in the new world, as when the shape was set.
    for (const auto& shape : shapes) {
        placeShapeObject(*shape);
    }
}

void RigidBody::createRigidBody() {
    state->compound = std::make_unique<btCompoundShape>();
    btRigidBody::btRigidBodyConstructionInfo info(1.0f, nullptr, state->compound.get(), btVector3(1, 1, 1));
    info.m_startWorldTransform = state->pose;
    info.m_linearDamping = bulletDamping(state->linearDamping);
    info.m_angularDamping = bulletDamping(state->angularDamping);
    info.m_linearSleepingThreshold = sleepLinearSpeed;
    info.m_angularSleepingThreshold = sleepAngularSpeed;
    state->rigidBody = std::make_unique<btRigidBody>(info);
    btRigidBody& rigid = *state->rigidBody;
    rigid.setUserPointer(state.get());
    rigid.setCollisionFlags(rigid.getCollisionFlags() | btCollisionObject::CF_CUSTOM_MATERIAL_CALLBACK);
    if (btDiscreteDynamicsWorld* simulation = simulationOf(*state)) {
        simulation->addRigidBody(&rigid, collisionGroups::dynamicSolid, collisionGroups::dynamicSolidMask);
    }
}

CollisionShape* RigidBody::addCollisionShape() {
    shapes.push_back(std::make_unique<CollisionShape>(systems, this));
    return shapes.back().get();
}

bool RigidBody::isDynamic() const {
    return state->dynamic;
}

PhysicsWorld* RigidBody::getWorld() const {
    return state->world;
}

glm::vec3 RigidBody::getGlobalPosition() const {
    return toGlm(state->dynamic ? state->dynamicPose().getOrigin() : state->pose.getOrigin());
}

glm::quat RigidBody::getGlobalRotation() const {
    return toGlm(state->dynamic ? state->dynamicPose().getRotation() : state->pose.getRotation());
}

void RigidBody::shapeChanged(CollisionShape& shape, ShapeState* previous) {
    btDiscreteDynamicsWorld* simulation = simulationOf(*state);
    ShapeState& old = previous != nullptr ? *previous : *shape.state;
    if (old.object != nullptr) {
        if (simulation != nullptr) {
            simulation->removeCollisionObject(old.object.get());
        }
        old.object.reset();
    }
    if (state->dynamic) {
        rebuildCompound();
    }
    placeShapeObject(shape);
}

void RigidBody::rebuildCompound() {
    btCompoundShape& compound = *state->compound;
    while (compound.getNumChildShapes() > 0) {
        compound.removeChildShapeByIndex(compound.getNumChildShapes() - 1);
    }
    const btTransform offset(btQuaternion::getIdentity(), -state->centerOfMass);
    for (const auto& shape : shapes) {
        if (!shape->isTrigger() && shape->state->geometry != nullptr) {
            compound.addChildShape(offset, shape->state->geometry.get());
        }
    }
    state->rigidBody->activate(true);
    if (btDiscreteDynamicsWorld* simulation = simulationOf(*state)) {
        simulation->updateSingleAabb(state->rigidBody.get());
    }
}

// Shapes of static bodies, and triggers of dynamic ones, are collision objects of their own.
void RigidBody::placeShapeObject(CollisionShape& shape) {
    ShapeState& shapeState = *shape.state;
    btDiscreteDynamicsWorld* simulation = simulationOf(*state);
    if ((state->dynamic && !shape.isTrigger()) || shapeState.geometry == nullptr || simulation == nullptr) {
        return;
    }
    auto object = std::make_unique<btCollisionObject>();
    object->setCollisionShape(shapeState.geometry.get());
    object->setWorldTransform(state->dynamic ? state->dynamicPose() : state->pose);
    object->setUserPointer(state.get());
    int flags = object->getCollisionFlags();
    flags |= shape.isTrigger() ? btCollisionObject::CF_NO_CONTACT_RESPONSE
                               : btCollisionObject::CF_CUSTOM_MATERIAL_CALLBACK;
    // A moving body's trigger is carried along each step, like a kinematic object.
    flags |= state->dynamic ? btCollisionObject::CF_KINEMATIC_OBJECT : btCollisionObject::CF_STATIC_OBJECT;
    object->setCollisionFlags(flags);
    // Static objects rest, so that pairs with sleeping bodies cost nothing.
    object->setActivationState(state->dynamic ? DISABLE_DEACTIVATION : ISLAND_SLEEPING);
    int group = collisionGroups::staticSolid;
    int mask = collisionGroups::staticSolidMask;
    if (shape.isTrigger()) {
        group = collisionGroups::trigger;
        mask = state->dynamic ? collisionGroups::dynamicTriggerMask : collisionGroups::staticTriggerMask;
    }
    simulation->addCollisionObject(object.get(), group, mask);
    shapeState.object = std::move(object);
}

void RigidBody::placeShapeObjects() {
    const btTransform pose = state->dynamic ? state->dynamicPose() : state->pose;
    for (const auto& shape : shapes) {
        if (shape->state->object != nullptr) {
            shape->state->object->setWorldTransform(pose);
        }
    }
}
