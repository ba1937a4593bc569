// The whole game as a player meets it: the real Game, its config and assets
// read from a scratch folder, keys injected through Input and a driven clock.
// Title and loading, Space into the race, the countdown, a race driven by a
// test-side driver for both karts, the result, the end screen, a restart, and Q
// on the title. Screenshots of the title, the countdown, the race and the end go
// to the build folder's "screenshots" for people to look at.
//
// Drawing the two 3D views costs far more on the software rasteriser than
// everything else in a frame, so the script switches the players' cameras on
// only for the frames it photographs: the race itself, its logic and its UI run
// every frame as they would for a player.
#include "GameHarness.h"
#include "RaceDriver.h"

#include "core/render/Camera.h"
#include "core/render/Renderer.h"
#include "core/runtime/Engine.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Input.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/ui/Text.h"
#include "core/ui/Transform2D.h"
#include "core/ui/UITex.h"
#include "game/Car.h"
#include "game/GameMenu.h"
#include "game/Gameplay.h"
#include "game/RaceProps.h"
#include "game/SceneUtils.h"
#include "game/UiLayers.h"
#include "support/LogCapture.h"
#include "support/TestEngine.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int windowWidth = 320;
constexpr int windowHeight = 200;
#else
constexpr int windowWidth = 640;
constexpr int windowHeight = 400;
#endif

// Frame lengths: short where timings are checked, longer while the karts drive
// so that a lap costs fewer drawn frames.
constexpr uint32_t shortFrameMs = 16;
constexpr uint32_t raceFrameMs = 48;

std::string screenshotDir() {
    const fs::path dir = fs::path(TW_BINARY_DIR) / "screenshots";
    fs::create_directories(dir);
    return dir.string();
}

Text* findText(Scene* scene, const std::string& entityName) {
    Entity* entity = scene != nullptr ? scene->findEntity(entityName) : nullptr;
    return entity != nullptr ? entity->getComponent<Text>() : nullptr;
}

// Texts on screen in scene, of one UI layer.
std::vector<Text*> textsOnLayer(Scene* scene, uint32_t layer) {
    std::vector<Text*> found;
    for (const auto& entity : scene->getEntities()) {
        if (auto* text = entity->getComponent<Text>(); text != nullptr && entity->active && text->layer == layer) {
            found.push_back(text);
        }
    }
    return found;
}

// A script: steps run one after the other; each is called once per frame until
// it reports done, and fails the test when it takes longer than its time.
class Steps {
public:
    struct Step {
        std::string name;
        float timeout;
        std::function<bool()> done;
    };

    void add(std::string name, float timeout, std::function<bool()> done) {
        steps.push_back({std::move(name), timeout, std::move(done)});
    }

    // False once every step is done or one has timed out.
    bool run(float now) {
        while (current < steps.size()) {
            if (!started) {
                started = true;
                stepStart = now;
            }
            if (!steps[current].done()) {
                if (now - stepStart > steps[current].timeout) {
                    ADD_FAILURE() << "step \"" << steps[current].name << "\" did not finish in "
                                  << steps[current].timeout << " s";
                    current = steps.size();
                    failed = true;
                    return false;
                }
                return true;
            }
            current += 1;
            started = false;
        }
        return false;
    }

    bool failed = false;

private:
    std::vector<Step> steps;
    size_t current = 0;
    bool started = false;
    float stepStart = 0.0f;
};

class WholeGameTest : public ::testing::Test {
protected:
    WholeGameTest() : folder("game") {}

    ScratchGameFolder folder;
};

// Everything the script sees and records while the game runs.
struct RaceWatch {
    ScriptedGame* game = nullptr;
    Input* input = nullptr;
    Scene* menu = nullptr;
    Scene* race = nullptr;
    Gameplay* gameplay = nullptr;
    std::vector<std::unique_ptr<RaceDriver>> drivers;
    bool driving = false;
    std::string lastShot;

    std::vector<std::string> loadingTexts;
    float spaceTime = -1.0f;
    std::map<std::string, float> centreShown;
    std::optional<unsigned> winner;
    float resultTime = -1.0f;
    float endScreenTime = -1.0f;

    float now() const { return game->engine->time; }

    void press(int key) { input->queueKey(key, GLFW_PRESS); }
    void release(int key) { input->queueKey(key, GLFW_RELEASE); }
    void tap(int key) {
        press(key);
        // Released on the frame after: the game sees one Pressed, then Held, then Released.
        releaseNext.push_back(key);
    }
    // This frame is saved as it is drawn.
    void shoot(const std::string& name) {
        lastShot = name;
        game->screenshotPath = screenshotDir() + "/" + name;
        showViews(true);
    }

    void showViews(bool on) const {
        for (const char* name : {"cam0", "cam1"}) {
            Entity* camera = race != nullptr ? race->findEntity(name) : nullptr;
            if (camera != nullptr) {
                camera->getComponent<Camera>()->setEnabled(on);
            }
        }
    }

    void everyFrame() {
        for (int key : releaseNow) {
            release(key);
        }
        releaseNow = std::move(releaseNext);
        releaseNext.clear();
        if (!lastShot.empty()) {
            EXPECT_TRUE(game->screenshotSaved) << lastShot;
            game->screenshotSaved = false;
            lastShot.clear();
        }
        showViews(false);
        if (race != nullptr && game->systems->get<SceneManager>()->current == race) {
            for (Text* text : textsOnLayer(race, uiLayer::centreMessage)) {
                centreShown.emplace(text->text, now() - spaceTime);
            }
        }
        if (driving) {
            for (auto& driver : drivers) {
                driver->drive(*input, static_cast<float>(game->frameMs) / 1000.0f);
            }
        }
    }

    std::vector<int> releaseNext;
    std::vector<int> releaseNow;
};

bool hasMessage(const SceneUtils& utils, const std::string& text, float y) {
    for (Entity* message : utils.persistentMessages) {
        auto* label = message->getComponent<Text>();
        auto* place = message->getComponent<Transform2D>();
        if (label != nullptr && place != nullptr && label->text == text && place->getPosition().y == y) {
            return true;
        }
    }
    return false;
}

} // namespace

TEST_F(WholeGameTest, TitleRaceResultRestartAndQuit) {
    TW_REQUIRE_DISPLAY();
    folder.writeConfig(windowWidth, windowHeight);
    const unsigned laps = 1;
    folder.writeAsset("game.ini", "[game]\nnumLaps=" + std::to_string(laps) + "\n");

    RaceWatch watch;
    Steps steps;
    LogCapture log;

    auto* game = new ScriptedGame(folder.configPath(), [&](ScriptedGame&) {
        watch.everyFrame();
        if (!steps.run(watch.now())) {
            watch.game->engine->quit = true;
        }
    });
    watch.game = game;

    steps.add("title shows Loading... before it loads", 1.0f, [&] {
        watch.input = game->systems->get<Input>();
        watch.menu = game->systems->get<SceneManager>()->getScene("menu");
        Text* loading = findText(watch.menu, "loadingText");
        EXPECT_NE(loading, nullptr);
        if (loading != nullptr) {
            watch.loadingTexts.push_back(loading->text);
        }
        EXPECT_EQ(game->systems->get<SceneManager>()->getScene("game"), nullptr) << "loaded before drawing";
        watch.shoot("game_loading.png");
        // Too early: this press reaches the game in the frame that loads the race.
        watch.tap(GLFW_KEY_SPACE);
        return true;
    });
    steps.add("race loads", 5.0f, [&] {
        Text* loading = findText(watch.menu, "loadingText");
        if (loading->text != "Press Space to start") {
            return false;
        }
        watch.loadingTexts.push_back(loading->text);
        EXPECT_EQ(game->systems->get<SceneManager>()->current, watch.menu) << "Space while loading started the race";
        watch.race = game->systems->get<SceneManager>()->getScene("game");
        watch.gameplay = watch.race->findEntity("gameplay")->getComponent<Gameplay>();
        EXPECT_EQ(watch.gameplay->numLaps, laps);
        return true;
    });
    steps.add("title picture", 1.0f, [&] {
        watch.shoot("game_title.png");
        return true;
    });
    steps.add("Space enters the race", 1.0f, [&] {
        watch.tap(GLFW_KEY_SPACE);
        return true;
    });
    steps.add("race scene current", 1.0f, [&] {
        if (game->systems->get<SceneManager>()->current != watch.race) {
            return false;
        }
        watch.spaceTime = watch.now();
        EXPECT_EQ(watch.gameplay->state, Gameplay::starting);
        return true;
    });
    steps.add("countdown", 7.0f, [&] {
        const float t = watch.now() - watch.spaceTime;
        Car* p1 = watch.race->findEntity("P1")->getComponent<Car>();
        if (t < 4.9f) {
            EXPECT_FALSE(p1->controlsEnabled) << "driving before Go! at " << t;
        }
        if (t > 3.25f && t < 3.25f + shortFrameMs / 1000.0f) {
            watch.shoot("game_countdown.png");
        }
        return watch.centreShown.count("Go!") != 0;
    });
    steps.add("karts drive", 1.0f, [&] {
        EXPECT_TRUE(watch.race->findEntity("P1")->getComponent<Car>()->controlsEnabled);
        EXPECT_TRUE(watch.race->findEntity("P2")->getComponent<Car>()->controlsEnabled);
        Car* p1 = watch.race->findEntity("P1")->getComponent<Car>();
        Car* p2 = watch.race->findEntity("P2")->getComponent<Car>();
        watch.drivers.push_back(std::make_unique<RaceDriver>(
            *watch.gameplay, *p1, KartKeys{GLFW_KEY_W, GLFW_KEY_S, GLFW_KEY_A, GLFW_KEY_D}, -2.5f));
        watch.drivers.push_back(std::make_unique<RaceDriver>(
            *watch.gameplay, *p2, KartKeys{GLFW_KEY_UP, GLFW_KEY_DOWN, GLFW_KEY_LEFT, GLFW_KEY_RIGHT}, 2.5f));
        watch.driving = true;
        game->frameMs = raceFrameMs;
        return true;
    });
    steps.add("race to the finish", 150.0f * static_cast<float>(laps), [&] {
        const float t = watch.now() - watch.spaceTime;
        if (t > 16.0f && t < 16.0f + raceFrameMs / 1000.0f) {
            watch.shoot("game_race.png");
        }
        auto* utils = watch.race->findEntity("gameplay")->getComponent<SceneUtils>();
        for (unsigned p = 0; p < 2; ++p) {
            if (watch.gameplay->finished[p]) {
                watch.winner = p;
            }
        }
        if (!watch.winner) {
            EXPECT_TRUE(utils->persistentMessages.empty());
            return false;
        }
        const unsigned w = *watch.winner;
        const std::string kart = w == 0 ? "P1" : "P2";
        EXPECT_GT(static_cast<unsigned>(watch.race->findEntity(kart)->getComponent<RaceProps>()->lap), laps);
        EXPECT_TRUE(hasMessage(*utils, "You win!", w == 0 ? 0.25f : 0.75f));
        EXPECT_TRUE(hasMessage(*utils, "You loose!", w == 0 ? 0.75f : 0.25f));
        watch.resultTime = watch.now();
        return true;
    });
    steps.add("end screen", 3.0f, [&] {
        auto* utils = watch.race->findEntity("gameplay")->getComponent<SceneUtils>();
        if (!utils->endScreen->isEnabled()) {
            EXPECT_NE(watch.gameplay->state, Gameplay::raceOver);
            return false;
        }
        watch.endScreenTime = watch.now();
        watch.driving = false;
        for (auto& driver : watch.drivers) {
            driver->release(*watch.input);
        }
        EXPECT_EQ(watch.gameplay->state, Gameplay::raceOver);
        EXPECT_FALSE(watch.race->findEntity("P1")->getComponent<Car>()->controlsEnabled);
        EXPECT_FALSE(watch.race->findEntity("P2")->getComponent<Car>()->controlsEnabled);
        game->frameMs = shortFrameMs;
        return true;
    });
    steps.add("end picture", 1.0f, [&] {
        if (watch.now() - watch.endScreenTime < 0.5f) {
            return false;
        }
        watch.shoot("game_end.png");
        return true;
    });
    steps.add("Space restarts", 1.0f, [&] {
        watch.tap(GLFW_KEY_SPACE);
        return true;
    });
    steps.add("lap counters reset", 1.0f, [&] {
        if (watch.gameplay->state != Gameplay::starting) {
            return false;
        }
        for (const char* kart : {"P1", "P2"}) {
            EXPECT_EQ(watch.race->findEntity(kart)->getComponent<RaceProps>()->lap, 0) << kart;
            EXPECT_EQ(watch.race->findEntity(kart)->getComponent<RaceProps>()->lastCheckpoint, nullptr) << kart;
        }
        auto* utils = watch.race->findEntity("gameplay")->getComponent<SceneUtils>();
        EXPECT_TRUE(utils->persistentMessages.empty());
        EXPECT_FALSE(utils->endScreen->isEnabled());
        return true;
    });
    steps.add("HUD shows lap 0", 1.0f, [&] {
        Text* lap1 = findText(watch.race, "hud1_lap");
        Text* lap2 = findText(watch.race, "hud2_lap");
        const std::string expected = "Lap 0/" + std::to_string(laps);
        return lap1 != nullptr && lap2 != nullptr && lap1->text == expected && lap2->text == expected;
    });
    steps.add("back on the title", 1.0f, [&] {
        // What Q in the race does (the race's menu keys): the title becomes current again.
        auto* scenes = game->systems->get<SceneManager>();
        watch.race->setRunning(false);
        watch.menu->setRunning(true);
        scenes->current = watch.menu;
        return true;
    });
    steps.add("Q quits", 1.0f, [&] {
        watch.tap(GLFW_KEY_Q);
        return true;
    });
    steps.add("quit", 1.0f, [&] { return game->engine->quit; });

    game->run();
    const bool quitByQ = game->engine->quit && !steps.failed;
    delete game;

    EXPECT_TRUE(quitByQ);
    ASSERT_GE(watch.loadingTexts.size(), 2u);
    EXPECT_EQ(watch.loadingTexts[0], "Loading...");
    EXPECT_EQ(watch.loadingTexts[1], "Press Space to start");
    // Countdown from the press of Space: 3, 2, 1 a second apart, then Go!.
    const float frame = shortFrameMs / 1000.0f;
    const std::map<std::string, float> expected{{"3", 2.0f}, {"2", 3.0f}, {"1", 4.0f}, {"Go!", 5.0f}};
    for (const auto& [text, time] : expected) {
        ASSERT_EQ(watch.centreShown.count(text), 1u) << text;
        EXPECT_NEAR(watch.centreShown[text], time, 2.5f * frame) << text;
    }
    EXPECT_NEAR(watch.endScreenTime - watch.resultTime, 1.5f, raceFrameMs / 1000.0f + 0.02f);
    for (const LoggedLine& line : log.lines) {
        EXPECT_NE(line.level, LogLevel::Error) << line.text;
    }
}

TEST_F(WholeGameTest, WithoutItsTrackTheTitleSaysTheRaceCannotStartAndQStillQuits) {
    TW_REQUIRE_DISPLAY();
    folder.writeConfig(windowWidth, windowHeight);
    folder.removeAsset("scenes/Track_01_LM.fbx");

    RaceWatch watch;
    Steps steps;
    LogCapture log;
    auto* game = new ScriptedGame(folder.configPath(), [&](ScriptedGame&) {
        watch.everyFrame();
        if (!steps.run(watch.now())) {
            watch.game->engine->quit = true;
        }
    });
    watch.game = game;
    Text* loading = nullptr;
    steps.add("loading fails", 5.0f, [&] {
        watch.input = game->systems->get<Input>();
        watch.menu = game->systems->get<SceneManager>()->getScene("menu");
        loading = findText(watch.menu, "loadingText");
        return loading != nullptr && loading->text != "Loading...";
    });
    steps.add("Space does nothing", 1.0f, [&] {
        watch.tap(GLFW_KEY_SPACE);
        return true;
    });
    steps.add("still on the title", 1.0f, [&] {
        EXPECT_EQ(game->systems->get<SceneManager>()->current, watch.menu);
        watch.shoot("game_no_track.png");
        return true;
    });
    steps.add("Q quits", 1.0f, [&] {
        watch.tap(GLFW_KEY_Q);
        return true;
    });
    steps.add("quit", 1.0f, [&] { return game->engine->quit; });
    game->run();
    const std::string shown = loading != nullptr ? loading->text : "";
    const bool failed = steps.failed;
    delete game;

    EXPECT_FALSE(failed);
    EXPECT_EQ(shown, "The race cannot start - press Q to quit");
    EXPECT_TRUE(log.contains("Race scene: the track \"scenes/Track_01_LM.fbx\" could not be loaded"));
}

// The race's menu and developer keys in the running game: brightness on the
// title and in the race (the main loop and the scene's own handler each add a
// tenth), the pause screen, the statistics overlay and wireframe with a status
// line (photographed as "menu_pause.png", "menu_stats.png" and
// "menu_wireframe.png"), then Q to the
// title and Space back into the same race, which starts again.
TEST_F(WholeGameTest, PauseDeveloperKeysBrightnessAndBackToTheTitleAndIntoTheSameRace) {
    TW_REQUIRE_DISPLAY();
    folder.writeConfig(windowWidth, windowHeight);

    RaceWatch watch;
    Steps steps;
    LogCapture log;
    auto* game = new ScriptedGame(folder.configPath(), [&](ScriptedGame&) {
        watch.everyFrame();
        if (!steps.run(watch.now())) {
            watch.game->engine->quit = true;
        }
    });
    watch.game = game;
    Renderer* renderer = nullptr;
    GameMenu* menu = nullptr;
    Entity* help = nullptr;
    float markTime = 0.0f;
    int waitFrames = 0;
    // Frames after a tap before both handlers have seen it: the scene's in the
    // frame of the press, the main loop's at the start of the next one.
    // Steps run on in the same frame once one is done, so a check after a tap waits.
    const auto settled = [&] { return ++waitFrames > 2 ? (waitFrames = 0, true) : false; };
    const auto tapAndSettle = [&](const std::string& name, int key) {
        steps.add(name, 1.0f, [&watch, key] {
            watch.tap(key);
            return true;
        });
        steps.add(name + " settles", 1.0f, settled);
    };

    steps.add("race loads", 5.0f, [&] {
        watch.input = game->systems->get<Input>();
        renderer = game->systems->get<Renderer>();
        watch.menu = game->systems->get<SceneManager>()->getScene("menu");
        Text* loading = findText(watch.menu, "loadingText");
        if (loading == nullptr || loading->text != "Press Space to start") {
            return false;
        }
        watch.race = game->systems->get<SceneManager>()->getScene("game");
        watch.gameplay = watch.race->findEntity("gameplay")->getComponent<Gameplay>();
        menu = watch.race->findEntity("gameMenu")->getComponent<GameMenu>();
        help = watch.race->findEntity("helpScreen");
        EXPECT_EQ(menu->helpScreen, help);
        EXPECT_FLOAT_EQ(renderer->brightness, 1.0f);
        return true;
    });
    tapAndSettle("full stop on the title", GLFW_KEY_PERIOD);
    steps.add("title brighter by two tenths", 1.0f, [&] {
        EXPECT_NEAR(renderer->brightness, 1.2f, 1e-5f);
        return true;
    });
    tapAndSettle("comma on the title", GLFW_KEY_COMMA);
    steps.add("title brightness back", 1.0f, [&] {
        EXPECT_NEAR(renderer->brightness, 1.0f, 1e-5f);
        return true;
    });
    tapAndSettle("Space enters the race", GLFW_KEY_SPACE);
    steps.add("race current", 1.0f,
              [&] { return game->systems->get<SceneManager>()->current == watch.race; });
    tapAndSettle("comma in the race", GLFW_KEY_COMMA);
    steps.add("race darker by two tenths", 1.0f, [&] {
        EXPECT_NEAR(renderer->brightness, 0.8f, 1e-5f);
        return true;
    });
    tapAndSettle("full stop in the race", GLFW_KEY_PERIOD);
    steps.add("race brightness back", 1.0f, [&] {
        EXPECT_NEAR(renderer->brightness, 1.0f, 1e-5f);
        return true;
    });
    tapAndSettle("P pauses", GLFW_KEY_P);
    steps.add("pause screen", 1.0f, [&] {
        EXPECT_TRUE(menu->paused);
        EXPECT_TRUE(help->active);
        EXPECT_EQ(watch.race->timeScale, 0.0f);
        watch.shoot("menu_pause.png");
        return true;
    });
    tapAndSettle("P resumes", GLFW_KEY_P);
    steps.add("F2 shows the statistics", 1.0f, [&] {
        EXPECT_FALSE(menu->paused);
        EXPECT_FALSE(help->active);
        EXPECT_EQ(watch.race->timeScale, 1.0f);
        watch.tap(GLFW_KEY_F2);
        markTime = watch.now();
        // Fewer, longer frames while both views are drawn for the figures.
        game->frameMs = 100;
        return true;
    });
    steps.add("statistics of drawn frames", 3.0f, [&] {
        watch.showViews(true);
        if (watch.now() - markTime < 1.3f) {
            return false;
        }
        EXPECT_TRUE(menu->fpsText->isEnabled());
        EXPECT_EQ(menu->fpsText->text.rfind("FPS ", 0), 0u) << menu->fpsText->text;
        EXPECT_NE(menu->drawCallsText->text.find(" draw calls, "), std::string::npos);
        EXPECT_NE(menu->culledText->text.find(" culled"), std::string::npos);
        EXPECT_NE(menu->drawCallsText->text.rfind("0 draw calls", 0), 0u) << "the views were drawn";
        watch.shoot("menu_stats.png");
        game->frameMs = shortFrameMs;
        return true;
    });
    tapAndSettle("F3 draws wires", GLFW_KEY_F3);
    tapAndSettle("F4 turns normal maps off", GLFW_KEY_F4);
    steps.add("wireframe", 1.0f, [&] {
        EXPECT_TRUE(renderer->wireframe);
        EXPECT_FALSE(renderer->normalsEnabled);
        EXPECT_EQ(menu->statusText->text, "normals off");
        watch.shoot("menu_wireframe.png");
        return true;
    });
    steps.add("F2, F3 and F4 again", 1.0f, [&] {
        for (int key : {GLFW_KEY_F2, GLFW_KEY_F3, GLFW_KEY_F4}) {
            watch.press(key);
        }
        watch.releaseNext = {GLFW_KEY_F2, GLFW_KEY_F3, GLFW_KEY_F4};
        return true;
    });
    steps.add("F2, F3 and F4 settle", 1.0f, settled);
    steps.add("Q to the title", 1.0f, [&] {
        EXPECT_FALSE(renderer->wireframe);
        EXPECT_TRUE(renderer->normalsEnabled);
        EXPECT_EQ(menu->statusText->text, "normals on");
        EXPECT_FALSE(menu->fpsText->isEnabled());
        watch.tap(GLFW_KEY_Q);
        return true;
    });
    steps.add("title current", 1.0f, [&] {
        if (game->systems->get<SceneManager>()->current != watch.menu) {
            return false;
        }
        EXPECT_TRUE(watch.menu->isRunning());
        EXPECT_FALSE(watch.race->isRunning());
        return settled();
    });
    steps.add("Space on the title", 1.0f, [&] {
        watch.tap(GLFW_KEY_SPACE);
        markTime = watch.now();
        return true;
    });
    steps.add("the same race again", 1.0f, [&] {
        if (game->systems->get<SceneManager>()->current != watch.race) {
            return false;
        }
        EXPECT_EQ(game->systems->get<SceneManager>()->getScene("game"), watch.race);
        EXPECT_EQ(watch.gameplay->state, Gameplay::starting) << "the race starts again";
        watch.centreShown.clear();
        watch.spaceTime = markTime;
        return true;
    });
    steps.add("counting down again", 4.0f, [&] { return watch.centreShown.count("3") != 0; });

    game->run();
    const bool failed = steps.failed;
    delete game;

    EXPECT_FALSE(failed);
    for (const LoggedLine& line : log.lines) {
        EXPECT_NE(line.level, LogLevel::Error) << line.text;
    }
}
