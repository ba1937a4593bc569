// Title screen flow.
#include "game/Menu.h"

#include "core/platform/Log.h"
#include "core/render/Renderer.h"
#include "core/resources/ResourceLoader.h"
#include "core/runtime/Engine.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Input.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/runtime/SystemRegistry.h"
#include "core/ui/Text.h"
#include "game/GameMenu.h"
#include "game/Gameplay.h"
#include "game/RaceScene.h"

#include <GLFW/glfw3.h>

namespace {

constexpr int keyComma = 44;
constexpr int keyFullStop = 46;
constexpr float brightnessStep = 0.1f;

} // namespace

Menu::Menu(SystemRegistry* systems, Entity* entity, Text* loadingText)
    : Updateable(systems, entity), loadingText(loadingText) {}

void Menu::handleBrightnessKeys() const {
    auto* input = systems->get<Input>();
    auto* renderer = systems->get<Renderer>();
    if (input == nullptr || renderer == nullptr) {
        return;
    }
    if (input->getKey(keyComma) == KeyState::Pressed) {
        renderer->brightness -= brightnessStep;
    }
    if (input->getKey(keyFullStop) == KeyState::Pressed) {
        renderer->brightness += brightnessStep;
    }
}

void Menu::showBrightness() {
    const auto* renderer = systems->get<Renderer>();
    if (renderer == nullptr || brightnessText == nullptr || renderer->brightness == shownBrightness) {
        return;
    }
    const bool first = shownBrightness < 0.0f;
    shownBrightness = renderer->brightness;
    if (first) {
        return;
    }
    brightnessText->text = GameMenu::brightnessLabel(shownBrightness);
    brightnessText->changed = true;
    const unsigned showing = ++brightnessShowing;
    invoke(
        [this, showing] {
            if (showing == brightnessShowing) {
                brightnessText->text.clear();
                brightnessText->changed = true;
            }
        },
        GameMenu::statusDuration);
}

void Menu::update(float dt) {
    Updateable::update(dt);
    handleBrightnessKeys();
    showBrightness();
    auto* input = systems->get<Input>();
    switch (state) {
    case created:
        state = loading;
        invoke([this] { load(); }, 0.0f);
        break;
    case ready:
    case failed:
        // The loading ran in this frame's physics step: a key that went down while
        // the player still saw "Loading..." is not an answer to the new prompt.
        if (justLoaded) {
            justLoaded = false;
            break;
        }
        if (input->getKey(GLFW_KEY_ESCAPE) == KeyState::Pressed ||
            input->getKey(GLFW_KEY_Q) == KeyState::Pressed) {
            systems->get<Engine>()->quit = true;
        } else if (state == ready && input->getKey(GLFW_KEY_SPACE) == KeyState::Pressed) {
            enterRace();
        }
        break;
    default:
        break;
    }
}

void Menu::setMessage(const std::string& message) {
    if (loadingText != nullptr) {
        loadingText->text = message;
        loadingText->changed = true;
    }
}

void Menu::load() {
    auto* sceneManager = systems->get<SceneManager>();
    Scene* scene = sceneManager->createScene("game");
    systems->get<ResourceLoader>()->importScene(*scene, raceTrackPath);
    raceScene = scene;
    if (scene->getEntities().empty()) {
        logError("Race scene: the track \"", raceTrackPath, "\" could not be loaded");
    } else if (buildRaceScene(*scene)) {
        setMessage("Press Space to start");
        state = ready;
        justLoaded = true;
        return;
    }
    setMessage("The race cannot start - press Q to quit");
    state = failed;
    justLoaded = true;
}

void Menu::enterRace() {
    systems->get<SceneManager>()->setScene(raceScene);
    Entity* gameplayEntity = raceScene->findEntity("gameplay");
    if (auto* gameplay = gameplayEntity != nullptr ? gameplayEntity->getComponent<Gameplay>() : nullptr) {
        gameplay->startRace();
    }
}
