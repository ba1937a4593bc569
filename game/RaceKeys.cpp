// The race scene's menu and developer keys.
#include "game/RaceKeys.h"

#include "core/render/Graphics.h"
#include "core/render/Renderer.h"
#include "core/render/View.h"
#include "core/runtime/Engine.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Input.h"
#include "core/runtime/Keys.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/runtime/SystemRegistry.h"
#include "core/runtime/Transform.h"
#include "core/ui/Text.h"
#include "core/ui/UI.h"
#include "core/ui/UITex.h"
#include "game/Car.h"
#include "game/GameAssets.h"
#include "game/HelpKeys.h"
#include "game/RaceFlow.h"
#include "game/UiFactory.h"
#include "game/UiLayers.h"

#include <cmath>

namespace {

constexpr float margin = 0.02f;
// The statistics sit below player 1's lap count, one line apart.
constexpr float statsTop = 0.1f;
constexpr float lineSpacing = 0.045f;

Text* addOverlayText(Scene& scene, const std::string& name, const glm::vec2& position, Anchor anchor) {
    return addTextEntity(scene, name, "", {position, RaceKeys::textHeight, anchor}, glm::vec4(1.0f),
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

RaceKeys::RaceKeys(SystemRegistry* systems, Entity* entity)
    : Updateable(systems, entity), input(systems->get<Input>()) {}

void RaceKeys::createOverlay() {
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

bool RaceKeys::pressed(int key) const {
    return input != nullptr && input->getKey(key) == KeyState::Pressed;
}

std::string RaceKeys::brightnessLabel(float brightness) {
    return "Brightness " + std::to_string(std::lround(brightness * 100.0f)) + "%";
}

void RaceKeys::update(float dt) {
    Updateable::update(dt);
    if (pressed(key::f2)) {
        toggleStatistics();
    }
    statsTimer += dt;
    if (statsTimer > statsInterval) {
        statsTimer -= statsInterval;
        // Hidden figures are not worth their strings: a race frame allocates nothing.
        if (fpsText != nullptr && fpsText->isEnabled()) {
            refreshStatistics();
        }
    }
    handleDeveloperKeys();
    handleRaceKeys();
}

void RaceKeys::handleDeveloperKeys() {
    auto* renderer = systems->get<Renderer>();
    auto* ui = systems->get<UI>();
    if (renderer != nullptr && pressed(key::f3)) {
        renderer->wireframe = !renderer->wireframe;
    }
    struct Switch {
        int key;
        bool* flag;
        const char* name;
    };
    const Switch switches[] = {
        {key::f4, renderer != nullptr ? &renderer->normalsEnabled : nullptr, "normals"},
        {key::f5, renderer != nullptr ? &renderer->lightmapsEnabled : nullptr, "lightmaps"},
        {key::f6, renderer != nullptr ? &renderer->shadowsEnabled : nullptr, "shadows"},
        {key::f7, ui != nullptr ? &ui->enabled : nullptr, "UI"},
        {key::f8, renderer != nullptr ? &renderer->cullingEnabled : nullptr, "culling"},
    };
    for (const Switch& item : switches) {
        if (item.flag != nullptr && pressed(item.key)) {
            showStatus(flip(*item.flag, item.name));
        }
    }
    if (renderer != nullptr) {
        // On top of the main loop's own handling of these keys.
        if (pressed(key::comma)) {
            renderer->brightness -= brightnessStep;
        }
        if (pressed(key::period)) {
            renderer->brightness += brightnessStep;
        }
        // Whichever handler changed it (the main loop's or the ones above), the
        // player sees the new level.
        if (renderer->brightness != shownBrightness) {
            if (shownBrightness >= 0.0f) {
                showStatus(brightnessLabel(renderer->brightness));
            }
            shownBrightness = renderer->brightness;
        }
    }
    if (renderer != nullptr && pressed(key::f9)) {
        renderer->setQuality(nextRenderQuality(renderer->getQuality()));
        showStatus(std::string("quality ") + renderQualityName(renderer->getQuality()));
    }
    if (pressed(key::f10)) {
        switchCamera();
    }
}

void RaceKeys::handleRaceKeys() {
    // On a pad: Start pauses and resumes; on the pause screen A restarts, B
    // resumes and Back leaves for the title; on the end screen A or Start race
    // again and Back leaves.
    const bool raceOver = race != nullptr && race->state == RaceFlow::raceOver;
    if (pressed(key::q) || ((paused || raceOver) && padPressed(pad::back))) {
        backToTitle();
    }
    const bool padRestart = raceOver && !paused && (padPressed(pad::a) || padPressed(pad::start));
    if (padRestart || (paused && (pressed(key::space) || padPressed(pad::a)))) {
        restartRace();
    }
    if (pressed(key::p) || pressed(key::f1) || pressed(key::escape) ||
        (padPressed(pad::start) && !padRestart) || (paused && padPressed(pad::b))) {
        setPaused(!paused);
    }
}

bool RaceKeys::padPressed(int button) const {
    return input != nullptr && input->anyGamepadButtonPressed(button);
}

void RaceKeys::toggleStatistics() {
    toggleEnabled(fpsText);
    toggleEnabled(culledText);
    toggleEnabled(drawCallsText);
    refreshStatistics();
}

void RaceKeys::refreshStatistics() {
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

void RaceKeys::showStatus(const std::string& message) {
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

void RaceKeys::setPaused(bool value) {
    paused = value;
    entity->scene->timeScale = paused ? 0.0f : 1.0f;
    setActive(helpScreen, paused);
    if (auto* picture = helpScreen != nullptr ? helpScreen->getComponent<UITex>() : nullptr) {
        showOccasionalPicture(*picture, racePicture::helpScreen, paused);
    }
    if (helpKeys != nullptr) {
        helpKeys->show(paused);
    }
}

void RaceKeys::switchCamera() {
    Entity* debugCamera = freeCamera;
    if (debugCamera == nullptr) {
        return;
    }
    Entity* cam0 = playerCameras.empty() ? nullptr : playerCameras.front();
    if (!debugCamera->active) {
        auto* flying = debugCamera->getComponent<Transform>();
        auto* player = cam0 != nullptr ? cam0->getComponent<Transform>() : nullptr;
        if (flying != nullptr && player != nullptr) {
            // Take off from player 1's view rather than from wherever the last flight ended.
            flying->setPosition(player->getWorldPosition());
            flying->setRotation(player->getGlobalRotation());
        }
        debugCamera->active = true;
        for (Entity* camera : playerCameras) {
            setActive(camera, false);
        }
        setControls(false);
    } else {
        debugCamera->active = false;
        for (Entity* camera : playerCameras) {
            setActive(camera, true);
        }
        setControls(true);
    }
}

void RaceKeys::setControls(bool enabled) const {
    for (Component* component : entity->scene->getComponents()) {
        if (auto* car = dynamic_cast<Car*>(component)) {
            car->controlsEnabled = enabled;
        }
    }
}

void RaceKeys::backToTitle() {
    auto* scenes = systems->get<SceneManager>();
    Scene* title = scenes != nullptr ? scenes->getScene("menu") : nullptr;
    if (title == nullptr) {
        return;
    }
    setPaused(false);
    scenes->setScene(title);
}

void RaceKeys::restartRace() {
    // The race's start leaves the pause screen itself.
    if (race != nullptr) {
        race->startRace();
    }
}
