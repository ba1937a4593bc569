// One scene's physics world, stepped once per fixed update.
#pragma once

class Scene;
class SystemRegistry;

class PhysicsWorld {
public:
    PhysicsWorld(SystemRegistry* systems, Scene* scene);
    ~PhysicsWorld();
    PhysicsWorld(const PhysicsWorld&) = delete;
    PhysicsWorld& operator=(const PhysicsWorld&) = delete;

    // Simulates one step, dispatches contact and trigger events, writes poses back.
    void step(float dt);

    SystemRegistry* const systems;
    Scene* const scene;
};
