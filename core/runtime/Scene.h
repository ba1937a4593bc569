// A scene: its entities, its physics world and its running state. The engine
// drives the current scene's early update, fixed update, update and late update
// each frame.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

class Component;
class Entity;
class PhysicsWorld;
class SystemRegistry;
class Updateable;

class Scene {
public:
    Scene(std::string name, SystemRegistry* systems);
    ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    Entity* createEntity(const std::string& name = "");
    Entity* findEntity(const std::string& name) const;
    // Destruction is deferred to the scene update after delay seconds.
    void destroyEntity(Entity* entity, float delay = 0.0f);

    void setRunning(bool value);
    bool isRunning() const { return running; }

    // Once per frame before the fixed steps, with the scene's time scale applied.
    void earlyUpdate(float dt);
    void fixedUpdate(float step);
    void update(float dt);
    void lateUpdate(float dt);

    void registerComponent(Component* component);
    void unregisterComponent(Component* component);
    const std::vector<Component*>& getComponents() const { return components; }
    const std::vector<std::unique_ptr<Entity>>& getEntities() const { return entities; }
    PhysicsWorld* getPhysicsWorld() const { return physicsWorld.get(); }

    // The enabled updateables of active entities, in component order; hooks walk
    // this snapshot so that changes made by a hook take effect from the next one.
    std::vector<Updateable*> activeUpdateables() const;

    std::string name;
    bool axisCorrection = true;
    // Nodes a model import leaves out, with everything below them (the karts a
    // race has no places for): nothing of them is read.
    std::vector<std::string> leftOutNodes;
    SystemRegistry* const systems;
    float time = 0.0f;
    float timeScale = 1.0f;
    float slowMotionBank = 0.0f;
    int importDepth = -1;

private:
    void destroyPending(float dt);
    void collectUpdateables(std::vector<Updateable*>& result) const;
    // Calls hook for each of activeUpdateables() without allocating in a steady frame.
    template <typename Hook> void forEachUpdateable(Hook hook);

    bool running = false;
    std::vector<std::unique_ptr<Entity>> entities;
    int entityCounter = 0;
    std::vector<std::pair<Entity*, float>> pendingDestroy;
    std::vector<Entity*> dueScratch;
    std::vector<Component*> components;
    std::vector<Updateable*> updateableScratch;
    bool walkingUpdateables = false;
    std::unique_ptr<PhysicsWorld> physicsWorld;
};
