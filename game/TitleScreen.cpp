// Title screen flow.
#include "game/TitleScreen.h"

#include "core/audio/AudioSource.h"
#include "core/platform/Log.h"
#include "core/platform/Memory.h"
#include "core/render/Renderer.h"
#include "core/resources/Mesh.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/ResourceLoader.h"
#include "core/runtime/Engine.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Input.h"
#include "core/runtime/Keys.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/runtime/SystemRegistry.h"
#include "core/ui/Text.h"
#include "core/ui/UITex.h"
#include "game/GameAssets.h"
#include "game/RaceFlow.h"
#include "game/RaceKeys.h"
#include "game/RaceScene.h"
#include "game/RaceSettings.h"

TitleScreen::TitleScreen(SystemRegistry* systems, Entity* entity, Text* loadingText)
    : Updateable(systems, entity), loadingText(loadingText) {}

void TitleScreen::handleBrightnessKeys() const {
    auto* input = systems->get<Input>();
    auto* renderer = systems->get<Renderer>();
    if (input == nullptr || renderer == nullptr) {
        return;
    }
    if (input->getKey(key::comma) == KeyState::Pressed) {
        renderer->brightness -= RaceKeys::brightnessStep;
    }
    if (input->getKey(key::period) == KeyState::Pressed) {
        renderer->brightness += RaceKeys::brightnessStep;
    }
}

void TitleScreen::showBrightness() {
    const auto* renderer = systems->get<Renderer>();
    if (renderer == nullptr || brightnessText == nullptr || renderer->brightness == shownBrightness) {
        return;
    }
    const bool first = shownBrightness < 0.0f;
    shownBrightness = renderer->brightness;
    if (first) {
        return;
    }
    brightnessText->text = RaceKeys::brightnessLabel(shownBrightness);
    brightnessText->changed = true;
    const unsigned showing = ++brightnessShowing;
    invoke(
        [this, showing] {
            if (showing == brightnessShowing) {
                brightnessText->text.clear();
                brightnessText->changed = true;
            }
        },
        RaceKeys::statusDuration);
}

void TitleScreen::update(float dt) {
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
        // A pad's Back quits, its A or Start races.
        if (input->getKey(key::escape) == KeyState::Pressed || input->getKey(key::q) == KeyState::Pressed ||
            input->anyGamepadButtonPressed(pad::back)) {
            systems->get<Engine>()->quit = true;
        } else if (state == ready &&
                   (input->getKey(key::space) == KeyState::Pressed ||
                    input->anyGamepadButtonPressed(pad::a) || input->anyGamepadButtonPressed(pad::start))) {
            enterRace();
        } else if (catalog.tracks().size() > 1 && (input->getKey(key::left) == KeyState::Pressed ||
                                                   input->anyGamepadButtonPressed(pad::dpadLeft))) {
            changeTrack(-1);
        } else if (catalog.tracks().size() > 1 && (input->getKey(key::right) == KeyState::Pressed ||
                                                   input->anyGamepadButtonPressed(pad::dpadRight))) {
            changeTrack(1);
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

void TitleScreen::chooseTrack(const std::string& file) {
    chosenTrack = file;
}

void TitleScreen::showTrack() {
    const TrackInfo track = catalog.find(chosenTrack);
    if (trackText != nullptr) {
        trackText->text = "< " + track.name + " >";
        trackText->changed = true;
    }
    if (trackPreview != nullptr && !track.preview.empty()) {
        trackPreview->texture = cachedTexture(systems, "preview:" + track.file, track.preview);
    }
}

void TitleScreen::changeTrack(int step) {
    const std::vector<TrackInfo>& tracks = catalog.tracks();
    const auto count = static_cast<long>(tracks.size());
    long index = step > 0 ? 0 : count - 1;
    for (long i = 0; i < count; ++i) {
        if (tracks[static_cast<size_t>(i)].file == chosenTrack) {
            index = (i + step + count) % count;
        }
    }
    chosenTrack = tracks[static_cast<size_t>(index)].file;
    RaceSettings::saveTrack(configPath, chosenTrack);
    showTrack();
    // The next frame draws "Loading..." and the one after loads the new track.
    setMessage("Loading...");
    state = created;
}

void TitleScreen::load() {
    if (music != nullptr && music->sound == nullptr) {
        music->sound = cachedSound(systems, "bg", "sounds/ZVB_Menu_Music.wav", false);
        music->play();
    }
    auto* sceneManager = systems->get<SceneManager>();
    Scene* scene = sceneManager->createScene("game");
    const std::string file = trackFile();
    // Before the import, which keeps a material the game registered under the file's name.
    registerWaterMaterial(systems);
    systems->get<ResourceLoader>()->importScene(*scene, file);
    raceScene = scene;
    if (scene->getEntities().empty()) {
        logError("Race scene: the track \"", file, "\" could not be loaded");
    } else if ((race = buildRaceScene(*scene, catalog.find(file), controls.players)) != nullptr) {
        // Compiling now spares the first frames of the race. The GL buffers hold
        // what only drawing reads, and the importer's buffers are gone by now:
        // their pages can go back to the system.
        if (auto* renderer = systems->get<Renderer>()) {
            renderer->precompile(*scene);
        }
        for (Mesh* mesh : systems->get<ResourceCache>()->getAll<Mesh>()) {
            mesh->releaseDrawOnlyData();
        }
        returnFreedMemory();
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
