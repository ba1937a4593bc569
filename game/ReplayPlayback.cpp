// The replay scene and its keys.
#include "game/ReplayPlayback.h"

#include "core/platform/Log.h"
#include "core/render/Camera.h"
#include "core/resources/ResourceLoader.h"
#include "core/runtime/Engine.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Input.h"
#include "core/runtime/Keys.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/runtime/SystemRegistry.h"
#include "core/runtime/Transform.h"
#include "core/ui/Text.h"
#include "game/FollowCamera.h"
#include "game/GameAssets.h"
#include "game/RaceFlow.h"
#include "game/RaceKeys.h"
#include "game/RaceScene.h"
#include "game/ReplayDriver.h"
#include "game/ReplayFile.h"
#include "game/ReplayRecorder.h"
#include "game/TrackCatalog.h"
#include "game/UiFactory.h"
#include "game/UiLayers.h"

#include <algorithm>
#include <cstdio>

namespace {

const glm::vec4 lineColour{1.0f, 0.85f, 0.2f, 1.0f};

void showTitle(SystemRegistry* systems) {
    auto* scenes = systems->get<SceneManager>();
    if (Scene* title = scenes != nullptr ? scenes->getScene("menu") : nullptr) {
        scenes->setScene(title);
    }
    if (auto* engine = systems->get<Engine>()) {
        engine->stepRate = 1.0f;
    }
}

std::string speedLabel(float speed) {
    char label[16];
    std::snprintf(label, sizeof label, "x%g", static_cast<double>(speed));
    return label;
}

} // namespace

ReplayPlayback::ReplayPlayback(SystemRegistry* systems, Entity* entity) : Updateable(systems, entity) {}

bool ReplayPlayback::finished() const {
    if (race != nullptr && race->state == RaceFlow::raceOver) {
        return true;
    }
    return std::all_of(drivers.begin(), drivers.end(), [](const ReplayDriver* d) { return d->done(); });
}

void ReplayPlayback::update(float dt) {
    Updateable::update(dt);
    if (left) {
        return;
    }
    auto* input = systems->get<Input>();
    if (finished() || (input != nullptr && (input->getKey(key::escape) == KeyState::Pressed ||
                                            input->anyGamepadButtonPressed(pad::back)))) {
        leave();
        return;
    }
    if (input == nullptr) {
        return;
    }
    const auto pressed = [input](int code) { return input->getKey(code) == KeyState::Pressed; };
    for (int n = 0; n < 8; ++n) {
        if (pressed(key::digit1 + n)) {
            watchKart(n);
        }
    }
    if (pressed(key::left) || input->anyGamepadButtonPressed(pad::dpadLeft)) {
        watchKart(kart - 1);
    }
    if (pressed(key::right) || input->anyGamepadButtonPressed(pad::dpadRight)) {
        watchKart(kart + 1);
    }
    if (pressed(key::up) || input->anyGamepadButtonPressed(pad::rightBumper)) {
        setSpeed(speedIndex + 1);
    }
    if (pressed(key::down) || input->anyGamepadButtonPressed(pad::leftBumper)) {
        setSpeed(speedIndex - 1);
    }
    if (pressed(key::space) || pressed(key::p) || input->anyGamepadButtonPressed(pad::a)) {
        setPaused(!paused);
    }
}

void ReplayPlayback::watchKart(int index) {
    if (race == nullptr || race->karts.empty()) {
        return;
    }
    const int count = static_cast<int>(race->karts.size());
    kart = ((index % count) + count) % count;
    Entity* target = race->karts[static_cast<size_t>(kart)];
    if (camera != nullptr && target != nullptr) {
        camera->setTarget(target->getComponent<Transform>());
        camera->snapToTarget();
    }
    showLine();
}

void ReplayPlayback::setSpeed(int index) {
    speedIndex = std::clamp(index, 0, static_cast<int>(speeds.size()) - 1);
    if (auto* engine = systems->get<Engine>()) {
        engine->stepRate = speed();
    }
    showLine();
}

void ReplayPlayback::setPaused(bool value) {
    paused = value;
    if (entity->scene != nullptr) {
        entity->scene->timeScale = paused ? 0.0f : 1.0f;
    }
    showLine();
}

void ReplayPlayback::leave() {
    left = true;
    if (entity->scene != nullptr) {
        entity->scene->timeScale = 1.0f;
    }
    showTitle(systems);
}

void ReplayPlayback::showLine() {
    if (line == nullptr) {
        return;
    }
    std::string name = "P" + std::to_string(kart + 1);
    if (race != nullptr && static_cast<size_t>(kart) < race->karts.size() && race->karts[kart] != nullptr) {
        name = race->karts[static_cast<size_t>(kart)]->name;
    }
    line->text = std::string("Replay  ") + speedLabel(speed()) + "  " + name + (paused ? "  paused" : "");
    line->changed = true;
}

bool startReplay(SystemRegistry* systems, const ReplayFile& file) {
    auto* scenes = systems->get<SceneManager>();
    auto* loader = systems->get<ResourceLoader>();
    if (scenes == nullptr || loader == nullptr) {
        return false;
    }
    Scene* scene = scenes->createScene("replay");
    registerWaterMaterial(systems);
    // As the race's own load does: the karts the race left out are not read, so
    // watching holds no more meshes and pictures than racing did.
    scene->leftOutNodes = unusedKartNodes(file.setup);
    loader->importScene(*scene, file.setup.track);
    RaceFlow* race = nullptr;
    if (scene->getEntities().empty()) {
        logWarning("Replay: the track \"", file.setup.track, "\" could not be loaded");
    } else {
        race = buildRaceScene(*scene, file.setup, TrackCatalog::scan(loader->baseDir).find(file.setup.track));
    }
    const auto shared = std::make_shared<const ReplayFile>(file);
    std::vector<ReplayDriver*> drivers;
    if (race != nullptr) {
        drivers = ReplayDriver::driveRace(*race, shared);
    }
    if (drivers.empty()) {
        showTitle(systems);
        return false;
    }
    // Watching is not a race of its own: nothing is recorded, and the race's
    // pause and restart keys give way to the replay's.
    if (auto* recorder = race->entity->getComponent<ReplayRecorder>()) {
        recorder->saves = false;
        recorder->hint = nullptr;
    }
    if (race->raceKeys != nullptr) {
        race->raceKeys->entity->active = false;
    }
    // The players' HUDs, the overview and the attract mode's camera belong to
    // views the one view of the replay covers.
    for (const auto& entity : scene->getEntities()) {
        if (entity->name.rfind("hud", 0) == 0 || entity->name == "overview" ||
            entity->name == "leaderCamera") {
            entity->active = false;
        }
    }
    FollowCamera* camera = nullptr;
    if (race->raceKeys != nullptr) {
        for (size_t i = 0; i < race->raceKeys->playerCameras.size(); ++i) {
            Entity* view = race->raceKeys->playerCameras[i];
            if (i == 0) {
                view->getComponent<Camera>()->setViewport(0.0f, 0.0f, 1.0f, 1.0f);
                camera = view->getComponent<FollowCamera>();
            } else {
                view->active = false;
            }
        }
    }
    auto* playback = scene->createEntity("replay")->addComponent<ReplayPlayback>();
    playback->race = race;
    playback->drivers = drivers;
    playback->camera = camera;
    playback->line = addTextEntity(*scene, "replayLine", "", {{0.5f, 0.03f}, 0.04f, Anchor::Top}, lineColour,
                                   uiLayer::debug);
    readyRaceForDrawing(*scene);
    scenes->setScene(scene);
    race->startRace();
    playback->watchKart(0);
    if (auto* engine = systems->get<Engine>()) {
        // The loading took seconds: they are not the replay's to fast-forward through.
        engine->lastTimeMs = engine->clock();
        engine->stepRate = 1.0f;
    }
    logInfo("Replay: ", file.setup.track, ", ", file.karts(), " karts, ", file.steps(), " steps");
    return true;
}

bool startReplayFile(SystemRegistry* systems, const std::string& path) {
    ReplayFile file;
    if (!file.load(path)) {
        showTitle(systems);
        return false;
    }
    return startReplay(systems, file);
}
