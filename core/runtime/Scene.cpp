// Scene hooks, slow motion and deferred destruction.
#include "core/runtime/Scene.h"

#include "core/physics/PhysicsWorld.h"
#include "core/platform/Log.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Updateable.h"

#include <algorithm>

namespace {
// The fixed step only runs scaled once this much scaled time has been banked.
constexpr float slowMotionThreshold = 1.0f / 30.0f;
} // namespace

Scene::Scene(std::string name, SystemRegistry* systems)
    : name(std::move(name)), systems(systems), physicsWorld(std::make_unique<PhysicsWorld>(systems, this)) {
    // Entities that go on a timer (a countdown's digits) then go without allocating.
    dueScratch.reserve(16);
}

Scene::~Scene() {
    // Entities first: their bodies still need the world to leave it.
    while (!entities.empty()) {
        entities.pop_back();
    }
    physicsWorld.reset();
}

Entity* Scene::createEntity(const std::string& entityName) {
    entityCounter += 1;
    const std::string finalName = entityName.empty() ? "Entity" + std::to_string(entityCounter) : entityName;
    entities.push_back(std::make_unique<Entity>(finalName, systems, this));
    return entities.back().get();
}

Entity* Scene::findEntity(const std::string& entityName) const {
    for (const auto& entity : entities) {
        if (entity->name == entityName) {
            return entity.get();
        }
    }
    return nullptr;
}

void Scene::destroyEntity(Entity* entity, float delay) {
    logInfo("Destroy entity: ", entity->name);
    pendingDestroy.emplace_back(entity, delay);
}

void Scene::setRunning(bool value) {
    if (value == running) {
        return;
    }
    running = value;
    const std::vector<Component*> snapshot = components;
    for (Component* component : snapshot) {
        if (component != nullptr) {
            component->onSceneActive(value);
        }
    }
}

std::vector<Updateable*> Scene::activeUpdateables() const {
    std::vector<Updateable*> result;
    collectUpdateables(result);
    return result;
}

void Scene::collectUpdateables(std::vector<Updateable*>& result) const {
    result.clear();
    for (Component* component : components) {
        auto* updateable = dynamic_cast<Updateable*>(component);
        if (updateable != nullptr && updateable->isEnabled() && updateable->entity != nullptr &&
            updateable->entity->active) {
            result.push_back(updateable);
        }
    }
}

template <typename Hook> void Scene::forEachUpdateable(Hook hook) {
    // The kept list spares a steady frame its allocation; a pass started from
    // inside another (rare) walks a copy of its own.
    if (walkingUpdateables) {
        for (Updateable* updateable : activeUpdateables()) {
            hook(*updateable);
        }
        return;
    }
    walkingUpdateables = true;
    collectUpdateables(updateableScratch);
    for (Updateable* updateable : updateableScratch) {
        hook(*updateable);
    }
    walkingUpdateables = false;
}

void Scene::earlyUpdate(float dt) {
    if (!running) {
        return;
    }
    const float scaled = dt * timeScale;
    forEachUpdateable([scaled](Updateable& updateable) { updateable.earlyUpdate(scaled); });
}

void Scene::fixedUpdate(float step) {
    if (!running) {
        return;
    }
    if (timeScale < 0.99999988f || timeScale > 1.0000001f) {
        step *= timeScale;
        slowMotionBank += step;
        if (slowMotionBank < slowMotionThreshold) {
            return;
        }
        slowMotionBank -= step;
    }
    forEachUpdateable([step](Updateable& updateable) { updateable.fixedUpdate(step); });
    physicsWorld->step(step);
    // Timers made in this step (by a component or a trigger) count from the next
    // one, not from the next frame's: a replay of the same steps in other frames
    // fires them on the same step.
    forEachUpdateable([](Updateable& updateable) { updateable.startPendingTimers(); });
}

// All records age first; then every entity that is due goes, with all of its
// records, so one entity's several records never make the walk skip another's.
void Scene::destroyPending(float dt) {
    std::vector<Entity*>& due = dueScratch;
    due.clear();
    for (auto& [entity, remaining] : pendingDestroy) {
        remaining -= dt;
        if (remaining <= 0.0f && std::find(due.begin(), due.end(), entity) == due.end()) {
            due.push_back(entity);
        }
    }
    if (due.empty()) {
        return;
    }
    pendingDestroy.erase(std::remove_if(pendingDestroy.begin(), pendingDestroy.end(),
                                        [&due](const auto& record) {
                                            return std::find(due.begin(), due.end(), record.first) !=
                                                   due.end();
                                        }),
                         pendingDestroy.end());
    for (Entity* dying : due) {
        const auto it = std::find_if(entities.begin(), entities.end(),
                                     [dying](const std::unique_ptr<Entity>& e) { return e.get() == dying; });
        if (it != entities.end()) {
            entities.erase(it);
        }
    }
}

void Scene::update(float dt) {
    if (!running) {
        return;
    }
    destroyPending(dt);
    time += dt * timeScale;
    const float scaled = dt * timeScale;
    forEachUpdateable([scaled](Updateable& updateable) { updateable.update(scaled); });
}

void Scene::lateUpdate(float dt) {
    if (!running) {
        return;
    }
    const float scaled = dt * timeScale;
    forEachUpdateable([scaled](Updateable& updateable) { updateable.lateUpdate(scaled); });
}

void Scene::registerComponent(Component* component) {
    components.push_back(component);
}

void Scene::unregisterComponent(Component* component) {
    const auto it = std::find(components.begin(), components.end(), component);
    if (it != components.end()) {
        components.erase(it);
    }
}
