// Scene ownership, switching and the transition step.
#include "core/runtime/SceneManager.h"

#include "core/runtime/Engine.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"

namespace {
const char* const overlayName = "SceneManagerOverlay";
}

SceneManager::SceneManager(SystemRegistry* systems) : System(systems) {}

SceneManager::~SceneManager() {
    current = nullptr;
    pendingScene = nullptr;
    scenes.clear();
}

Scene* SceneManager::createScene(const std::string& name) {
    auto scene = std::make_unique<Scene>(name, systems);
    Scene* created = scene.get();
    scenes[name] = std::move(scene);
    if (current == nullptr) {
        current = created;
        created->setRunning(true);
    }
    return created;
}

Scene* SceneManager::getScene(const std::string& name) const {
    const auto it = scenes.find(name);
    return it == scenes.end() ? nullptr : it->second.get();
}

void SceneManager::setScene(Scene* scene) {
    if (current != nullptr) {
        current->setRunning(false);
    }
    scene->setRunning(true);
    current = scene;
}

void SceneManager::fadeTo(Scene* scene) {
    pendingScene = scene;
    transitioning = true;
    const Engine* engine = get<Engine>();
    transitionStart = engine != nullptr ? engine->time : 0.0f;
    if (current != nullptr) {
        overlay(*current)->active = true;
    }
}

Entity* SceneManager::overlay(Scene& scene) {
    if (Entity* existing = scene.findEntity(overlayName)) {
        return existing;
    }
    Entity* entity = scene.createEntity(overlayName);
    entity->active = false;
    return entity;
}

void SceneManager::update(float dt) {
    if (!transitioning || current == nullptr) {
        return;
    }
    const Engine* engine = get<Engine>();
    const float now = engine != nullptr ? engine->time : 0.0f;
    transitionStart += dt;
    Entity* overlayEntity = overlay(*current);
    if (transitionStart + transitionDuration >= now) {
        if (pendingScene != nullptr) {
            setScene(pendingScene);
            pendingScene = nullptr;
            transitionStart = now;
            overlay(*current)->active = true;
        } else {
            overlayEntity->active = false;
            transitioning = false;
        }
    }
}
