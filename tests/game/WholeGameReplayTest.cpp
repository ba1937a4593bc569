// Replays in the real game: a one-lap race is saved when it ends, the end screen
// offers it, R plays it with the camera on any kart at any speed, its progress
// lines come out as the race's did, and its end returns to the title; --replay
// with a broken file names it in one line and shows the title; a one-player
// race shows the kept ghost.
#include "GameHarness.h"
#include "RaceDriver.h"

#include "core/runtime/Engine.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Input.h"
#include "core/runtime/Scene.h"
#include "core/runtime/Transform.h"
#include "core/ui/Text.h"
#include "game/Car.h"
#include "game/Checkpoint.h"
#include "game/GhostKart.h"
#include "game/LapRecords.h"
#include "game/RaceFlow.h"
#include "game/RaceProgress.h"
#include "game/RaceSetup.h"
#include "game/ReplayPlayback.h"
#include "game/ReplayRecorder.h"
#include "support/LogCapture.h"
#include "support/TestEngine.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

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

std::vector<fs::path> savedReplays(const ScratchGameFolder& folder) {
    std::vector<fs::path> found;
    const fs::path dir = folder.dir / "data" / "torquewind" / "replays";
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(dir, error)) {
        found.push_back(entry.path());
    }
    return found;
}

TEST(WholeGameReplayTest, TheEndScreenReplaysTheRaceFromAnyKartAndReturnsToTheTitle) {
    TW_REQUIRE_DISPLAY();
    ScratchGameFolder folder("replay");
    folder.writeConfig(320, 200);
    folder.writeAsset("game.ini", "[game]\nnumLaps=1\n");
    LogCapture log;
    auto* game = new ScriptedGame(folder.configPath());
    Scene* race = nullptr;
    Scene* replay = nullptr;
    RaceFlow* gameplay = nullptr;
    ReplayPlayback* playback = nullptr;
    std::vector<RaceDriver> drivers;
    std::vector<std::string> raceLines;
    size_t replayFrom = 0;
    game->everyFrame = [&] {
        for (RaceDriver& driver : drivers) {
            driver.drive(*game->systems->get<Input>(), static_cast<float>(game->frameMs) / 1000.0f);
        }
    };
    game->step("race loads", 5.0f, [&] {
        race = game->scene("game");
        return race != nullptr &&
               ScriptedGame::text(game->scene("menu"), "loadingText")->text == "Press Space to start";
    });
    game->tapStep("Space enters the race", {GLFW_KEY_SPACE});
    game->step("Go!", 7.0f, [&] {
        gameplay = race->findEntity("gameplay")->getComponent<RaceFlow>();
        if (gameplay->state != RaceFlow::racing) {
            return false;
        }
        for (int player = 0; player < 2; ++player) {
            Car* kart = race->findEntity(player == 0 ? "P1" : "P2")->getComponent<Car>();
            drivers.emplace_back(*gameplay, *kart, RaceDriver::playerKeys(player),
                                 player == 0 ? -2.5f : 2.5f);
        }
        game->frameMs = 33;
        return true;
    });
    game->step("race to the end screen", 150.0f, [&] {
        if (gameplay->state != RaceFlow::raceOver) {
            return false;
        }
        for (RaceDriver& driver : drivers) {
            driver.release(*game->systems->get<Input>());
        }
        drivers.clear();
        raceLines = progressLines(log);
        EXPECT_EQ(ScriptedGame::text(race, "replayHint")->text, ReplayRecorder::hintText);
        const std::vector<fs::path> saved = savedReplays(folder);
        EXPECT_EQ(saved.size(), 1u);
        EXPECT_TRUE(log.contains("Replay saved: " + (saved.empty() ? std::string() : saved[0].string())));
        game->frameMs = 16;
        return true;
    });
    game->step("R watches it", 1.0f, [&] {
        replayFrom = log.lines.size();
        game->tap(GLFW_KEY_R);
        return true;
    });
    game->step("the replay runs", 3.0f, [&] {
        replay = game->scene("replay");
        if (replay == nullptr || game->current() != replay) {
            return false;
        }
        playback = replay->findEntity("replay")->getComponent<ReplayPlayback>();
        EXPECT_EQ(ScriptedGame::text(replay, "replayLine")->text, "Replay  x1  P1");
        return true;
    });
    game->tapStep("Right follows P2", {GLFW_KEY_RIGHT});
    game->tapStep("Up twice: x4", {GLFW_KEY_UP});
    game->tapStep("Up", {GLFW_KEY_UP});
    game->step("P2 at x4", 1.0f, [&] {
        EXPECT_EQ(playback->watchedKart(), 1);
        EXPECT_EQ(game->systems->get<Engine>()->stepRate, 4.0f);
        EXPECT_EQ(ScriptedGame::text(replay, "replayLine")->text, "Replay  x4  P2");
        game->shoot("replay_p2.png");
        return true;
    });
    game->tapStep("Space pauses", {GLFW_KEY_SPACE});
    game->step("paused", 1.0f, [&] {
        EXPECT_TRUE(playback->isPaused());
        EXPECT_EQ(ScriptedGame::text(replay, "replayLine")->text, "Replay  x4  P2  paused");
        return true;
    });
    game->tapStep("Space goes on", {GLFW_KEY_SPACE});
    game->step("the replay's end returns to the title", 60.0f, [&] {
        if (game->current() != game->scene("menu")) {
            return false;
        }
        EXPECT_EQ(game->systems->get<Engine>()->stepRate, 1.0f);
        EXPECT_EQ(progressLines(log, replayFrom), raceLines) << "the same race";
        EXPECT_EQ(savedReplays(folder).size(), 1u) << "watching records nothing";
        return true;
    });
    game->quitStep(GLFW_KEY_Q);
    EXPECT_TRUE(game->play());
    delete game;
}

TEST(WholeGameReplayTest, ABrokenReplayFileIsNamedAndTheTitleShows) {
    TW_REQUIRE_DISPLAY();
    ScratchGameFolder folder("badreplay");
    folder.writeConfig(320, 200);
    const std::string broken = (folder.dir / "broken.twreplay").string();
    std::ofstream(broken) << "TWREPLAY\x01";
    LogCapture log;
    auto* game = new ScriptedGame(folder.configPath());
    game->replayFile = broken;
    game->step("the title", 5.0f, [&] {
        EXPECT_EQ(game->current(), game->scene("menu"));
        return ScriptedGame::text(game->scene("menu"), "loadingText")->text == "Press Space to start";
    });
    game->quitStep(GLFW_KEY_Q);
    EXPECT_TRUE(game->play());
    EXPECT_EQ(log.count("Replay " + broken + ": truncated in the version"), 1);
    delete game;
}

// A one-player race with a kept ghost: the ghost sets off from the line when P1
// crosses it and drives on ahead while P1 coasts (the picture "ghost.png").
TEST(WholeGameReplayTest, AOnePlayerRaceShowsTheKeptGhostFromTheLine) {
    TW_REQUIRE_DISPLAY();
    ScratchGameFolder folder("ghost");
    folder.writeConfig(320, 200);
    std::ofstream(folder.configPath(), std::ios::app) << "[race]\nplayers = 1\nai = 0\nlaps = 1\n";
    auto* game = new ScriptedGame(folder.configPath());
    Scene* race = nullptr;
    RaceFlow* gameplay = nullptr;
    GhostKart* ghost = nullptr;
    std::unique_ptr<RaceDriver> driver;
    float crossed = -1.0f;
    game->everyFrame = [&] {
        if (driver != nullptr) {
            driver->drive(*game->systems->get<Input>(), static_cast<float>(game->frameMs) / 1000.0f);
        }
    };
    game->step("race loads", 5.0f, [&] {
        race = game->scene("game");
        if (race == nullptr ||
            ScriptedGame::text(game->scene("menu"), "loadingText")->text != "Press Space to start") {
            return false;
        }
        gameplay = race->findEntity("gameplay")->getComponent<RaceFlow>();
        ghost = race->findEntity("ghost")->getComponent<GhostKart>();
        // A kept lap from the line to the next checkpoint, facing the way the kart does.
        const glm::vec3 from =
            gameplay->checkpoints[0]->entity->getComponent<Transform>()->getWorldPosition();
        const glm::vec3 to = gameplay->checkpoints[1]->entity->getComponent<Transform>()->getWorldPosition();
        Transform* kart = race->findEntity("P1")->getComponent<Transform>();
        GhostLap lap;
        lap.track = RaceSetup().track;
        lap.lapTime = 10.0f;
        for (int i = 0; i <= 300; ++i) {
            const glm::vec3 at = glm::mix(from, to, static_cast<float>(i) / 300.0f);
            lap.samples.push_back({{at.x, kart->getWorldPosition().y, at.z}, kart->getGlobalRotation()});
        }
        EXPECT_TRUE(lap.save(GhostLap::pathBeside(LapRecords::defaultPath(), lap.track)));
        return true;
    });
    game->tapStep("Space enters the race", {GLFW_KEY_SPACE});
    game->step("Go!", 7.0f, [&] {
        if (gameplay->state != RaceFlow::racing) {
            return false;
        }
        EXPECT_FALSE(ghost->isShown()) << "not before the line";
        Car* kart = race->findEntity("P1")->getComponent<Car>();
        driver = std::make_unique<RaceDriver>(*gameplay, *kart, RaceDriver::playerKeys(0), 0.0f);
        return true;
    });
    game->step("P1 crosses the line", 20.0f, [&] {
        if (race->findEntity("P1")->getComponent<RaceProgress>()->lap < 1) {
            return false;
        }
        driver->release(*game->systems->get<Input>());
        driver.reset();
        crossed = game->now();
        return true;
    });
    game->step("the ghost drives on ahead", 3.0f, [&] {
        game->drawViews = true;
        if (game->now() - crossed < 1.5f) {
            return false;
        }
        EXPECT_TRUE(ghost->isShown());
        game->shoot("ghost.png");
        game->drawViews = false;
        return true;
    });
    game->tapStep("Q to the title", {GLFW_KEY_Q});
    game->quitStep(GLFW_KEY_Q);
    EXPECT_TRUE(game->play());
    delete game;
}

} // namespace
