// Title screen flow.
#include "game/TitleScreen.h"

#include "core/platform/Log.h"
#include "core/render/Renderer.h"
#include "core/resources/ResourceLoader.h"
#include "core/runtime/Engine.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Input.h"
#include "core/runtime/Keys.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/runtime/SystemRegistry.h"
#include "core/ui/Text.h"
#include "game/RaceFlow.h"
#include "game/RaceScene.h"

namespace {

constexpr float brightnessStep = 0.1f;

} // namespace

TitleScreen::TitleScreen(SystemRegistry* systems, Entity* entity, Text* loadingText)
    : Updateable(systems, entity), loadingText(loadingText) {}

void TitleScreen::handleBrightnessKeys() const {
    auto* input = systems->get<Input>();
    auto* renderer = systems->get<Renderer>();
    if (input == nullptr || renderer == nullptr) {
        return;
    }
    if (input->getKey(key::comma) == KeyState::Pressed) {
        renderer->brightness -= brightnessStep;
    }
    if (input->getKey(key::period) == KeyState::Pressed) {
        renderer->brightness += brightnessStep;
    }
}

void TitleScreen::update(float dt) {
    Updateable::update(dt);
    handleBrightnessKeys();
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
        // A pad's Back quits, its A or Start races.
        if (input->getKey(key::escape) == KeyState::Pressed || input->getKey(key::q) == KeyState::Pressed ||
            input->anyGamepadButtonPressed(pad::back)) {
            systems->get<Engine>()->quit = true;
        } else if (state == ready &&
                   (input->getKey(key::space) == KeyState::Pressed ||
                    input->anyGamepadButtonPressed(pad::a) || input->anyGamepadButtonPressed(pad::start))) {
            enterRace();
        }
        break;
    default:
        break;
    }
}

void TitleScreen::setMessage(const std::string& message) {
    if (loadingText != nullptr) {
        loadingText->text = message;
        loadingText->changed = true;
    }
}

void TitleScreen::load() {
    auto* sceneManager = systems->get<SceneManager>();
    Scene* scene = sceneManager->createScene("game");
    systems->get<ResourceLoader>()->importScene(*scene, raceTrackPath);
    raceScene = scene;
    if (scene->getEntities().empty()) {
        logError("Race scene: the track \"", raceTrackPath, "\" could not be loaded");
    } else if ((race = buildRaceScene(*scene, controls.players)) != nullptr) {
        setMessage("Press Space to start");
        state = ready;
        justLoaded = true;
        return;
    }
    setMessage("The race cannot start - press Q to quit");
    state = failed;
    justLoaded = true;
}

void TitleScreen::enterRace() {
    systems->get<SceneManager>()->setScene(raceScene);
    if (race != nullptr) {
        race->startRace();
    }
}
