// Owns every scene by name and drives the current one. Scene switches are either
// immediate (setScene) or go through a short transition with a screen overlay.
#pragma once

#include "core/runtime/System.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class Entity;
class Scene;

class SceneManager : public System {
public:
    explicit SceneManager(SystemRegistry* systems);
    ~SceneManager() override;

    // Replaces any scene of that name; the first scene made becomes current and runs.
    // A replaced current (or pending) scene hands that place to the new one.
    Scene* createScene(const std::string& name);
    Scene* getScene(const std::string& name) const;
    void setScene(Scene* scene);

    // Switches to scene behind the transition overlay on the next transition step.
    void fadeTo(Scene* scene);
    void update(float dt);

    Scene* current = nullptr;
    Scene* pendingScene = nullptr;
    bool transitioning = false;
    float transitionStart = 0.0f;
    float transitionDuration = 0.5f;

private:
    // The scene's full-screen "SceneManagerOverlay" entity, created inactive when missing.
    Entity* overlay(Scene& scene);
    void showOverlay(Scene& scene);

    std::unordered_map<std::string, std::unique_ptr<Scene>> scenes;
    // Scenes replaced by name this frame: the frame may still be running inside
    // one, so they are destroyed at the next update.
    std::vector<std::unique_ptr<Scene>> replaced;
};
