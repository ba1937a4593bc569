// The whole game as a player meets it, in the real Game with keys injected
// through Input and a driven clock: title and loading, the countdown, a race
// driven for both karts to its result and end screen, the race's replay saved
// and watched from any kart at any speed back to the title, the race again,
// its menu and developer keys, Q to the title and back, a kart dropped into
// the sea, and the start-up failures. Loading compiles every program the race
// draws with, and neither the replay nor racing again holds more than the
// first race did. Frames around the screenshots (build folder's
// "screenshots") draw the 3D views.
#include "GameHarness.h"

#include "core/audio/AudioSource.h"
#include "core/physics/PhysicsWorld.h"
#include "core/physics/RigidBodyDynamic.h"
#include "core/render/ParticleSystem.h"
#include "core/render/Renderer.h"
#include "core/resources/Material.h"
#include "core/resources/Mesh.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/Shader.h"
#include "core/resources/Texture2D.h"
#include "core/runtime/Engine.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/Transform.h"
#include "core/ui/Font.h"
#include "core/ui/Text.h"
#include "core/ui/Transform2D.h"
#include "core/ui/UI.h"
#include "core/ui/UITex.h"
#include "game/Car.h"
#include "game/CarParticles.h"
#include "game/FollowCamera.h"
#include "game/RaceFlow.h"
#include "game/RaceKeys.h"
#include "game/RaceMessages.h"
#include "game/RaceProgress.h"
#include "game/ReplayPlayback.h"
#include "game/ReplayRecorder.h"
#include "game/UiLayers.h"
#include "support/LogCapture.h"
#include "support/TestEngine.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int windowWidth = 320;
constexpr int windowHeight = 200;
#else
constexpr int windowWidth = 640;
constexpr int windowHeight = 400;
#endif

// Short frames where timings are checked, longer ones while the karts drive.
constexpr uint32_t shortFrameMs = 16;
constexpr uint32_t raceFrameMs = 48;

bool hasMessage(const RaceMessages& utils, const std::string& text, float y) {
    for (Entity* message : utils.persistentMessages) {
        auto* label = message->getComponent<Text>();
        auto* place = message->getComponent<Transform2D>();
        if (label != nullptr && place != nullptr && label->text == text && place->getPosition().y == y) {
            return true;
        }
    }
    return false;
}

// Player 1 put down a few metres above the nearest sea to its left, clear of the shore.
void dropIntoTheSea(Scene& race) {
    auto* body = race.findEntity("P1")->getComponent<RigidBodyDynamic>();
    Transform* transform = body->entity->getComponent<Transform>();
    const glm::vec3 start = transform->getWorldPosition();
    const glm::vec3 left = transform->getGlobalRotation() * glm::vec3(-1, 0, 0);
    const glm::vec3 across = glm::normalize(glm::vec3(left.x, 0.0f, left.z));
    for (float distance = 4.0f; distance < 200.0f; distance += 2.0f) {
        RaycastHit hit;
        const glm::vec3 probe = start + across * distance + glm::vec3(0, 50, 0);
        if (!race.getPhysicsWorld()->raycast(probe, {0, -1, 0}, 200.0f, hit) || hit.point.y < -2.0f) {
            const glm::vec3 drop = start + across * (distance + 12.0f);
            body->teleport({drop.x, 2.5f, drop.z}, transform->getGlobalRotation());
            body->setLinearVelocity(glm::vec3(0.0f));
            return;
        }
    }
    ADD_FAILURE() << "no sea found beside the kart";
}

std::vector<std::string> progressLines(const LogCapture& log, size_t from = 0) {
    std::vector<std::string> lines;
    for (size_t i = from; i < log.lines.size(); ++i) {
        const std::string& text = log.lines[i].text;
        if (text.rfind("P1, ", 0) == 0 || text.rfind("P2, ", 0) == 0) {
            lines.push_back(text);
        }
    }
    return lines;
}

std::vector<std::filesystem::path> savedReplays(const ScratchGameFolder& folder) {
    std::vector<std::filesystem::path> found;
    std::error_code error;
    for (const auto& entry :
         std::filesystem::directory_iterator(folder.dir / "data" / "torquewind" / "replays", error)) {
        found.push_back(entry.path());
    }
    return found;
}

class WholeGameTest : public ::testing::Test {
protected:
    WholeGameTest() : folder("game") { folder.writeConfig(windowWidth, windowHeight); }

    ScratchGameFolder folder;
    LogCapture log;
};

} // namespace

TEST_F(WholeGameTest, TitleRaceResultReplayMenuKeysAndQuit) {
    TW_REQUIRE_DISPLAY();
    const unsigned laps = 1;
    folder.writeAsset("game.ini", "[game]\nnumLaps=1\n");
    auto* game = new ScriptedGame(folder.configPath());
    Scene* menu = nullptr;
    Scene* race = nullptr;
    RaceFlow* gameplay = nullptr;
    RaceMessages* utils = nullptr;
    RaceKeys* raceMenu = nullptr;
    ReplayPlayback* playback = nullptr;
    Renderer* renderer = nullptr;
    ResourceCache* cache = nullptr;
    std::vector<std::string> loadingTexts;
    std::vector<std::string> raceLines;
    size_t replayFrom = 0;
    float spaceTime = 0.0f;
    float resultTime = -1.0f;
    float endScreenTime = -1.0f;
    float splashTime = -1.0f;
    bool flameSeen = false;
    // When each centre message first showed, counted from the press of Space.
    std::map<std::string, float> centreShown;
    std::map<std::string, float> firstCountdown;
    const auto car = [&](const char* kart) { return race->findEntity(kart)->getComponent<Car>(); };
    const auto props = [&](const char* kart) { return race->findEntity(kart)->getComponent<RaceProgress>(); };
    const auto effects = [&] { return race->findEntity("P1")->getComponent<CarParticles>(); };
    const auto programs = [&] {
        size_t count = 0;
        for (Shader* shader : cache->getAll<Shader>()) {
            count += shader->getProgramCount();
        }
        return count;
    };
    // Messages come and go as entities the scene numbers ("Entity<n>"); the
    // entities the race is built of have names of their own.
    const auto holdings = [&] {
        std::vector<size_t> counts{cache->getAll<Mesh>().size(), cache->getAll<Texture2D>().size(),
                                   cache->getAll<Material>().size(), 0, 0};
        for (const auto& entity : race->getEntities()) {
            if (entity->name.rfind("Entity", 0) != 0) {
                counts[3] += 1;
                counts[4] += entity->getAllComponents().size();
            }
        }
        return counts;
    };
    // The title picture, the track's preview and the help hold memory only while they show.
    const auto pictureHeld = [&](const char* name) {
        const auto* picture = cache->get<Texture2D>(name);
        return picture != nullptr && picture->getTexture() != 0;
    };
    const auto previewHeld = [&] {
        const auto* preview = menu->findEntity("trackPreview")->getComponent<UITex>()->texture;
        return preview != nullptr && preview->getTexture() != 0;
    };
    size_t programsAfterLoading = 0;
    std::vector<size_t> firstRaceHoldings;
    // The new level shows for a moment: under the title's prompt, or as the race's status.
    const auto brightnessStep = [&](const std::string& name, int key, float expected) {
        game->tapStep(name, {key});
        game->step(name + " changes the brightness", 1.0f, [&, expected, name] {
            EXPECT_NEAR(renderer->brightness, expected, 1e-5f) << name;
            Text* shown = game->current() == race ? ScriptedGame::text(race, "statusText")
                                                  : ScriptedGame::text(menu, "brightnessText");
            EXPECT_EQ(shown != nullptr ? shown->text : "", RaceKeys::brightnessLabel(expected)) << name;
            return true;
        });
    };
    game->everyFrame = [&] {
        if (race == nullptr || game->current() != race) {
            return;
        }
        for (const auto& entity : race->getEntities()) {
            auto* text = entity->getComponent<Text>();
            if (text != nullptr && entity->active && text->layer == uiLayer::centreMessage) {
                centreShown.emplace(text->text, game->now() - spaceTime);
            }
        }
    };

    game->step("title shows Loading... before it loads", 1.0f, [&] {
        menu = game->scene("menu");
        renderer = game->systems->get<Renderer>();
        cache = game->systems->get<ResourceCache>();
        Text* loading = ScriptedGame::text(menu, "loadingText");
        loadingTexts.push_back(loading != nullptr ? loading->text : "");
        EXPECT_EQ(game->scene("game"), nullptr) << "loaded before drawing";
        EXPECT_EQ(menu->findEntity("bg")->getComponent<AudioSource>()->sound, nullptr)
            << "the music is read after the first frame, with the race";
        game->shoot("game_loading.png");
        // Too early: this press reaches the game in the frame that loads the race.
        game->tap(GLFW_KEY_SPACE);
        return true;
    });
    game->step("race loads", 5.0f, [&] {
        if (!game->titleReady()) {
            return false;
        }
        loadingTexts.push_back(ScriptedGame::text(menu, "loadingText")->text);
        EXPECT_EQ(game->current(), menu) << "Space while loading started the race";
        const auto* music = menu->findEntity("bg")->getComponent<AudioSource>();
        EXPECT_TRUE(music->sound != nullptr && music->state == AudioSource::playing);
        race = game->scene("game");
        gameplay = race->findEntity("gameplay")->getComponent<RaceFlow>();
        utils = race->findEntity("gameplay")->getComponent<RaceMessages>();
        raceMenu = race->findEntity("gameMenu")->getComponent<RaceKeys>();
        EXPECT_EQ(gameplay->numLaps, laps);
        programsAfterLoading = programs();
        const Mesh* road = cache->get<Mesh>("Road_MC_");
        EXPECT_FALSE(road->positions.empty() || road->indices.empty()) << "physics reads these";
        EXPECT_TRUE(road->normals.empty() && road->uv0.empty() && road->uv1.empty())
            << "the GL buffers hold these";
        EXPECT_FALSE(road->getVertexBuffers().empty());
        EXPECT_TRUE(pictureHeld("menu") && previewHeld());
        EXPECT_FALSE(pictureHeld("helpScreen"));
        game->shoot("game_title.png");
        return true;
    });
    // The main loop and the title's own handler each add a tenth.
    brightnessStep("full stop on the title", GLFW_KEY_PERIOD, 1.2f);
    game->tapStep("Space enters the race", {GLFW_KEY_SPACE});
    game->step("race scene current", 1.0f, [&] {
        spaceTime = game->now();
        EXPECT_EQ(gameplay->state, RaceFlow::starting);
        if (game->current() != race) {
            return false;
        }
        EXPECT_FALSE(pictureHeld("menu") || previewHeld());
        firstRaceHoldings = holdings();
        return true;
    });
    game->step("countdown", 7.0f, [&] {
        const float t = game->now() - spaceTime;
        if (t < 4.9f) {
            EXPECT_FALSE(car("P1")->controlsEnabled) << "driving before Go! at " << t;
        }
        if (t > 3.25f && t < 3.25f + shortFrameMs / 1000.0f) {
            game->shoot("game_countdown.png");
        }
        return centreShown.count("Go!") != 0;
    });
    game->step("karts drive", 1.0f, [&] {
        firstCountdown = centreShown;
        EXPECT_EQ(programs(), programsAfterLoading) << "drawing the countdown compiled a program";
        EXPECT_TRUE(car("P1")->controlsEnabled && car("P2")->controlsEnabled);
        game->startDriving();
        game->frameMs = raceFrameMs;
        return true;
    });
    game->step("race to the finish", 150.0f * static_cast<float>(laps), [&] {
        // Player 1 boosts a moment before the picture, drawn meanwhile so that its flame is in it.
        const float t = game->now() - spaceTime;
        if (t > 15.7f && t < 15.7f + raceFrameMs / 1000.0f) {
            game->tap(GLFW_KEY_E);
        }
        game->drawViews = t > 15.7f && t < 16.0f;
        if (t > 16.0f && t < 16.0f + raceFrameMs / 1000.0f) {
            flameSeen = !effects()->boostFlame->finished;
            game->shoot("game_race.png");
        }
        const int winner = gameplay->finished[0] ? 0 : gameplay->finished[1] ? 1 : -1;
        if (winner < 0) {
            EXPECT_TRUE(utils->persistentMessages.empty());
            return false;
        }
        EXPECT_GT(static_cast<unsigned>(props(winner == 0 ? "P1" : "P2")->lap), laps);
        EXPECT_TRUE(hasMessage(*utils, "You win!", winner == 0 ? 0.25f : 0.75f));
        EXPECT_TRUE(hasMessage(*utils, "You loose!", winner == 0 ? 0.75f : 0.25f));
        resultTime = game->now();
        return true;
    });
    game->step("end screen", 3.0f, [&] {
        if (!gameplay->endScreen->isEnabled()) {
            EXPECT_NE(gameplay->state, RaceFlow::raceOver);
            return false;
        }
        endScreenTime = game->now();
        game->stopDriving();
        EXPECT_EQ(gameplay->state, RaceFlow::raceOver);
        EXPECT_FALSE(car("P1")->controlsEnabled || car("P2")->controlsEnabled);
        raceLines = progressLines(log);
        EXPECT_EQ(ScriptedGame::text(race, "replayHint")->text, ReplayRecorder::hintText);
        const std::vector<std::filesystem::path> saved = savedReplays(folder);
        EXPECT_EQ(saved.size(), 1u);
        EXPECT_TRUE(log.contains("Replay saved: " + (saved.empty() ? std::string() : saved[0].string())));
        game->frameMs = shortFrameMs;
        return true;
    });
    game->step("end picture", 1.0f, [&] {
        if (game->now() - endScreenTime < 0.5f) {
            return false;
        }
        game->shoot("game_end.png");
        return true;
    });
    game->step("R watches the replay", 3.0f, [&, tapped = false]() mutable {
        if (!tapped) {
            replayFrom = log.lines.size();
            game->tap(GLFW_KEY_R);
            tapped = true;
        }
        Scene* replay = game->scene("replay");
        if (replay == nullptr || game->current() != replay) {
            return false;
        }
        playback = replay->findEntity("replay")->getComponent<ReplayPlayback>();
        EXPECT_EQ(ScriptedGame::text(replay, "replayLine")->text, "Replay  x1  P1");
        return true;
    });
    const auto replayLine = [&] { return ScriptedGame::text(game->scene("replay"), "replayLine")->text; };
    game->tapStep("Right follows P2", {GLFW_KEY_RIGHT});
    game->tapStep("Up", {GLFW_KEY_UP});
    game->tapStep("Up again: x4", {GLFW_KEY_UP});
    game->step("P2 at x4", 1.0f, [&] {
        EXPECT_EQ(playback->watchedKart(), 1);
        EXPECT_EQ(game->systems->get<Engine>()->stepRate, 4.0f);
        EXPECT_EQ(replayLine(), "Replay  x4  P2");
        game->shoot("replay_p2.png");
        return true;
    });
    game->tapStep("Space pauses", {GLFW_KEY_SPACE});
    game->step("paused", 1.0f, [&] {
        EXPECT_TRUE(playback->isPaused());
        EXPECT_EQ(replayLine(), "Replay  x4  P2  paused");
        return true;
    });
    game->tapStep("Space goes on", {GLFW_KEY_SPACE});
    game->step("the replay's end returns to the title", 60.0f, [&] {
        if (game->current() != menu) {
            return false;
        }
        EXPECT_EQ(game->systems->get<Engine>()->stepRate, 1.0f);
        EXPECT_EQ(progressLines(log, replayFrom), raceLines) << "the same race";
        EXPECT_EQ(savedReplays(folder).size(), 1u) << "watching records nothing";
        return true;
    });
    game->tapStep("Space races again", {GLFW_KEY_SPACE});
    game->step("lap counters reset", 1.0f, [&] {
        if (gameplay->state != RaceFlow::starting) {
            return false;
        }
        EXPECT_EQ(holdings(), firstRaceHoldings) << "watching the replay kept nothing of its own";
        for (const char* kart : {"P1", "P2"}) {
            EXPECT_EQ(props(kart)->lap, 0) << kart;
            EXPECT_EQ(props(kart)->lastCheckpoint, nullptr) << kart;
            EXPECT_EQ(ScriptedGame::text(race, kart == std::string("P1") ? "hud1_lap" : "hud2_lap")->text,
                      "Lap 0/1");
        }
        EXPECT_TRUE(utils->persistentMessages.empty());
        EXPECT_FALSE(gameplay->endScreen->isEnabled());
        return true;
    });
    brightnessStep("comma in the race", GLFW_KEY_COMMA, 1.0f);
    game->tapStep("P pauses", {GLFW_KEY_P});
    game->step("pause screen", 1.0f, [&] {
        EXPECT_TRUE(raceMenu->paused && race->findEntity("helpScreen")->active && pictureHeld("helpScreen"));
        EXPECT_EQ(race->timeScale, 0.0f);
        game->shoot("menu_pause.png");
        return true;
    });
    game->tapStep("P resumes", {GLFW_KEY_P});
    game->step("F2 shows the statistics", 1.0f, [&] {
        EXPECT_FALSE(raceMenu->paused || race->findEntity("helpScreen")->active || pictureHeld("helpScreen"));
        EXPECT_EQ(race->timeScale, 1.0f);
        game->tap(GLFW_KEY_F2);
        // Fewer, longer frames while both views are drawn for the figures.
        game->frameMs = 100;
        game->drawViews = true;
        return true;
    });
    game->step("statistics of drawn frames", 3.0f, [&] {
        if (game->stepTime() < 1.3f) {
            return false;
        }
        EXPECT_TRUE(raceMenu->fpsText->isEnabled());
        EXPECT_EQ(raceMenu->fpsText->text.rfind("FPS ", 0), 0u) << raceMenu->fpsText->text;
        EXPECT_NE(raceMenu->drawCallsText->text.find(" draw calls, "), std::string::npos);
        EXPECT_NE(raceMenu->culledText->text.find(" culled"), std::string::npos);
        EXPECT_NE(raceMenu->drawCallsText->text.rfind("0 draw calls", 0), 0u) << "the views were drawn";
        game->shoot("menu_stats.png");
        game->frameMs = shortFrameMs;
        game->drawViews = false;
        return true;
    });
    game->tapStep("F3 draws wires, F4 turns normal maps off", {GLFW_KEY_F3, GLFW_KEY_F4});
    game->step("wireframe", 1.0f, [&] {
        EXPECT_TRUE(renderer->wireframe);
        EXPECT_FALSE(renderer->normalsEnabled);
        EXPECT_EQ(raceMenu->statusText->text, "normals off");
        game->shoot("menu_wireframe.png");
        return true;
    });
    game->tapStep("F2, F3 and F4 again", {GLFW_KEY_F2, GLFW_KEY_F3, GLFW_KEY_F4});
    game->step("switches back", 1.0f, [&] {
        EXPECT_FALSE(renderer->wireframe || raceMenu->fpsText->isEnabled());
        EXPECT_TRUE(renderer->normalsEnabled);
        EXPECT_EQ(raceMenu->statusText->text, "normals on");
        return true;
    });
    const auto otherSwitches = [&] {
        return std::vector<bool>{renderer->lightmapsEnabled, renderer->shadowsEnabled,
                                 game->systems->get<UI>()->enabled, renderer->cullingEnabled};
    };
    game->tapStep("F5 to F8", {GLFW_KEY_F5, GLFW_KEY_F6, GLFW_KEY_F7, GLFW_KEY_F8});
    game->step("lightmaps, shadows, UI and culling off", 1.0f, [&] {
        EXPECT_EQ(otherSwitches(), std::vector<bool>(4, false));
        EXPECT_EQ(raceMenu->statusText->text, "culling off");
        return true;
    });
    game->tapStep("F5 to F8 again", {GLFW_KEY_F5, GLFW_KEY_F6, GLFW_KEY_F7, GLFW_KEY_F8});
    game->step("and on again", 1.0f, [&] { return otherSwitches() == std::vector<bool>(4, true); });
    game->tapStep("Q to the title", {GLFW_KEY_Q});
    game->step("title current", 1.0f, [&] {
        EXPECT_EQ(game->current(), menu);
        EXPECT_TRUE(menu->isRunning() && !race->isRunning());
        EXPECT_TRUE(pictureHeld("menu") && previewHeld());
        game->shoot("game_title_again.png");
        game->tap(GLFW_KEY_SPACE);
        spaceTime = game->now();
        centreShown.clear();
        return true;
    });
    game->step("the same race again", 1.0f, [&] {
        if (game->current() != race) {
            return false;
        }
        EXPECT_EQ(game->scene("game"), race);
        EXPECT_EQ(gameplay->state, RaceFlow::starting) << "the race starts again";
        EXPECT_EQ(holdings(), firstRaceHoldings)
            << "meshes, textures, materials, named entities, their components as the first race began";
        return true;
    });
    game->step("counting down again", 4.0f, [&] { return centreShown.count("3") != 0; });
    game->step("P1 dropped into the sea", 1.0f, [&] {
        dropIntoTheSea(*race);
        game->drawViews = true;
        return true;
    });
    game->step("splash", 2.0f, [&] {
        ParticleSystem* splash = effects()->splashBurst;
        if (splashTime < 0.0f) {
            // The camera follows to where the kart was put down, until the water takes it.
            race->findEntity("cam0")->getComponent<FollowCamera>()->snapToTarget();
            splashTime = splash->finished ? -1.0f : game->now();
            return false;
        }
        if (game->now() - splashTime <= 0.15f) {
            return false;
        }
        EXPECT_GT(splash->liveCount, 0);
        game->shoot("game_splash.png");
        game->drawViews = false;
        return true;
    });
    game->tapStep("Q to the title again", {GLFW_KEY_Q});
    game->quitStep(GLFW_KEY_Q);

    const bool quitByQ = game->play();
    delete game;

    EXPECT_TRUE(quitByQ);
    EXPECT_EQ(loadingTexts, (std::vector<std::string>{"Loading...", "Press Space to start"}));
    // The first countdown: 3, 2, 1 a second apart from 2 s after Space, then Go!.
    EXPECT_EQ(firstCountdown.size(), 4u);
    for (const auto& [text, time] :
         std::map<std::string, float>{{"3", 2.0f}, {"2", 3.0f}, {"1", 4.0f}, {"Go!", 5.0f}}) {
        EXPECT_NEAR(firstCountdown[text], time, 2.5f * shortFrameMs / 1000.0f) << text;
    }
    EXPECT_NEAR(endScreenTime - resultTime, 1.5f, raceFrameMs / 1000.0f + 0.02f);
    EXPECT_TRUE(flameSeen);
    EXPECT_TRUE(log.at(LogLevel::Error).empty()) << log.at(LogLevel::Error).front();
}

// A wrong assets= path: the window says which folder is missing (in the system
// font, with the built-in UI shaders), and Q quits. Then the track missing and
// the game's own font damaged: the title says the race cannot start, in the
// system font, Space does nothing and Q still quits.
TEST_F(WholeGameTest, AMissingAssetsFolderOrTrackIsNamedOnScreenAndADamagedFontFallsBackToTheSystemOne) {
    TW_REQUIRE_DISPLAY();
    const std::string missing = (folder.dir / "no-such-assets/").string();
    std::ofstream(folder.configPath()) << "[window]\nwidth=" << windowWidth << "\nheight=" << windowHeight
                                       << "\n[dir]\nassets=" << missing << "\n";
    auto* game = new ScriptedGame(folder.configPath());
    std::string shown;
    size_t glyphs = 0;
    game->step("message", 2.0f, [&] {
        Text* message = ScriptedGame::text(game->current(), "missingAssets");
        Text* path = ScriptedGame::text(game->current(), "missingAssetsPath");
        shown = message != nullptr && path != nullptr ? message->text + " " + path->text : "";
        glyphs = message != nullptr && message->font != nullptr ? message->font->getGlyphCount() : 0;
        game->shoot("game_no_assets.png");
        return true;
    });
    game->quitStep(GLFW_KEY_Q);
    EXPECT_TRUE(game->play());
    delete game;
    EXPECT_EQ(shown, "Assets folder not found: " + missing);
    EXPECT_TRUE(log.contains("Using the built-in text shader"));
    EXPECT_GT(glyphs, 90u);
    EXPECT_TRUE(log.contains("Assets folder not found: " + missing));

    folder.writeConfig(windowWidth, windowHeight);
    folder.removeAsset("scenes/Track_01_LM.fbx");
    folder.writeAsset("fonts/Bangers-Regular.ttf", std::string(4096, 'x'));
    log.clear();
    glyphs = 0;
    game = new ScriptedGame(folder.configPath());
    game->step("loading fails", 5.0f, [&] {
        Text* loading = ScriptedGame::text(game->scene("menu"), "loadingText");
        shown = loading != nullptr ? loading->text : "";
        glyphs = loading != nullptr && loading->font != nullptr ? loading->font->getGlyphCount() : 0;
        return loading != nullptr && shown != "Loading...";
    });
    game->tapStep("Space does nothing", {GLFW_KEY_SPACE});
    game->step("still on the title", 1.0f, [&] {
        EXPECT_EQ(game->current(), game->scene("menu"));
        game->shoot("game_no_track.png");
        return true;
    });
    game->quitStep(GLFW_KEY_Q);
    EXPECT_TRUE(game->play());
    delete game;
    EXPECT_EQ(shown, "The race cannot start - press Q to quit");
    EXPECT_TRUE(log.contains("Race scene: the track \"scenes/Track_01_LM.fbx\" could not be loaded"));
    EXPECT_GT(glyphs, 90u);
    EXPECT_TRUE(log.contains("Using the system font /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"));
}
