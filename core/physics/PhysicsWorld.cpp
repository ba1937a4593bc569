// Per-scene simulation.
#include "core/physics/PhysicsWorld.h"

PhysicsWorld::PhysicsWorld(SystemRegistry* systems, Scene* scene) : systems(systems), scene(scene) {}

PhysicsWorld::~PhysicsWorld() = default;

void PhysicsWorld::step(float) {}
