// See GameHarness.h.
#include "GameHarness.h"

#include "core/audio/Audio.h"
#include "core/audio/SoundSystem.h"
#include "core/render/Camera.h"
#include "core/render/Graphics.h"
#include "core/runtime/Engine.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Event.h"
#include "core/runtime/Input.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/ui/Text.h"
#include "game/Car.h"
#include "game/RaceFlow.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

namespace fs = std::filesystem;

ScratchGameFolder::ScratchGameFolder(const std::string& tag) {
    dir = fs::temp_directory_path() / ("torquewind_" + tag + "_" + std::to_string(getpid()));
    fs::remove_all(dir);
    assets = dir / "assets";
    fs::create_directories(assets);
    for (const auto& entry : fs::directory_iterator(TW_ASSETS_DIR)) {
        fs::create_symlink(entry.path(), assets / entry.path().filename());
    }
    // The player's records go here too, never into the real data folder.
    setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
}

ScratchGameFolder::~ScratchGameFolder() {
    std::error_code ignored;
    fs::remove_all(dir, ignored);
}

fs::path ScratchGameFolder::unlinkParents(const std::string& relative) {
    fs::path at = assets;
    for (const fs::path& part : fs::path(relative).parent_path()) {
        at /= part;
        if (fs::is_symlink(at)) {
            const fs::path target = fs::read_symlink(at);
            fs::remove(at);
            fs::create_directory(at);
            for (const auto& entry : fs::directory_iterator(target)) {
                fs::create_symlink(entry.path(), at / entry.path().filename());
            }
        }
    }
    return assets / relative;
}

void ScratchGameFolder::writeAsset(const std::string& relative, const std::string& content) {
    const fs::path path = unlinkParents(relative);
    fs::remove(path);
    std::ofstream(path) << content;
}

void ScratchGameFolder::removeAsset(const std::string& relative) {
    fs::remove(unlinkParents(relative));
}

void ScratchGameFolder::writeConfig(int width, int height) const {
    std::ofstream(configPath()) << "[window]\nwidth=" << width << "\nheight=" << height
                                << "\n[dir]\nassets=" << assets.string() << "/\n";
}

ScriptedGame::ScriptedGame(const fs::path& configPath) {
    configFile = configPath.string();
}

void ScriptedGame::init() {
    Audio* audio = systems->get<Audio>();
    if (loopbackSound && audio != nullptr) {
        // Before the game loads any sound, so every clip lives in the loopback mix.
        std::unique_ptr<SoundSystem> loopback;
        SoundSystem::create(loopback);
        loopback->init(Audio::maxVoices, SoundInit::rightHanded3D | SoundInit::loopback);
        loopback->set3DSettings(1.0f, 1.0f, 1.0f);
        audio->soundSystem = std::move(loopback);
    }
    Game::init();
    engine->clock = [this] { return clockMs; };
    subscribe(engine->frameListeners, &hook, &Hook::onFrame);
    if (Graphics* graphics = systems->get<Graphics>()) {
        subscribe(graphics->beforeSwap, &hook, &Hook::beforeSwap);
    }
}

void ScriptedGame::step(const std::string& name, float timeout, std::function<bool()> done) {
    steps.push_back({name, timeout, std::move(done)});
}

void ScriptedGame::tapStep(const std::string& name, std::vector<int> keys) {
    step(name, 1.0f, [this, keys, frames = 0]() mutable {
        for (const int key : frames == 0 ? keys : std::vector<int>()) {
            tap(key);
        }
        return ++frames > 3;
    });
}

void ScriptedGame::quitStep(int key) {
    step("quit", 1.0f, [this, key, tapped = false]() mutable {
        if (!tapped) {
            tap(key);
            tapped = true;
        }
        return engine->quit;
    });
}

void ScriptedGame::titleStep(const std::string& name, float timeout) {
    step(name, timeout, [this] { return titleReady(); });
}

bool ScriptedGame::titleReady() const {
    Text* loading = text(scene("menu"), "loadingText");
    return loading != nullptr && loading->text == "Press Space to start";
}

void ScriptedGame::startDriving(int players) {
    Scene* race = scene("game");
    const auto& flow = *race->findEntity("gameplay")->getComponent<RaceFlow>();
    drivers.reserve(static_cast<size_t>(players));
    for (int player = 0; player < players; ++player) {
        Car& car = *race->findEntity(player == 0 ? "P1" : "P2")->getComponent<Car>();
        const float lane = players == 1 ? 0.0f : player == 0 ? -2.5f : 2.5f;
        drivers.emplace_back(flow, car, RaceDriver::playerKeys(player), lane);
    }
}

void ScriptedGame::stopDriving() {
    for (RaceDriver& driver : drivers) {
        driver.release(*systems->get<Input>());
    }
    drivers.clear();
}

const std::vector<float>& ScriptedGame::renderSound(uint32_t milliseconds) {
    Audio* audio = systems->get<Audio>();
    const int rate = audio != nullptr && audio->soundSystem ? audio->soundSystem->getSampleRate() : 0;
    const auto frames = static_cast<size_t>(rate) * milliseconds / 1000;
    soundBuffer.assign(frames * 2, 0.0f);
    if (frames > 0) {
        audio->soundSystem->render(soundBuffer.data(), static_cast<int>(frames));
    }
    return soundBuffer;
}

bool ScriptedGame::play() {
    run();
    return !failed && currentStep == steps.size();
}

float ScriptedGame::now() const {
    return engine->time;
}

Scene* ScriptedGame::scene(const std::string& name) const {
    return systems->get<SceneManager>()->getScene(name);
}

Scene* ScriptedGame::current() const {
    return systems->get<SceneManager>()->current;
}

Text* ScriptedGame::text(Scene* scene, const std::string& entityName) {
    Entity* entity = scene != nullptr ? scene->findEntity(entityName) : nullptr;
    return entity != nullptr ? entity->getComponent<Text>() : nullptr;
}

void ScriptedGame::press(int key) {
    systems->get<Input>()->queueKey(key, GLFW_PRESS);
}

void ScriptedGame::release(int key) {
    systems->get<Input>()->queueKey(key, GLFW_RELEASE);
}

void ScriptedGame::tap(int key) {
    press(key);
    releaseNext.push_back(key);
}

void ScriptedGame::shoot(const std::string& name) {
    const fs::path dir = fs::path(TW_BINARY_DIR) / "screenshots";
    fs::create_directories(dir);
    screenshotPath = (dir / name).string();
    setViews(true);
}

void ScriptedGame::setViews(bool on) const {
    Scene* race = scene("game");
    for (const char* name : {"cam0", "cam1"}) {
        Entity* camera = race != nullptr ? race->findEntity(name) : nullptr;
        if (camera != nullptr) {
            camera->getComponent<Camera>()->setEnabled(on);
        }
    }
}

void ScriptedGame::runSteps() {
    while (currentStep < steps.size()) {
        const Step& step = steps[currentStep];
        if (!stepStarted) {
            stepStarted = true;
            stepStart = now();
        }
        if (!step.done()) {
            if (stepTime() > step.timeout) {
                ADD_FAILURE() << "step \"" << step.name << "\" did not finish in " << step.timeout << " s";
                failed = true;
                engine->quit = true;
            }
            return;
        }
        currentStep += 1;
        stepStarted = false;
    }
    // Every step done: a script that did not quit the game ends it here.
    engine->quit = true;
}

void ScriptedGame::Hook::onFrame(float) {
    game->clockMs += game->frameMs;
    // Held for one frame in between: the game sees Pressed, Held, then Released.
    for (const int key : game->releaseNow) {
        game->release(key);
    }
    game->releaseNow = std::move(game->releaseNext);
    game->releaseNext.clear();
    game->setViews(game->drawViews);
    for (RaceDriver& driver : game->drivers) {
        driver.drive(*game->systems->get<Input>(), static_cast<float>(game->frameMs) / 1000.0f);
    }
    if (game->everyFrame) {
        game->everyFrame();
    }
    game->runSteps();
}

void ScriptedGame::Hook::beforeSwap() {
    if (!game->screenshotPath.empty()) {
        EXPECT_TRUE(game->systems->get<Graphics>()->saveScreenshot(game->screenshotPath))
            << game->screenshotPath;
        game->screenshotPath.clear();
    }
}
