// Scene ownership, switching and the transition step.
#include "core/runtime/SceneManager.h"

#include "core/resources/ResourceCache.h"
#include "core/resources/Texture2D.h"
#include "core/runtime/Engine.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/ui/Transform2D.h"
#include "core/ui/UITex.h"

#include <glm/glm.hpp>

#include <limits>

namespace {
const char* const overlayName = "SceneManagerOverlay";
// Opaque black: the first frame of the new scene, while its objects settle in, stays hidden.
const glm::vec4 overlayColor(0.0f, 0.0f, 0.0f, 1.0f);
} // namespace

SceneManager::SceneManager(SystemRegistry* systems) : System(systems) {}

SceneManager::~SceneManager() {
    current = nullptr;
    pendingScene = nullptr;
    replaced.clear();
    scenes.clear();
}

Scene* SceneManager::createScene(const std::string& name) {
    auto scene = std::make_unique<Scene>(name, systems);
    Scene* created = scene.get();
    auto& slot = scenes[name];
    if (slot != nullptr) {
        Scene* old = slot.get();
        replaced.push_back(std::move(slot));
        if (pendingScene == old) {
            pendingScene = created;
        }
        if (current == old) {
            old->setRunning(false);
            current = nullptr;
        }
    }
    slot = std::move(scene);
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
        showOverlay(*current);
    }
}

void SceneManager::showOverlay(Scene& scene) {
    Entity* entity = overlay(scene);
    if (auto* cover = entity->getComponent<UITex>()) {
        cover->color = overlayColor;
    }
    entity->active = true;
}

Entity* SceneManager::overlay(Scene& scene) {
    if (Entity* existing = scene.findEntity(overlayName)) {
        return existing;
    }
    Entity* entity = scene.createEntity(overlayName);
    entity->addComponent<Transform2D>()->setFullScreen();
    ResourceCache* cache = get<ResourceCache>();
    auto* cover = entity->addComponent<UITex>(cache != nullptr ? cache->get<Texture2D>("white") : nullptr);
    // Above every other element of the scene.
    cover->layer = std::numeric_limits<uint32_t>::max();
    entity->active = false;
    return entity;
}

void SceneManager::update(float dt) {
    replaced.clear();
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
            showOverlay(*current);
        } else {
            overlayEntity->active = false;
            transitioning = false;
        }
    }
}
