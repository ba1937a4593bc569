// The race scene's menu and developer keys.
#include "game/GameMenu.h"

#include "core/render/Graphics.h"
#include "core/render/Renderer.h"
#include "core/render/View.h"
#include "core/runtime/Engine.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Input.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/runtime/SystemRegistry.h"
#include "core/runtime/Transform.h"
#include "core/ui/Text.h"
#include "core/ui/UI.h"
#include "game/Car.h"
#include "game/Gameplay.h"
#include "game/UiFactory.h"
#include "game/UiLayers.h"

#include <GLFW/glfw3.h>

namespace {

constexpr int keyComma = 44;
constexpr int keyFullStop = 46;

constexpr float margin = 0.02f;
// The statistics sit below player 1's lap count, one line apart.
constexpr float statsTop = 0.1f;
constexpr float lineSpacing = 0.045f;

Text* addOverlayText(Scene& scene, const std::string& name, const glm::vec2& position, Anchor anchor) {
    return addTextEntity(scene, name, "", {position, GameMenu::textHeight, anchor}, glm::vec4(1.0f),
                         uiLayer::debug);
}

void setText(Text* text, const std::string& value) {
    if (text != nullptr) {
        text->text = value;
        text->changed = true;
    }
}

void toggleEnabled(Component* component) {
    if (component != nullptr) {
        component->setEnabled(!component->isEnabled());
    }
}

void setActive(Entity* entity, bool active) {
    if (entity != nullptr) {
        entity->active = active;
    }
}

// Flips a renderer switch and names its new state ("normals on").
std::string flip(bool& flag, const std::string& name) {
    flag = !flag;
    return name + (flag ? " on" : " off");
}

} // namespace

GameMenu::GameMenu(SystemRegistry* systems, Entity* entity)
    : Updateable(systems, entity), input(systems->get<Input>()) {}

void GameMenu::createOverlay() {
    Scene& scene = *entity->scene;
    fpsText = addOverlayText(scene, "fpsText", {margin, statsTop}, Anchor::TopLeft);
    culledText = addOverlayText(scene, "culledText", {margin, statsTop + lineSpacing}, Anchor::TopLeft);
    drawCallsText =
        addOverlayText(scene, "drawCallsText", {margin, statsTop + 2.0f * lineSpacing}, Anchor::TopLeft);
    for (Text* text : {fpsText, culledText, drawCallsText}) {
        text->setEnabled(false);
    }
    refreshStatistics();
    // Bottom middle, clear of both players' lap, speed and boost displays.
    statusText = addOverlayText(scene, "statusText", {0.5f, 1.0f - margin}, Anchor::Bottom);
}

bool GameMenu::pressed(int key) const {
    return input != nullptr && input->getKey(key) == KeyState::Pressed;
}

void GameMenu::update(float dt) {
    Updateable::update(dt);
    if (pressed(GLFW_KEY_F2)) {
        toggleStatistics();
    }
    statsTimer += dt;
    if (statsTimer > statsInterval) {
        statsTimer -= statsInterval;
        refreshStatistics();
    }
    handleDeveloperKeys();
    handleRaceKeys();
}

void GameMenu::handleDeveloperKeys() {
    auto* renderer = systems->get<Renderer>();
    auto* ui = systems->get<UI>();
    if (renderer != nullptr && pressed(GLFW_KEY_F3)) {
        renderer->wireframe = !renderer->wireframe;
    }
    struct Switch {
        int key;
        bool* flag;
        const char* name;
    };
    const Switch switches[] = {
        {GLFW_KEY_F4, renderer != nullptr ? &renderer->normalsEnabled : nullptr, "normals"},
        {GLFW_KEY_F5, renderer != nullptr ? &renderer->lightmapsEnabled : nullptr, "lightmaps"},
        {GLFW_KEY_F6, renderer != nullptr ? &renderer->shadowsEnabled : nullptr, "shadows"},
        {GLFW_KEY_F7, ui != nullptr ? &ui->enabled : nullptr, "UI"},
        {GLFW_KEY_F8, renderer != nullptr ? &renderer->cullingEnabled : nullptr, "culling"},
    };
    for (const Switch& item : switches) {
        if (item.flag != nullptr && pressed(item.key)) {
            showStatus(flip(*item.flag, item.name));
        }
    }
    if (renderer != nullptr) {
        // On top of the main loop's own handling of these keys.
        if (pressed(keyComma)) {
            renderer->brightness -= brightnessStep;
        }
        if (pressed(keyFullStop)) {
            renderer->brightness += brightnessStep;
        }
    }
    if (renderer != nullptr && pressed(GLFW_KEY_F9)) {
        renderer->setQuality(nextRenderQuality(renderer->getQuality()));
        showStatus(std::string("quality ") + renderQualityName(renderer->getQuality()));
    }
    if (pressed(GLFW_KEY_F10)) {
        switchCamera();
    }
}

void GameMenu::handleRaceKeys() {
    if (pressed(GLFW_KEY_Q)) {
        backToTitle();
    }
    if (paused && pressed(GLFW_KEY_SPACE)) {
        restartRace();
    }
    if (pressed(GLFW_KEY_P) || pressed(GLFW_KEY_F1) || pressed(GLFW_KEY_ESCAPE)) {
        setPaused(!paused);
    }
}

void GameMenu::toggleStatistics() {
    toggleEnabled(fpsText);
    toggleEnabled(culledText);
    toggleEnabled(drawCallsText);
}

void GameMenu::refreshStatistics() {
    const auto* engine = systems->get<Engine>();
    const auto* graphics = systems->get<Graphics>();
    const auto* renderer = systems->get<Renderer>();
    uint32_t culled = 0;
    if (renderer != nullptr) {
        // Split screen has two views: the overlay counts what both left out.
        for (const auto& view : renderer->getViews()) {
            culled += view->culled;
        }
    }
    const uint32_t drawCalls = graphics != nullptr ? graphics->drawCalls : 0;
    const uint32_t triangles = graphics != nullptr ? graphics->triangles : 0;
    setText(fpsText, "FPS " + std::to_string(engine != nullptr ? engine->fps : 0));
    setText(culledText, std::to_string(culled) + " culled");
    setText(drawCallsText,
            std::to_string(drawCalls) + " draw calls, " + std::to_string(triangles) + " triangles");
}

void GameMenu::showStatus(const std::string& message) {
    setText(statusText, message);
    statusNumber += 1;
    const unsigned shown = statusNumber;
    invoke(
        [this, shown] {
            if (shown == statusNumber) {
                setText(statusText, "");
            }
        },
        statusDuration);
}

void GameMenu::setPaused(bool value) {
    paused = value;
    entity->scene->timeScale = paused ? 0.0f : 1.0f;
    setActive(helpScreen, paused);
}

void GameMenu::switchCamera() {
    Scene& scene = *entity->scene;
    Entity* debugCamera = scene.findEntity("debugController");
    if (debugCamera == nullptr) {
        return;
    }
    Entity* cam0 = scene.findEntity("cam0");
    Entity* cam1 = scene.findEntity("cam1");
    if (!debugCamera->active) {
        auto* flying = debugCamera->getComponent<Transform>();
        auto* player = cam0 != nullptr ? cam0->getComponent<Transform>() : nullptr;
        if (flying != nullptr && player != nullptr) {
            // Take off from player 1's view rather than from wherever the last flight ended.
            flying->setPosition(player->getWorldPosition());
            flying->setRotation(player->getGlobalRotation());
        }
        debugCamera->active = true;
        setActive(cam0, false);
        setActive(cam1, false);
        setControls(false);
    } else {
        debugCamera->active = false;
        setActive(cam0, true);
        setActive(cam1, true);
        setControls(true);
    }
}

void GameMenu::setControls(bool enabled) const {
    for (Component* component : entity->scene->getComponents()) {
        if (auto* car = dynamic_cast<Car*>(component)) {
            car->controlsEnabled = enabled;
        }
    }
}

void GameMenu::backToTitle() {
    auto* scenes = systems->get<SceneManager>();
    Scene* title = scenes != nullptr ? scenes->getScene("menu") : nullptr;
    if (title == nullptr) {
        return;
    }
    setPaused(false);
    scenes->setScene(title);
}

void GameMenu::restartRace() {
    Entity* holder = entity->scene->findEntity("gameplay");
    Gameplay* gameplay = holder != nullptr ? holder->getComponent<Gameplay>() : nullptr;
    // The race's start leaves the pause screen itself.
    if (gameplay != nullptr) {
        gameplay->startRace();
    }
}
