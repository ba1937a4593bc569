// The title's race setup in the real Game: the setup rows, the attract race
// after half a minute without a key, then one player against an AI kart chosen
// with the arrows, saved in config.ini and raced for a lap behind a kept ghost
// that sets off from the line with P1, the results table and the best lap kept
// in the player's data folder and shown on the title.
#include "GameHarness.h"

#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/Transform.h"
#include "core/ui/Text.h"
#include "game/AiDriver.h"
#include "game/Car.h"
#include "game/Checkpoint.h"
#include "game/GhostKart.h"
#include "game/LapRecords.h"
#include "game/RaceFlow.h"
#include "game/RaceProgress.h"
#include "game/RaceSetup.h"
#include "game/TitleScreen.h"
#include "support/LogCapture.h"
#include "support/TestEngine.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::string rowText(ScriptedGame& game, int row) {
    Text* text = ScriptedGame::text(game.scene("menu"), "setupRow" + std::to_string(row));
    return text != nullptr ? text->text : "";
}

TEST(SetupGameTest, MenuAttractModeAndOnePlayerAgainstTheComputer) {
    TW_REQUIRE_DISPLAY();
    ScratchGameFolder folder("setup");
    folder.writeConfig(640, 400);
    LogCapture log;
    auto* game = new ScriptedGame(folder.configPath());
    folder.writeAsset("game.ini", "[game]\nnumLaps=1\n");
    Scene* race = nullptr;
    RaceFlow* gameplay = nullptr;
    float raceStart = 0.0f;
    float crossed = 0.0f;
    game->step("title ready", 10.0f, [&] {
        if (!game->titleReady()) {
            return false;
        }
        // The track row is chosen first when there is a choice of tracks.
        EXPECT_EQ(rowText(*game, 0), "Players  2");
        EXPECT_EQ(rowText(*game, 1), "AI karts  0");
        EXPECT_EQ(rowText(*game, 3), "AI skill  medium");
        game->shoot("setup_title.png");
        game->frameMs = 100;
        // A kept lap from the line to the next checkpoint, facing the way P1 does.
        Scene* loaded = game->scene("game");
        const auto* flow = loaded->findEntity("gameplay")->getComponent<RaceFlow>();
        const glm::vec3 from = flow->checkpoints[0]->entity->getComponent<Transform>()->getWorldPosition();
        const glm::vec3 to = flow->checkpoints[1]->entity->getComponent<Transform>()->getWorldPosition();
        Transform* kart = loaded->findEntity("P1")->getComponent<Transform>();
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
    game->step("attract race after half a minute", 40.0f, [&] {
        Scene* attract = game->scene("attract");
        if (attract == nullptr || game->current() != attract) {
            return false;
        }
        const RaceFlow* gameplay = attract->findEntity("gameplay")->getComponent<RaceFlow>();
        EXPECT_EQ(gameplay->humanPlayers, 0);
        for (Entity* kart : gameplay->karts) {
            EXPECT_NE(kart->getComponent<AiDriver>(), nullptr);
        }
        return true;
    });
    game->step("the attract race drives", 12.0f, [&] {
        game->drawViews = game->stepTime() > 9.5f;
        if (game->stepTime() < 10.0f) {
            return false;
        }
        game->shoot("setup_attract.png");
        game->frameMs = 16;
        game->tap(GLFW_KEY_X);
        return true;
    });
    game->step("a key ends it", 1.0f, [&] { return game->current() == game->scene("menu"); });
    game->tapStep("players row", {GLFW_KEY_DOWN});
    game->tapStep("one player", {GLFW_KEY_LEFT});
    game->tapStep("AI row", {GLFW_KEY_DOWN});
    game->tapStep("one AI kart", {GLFW_KEY_RIGHT});
    game->step("menu shows it", 1.0f, [&] {
        EXPECT_EQ(rowText(*game, 0), "Players  1");
        EXPECT_EQ(rowText(*game, 1), "< AI karts  1 >");
        game->tap(GLFW_KEY_SPACE);
        return true;
    });
    game->step("the chosen race loads and starts", 10.0f, [&] {
        race = game->scene("game");
        if (game->current() != race) {
            return false;
        }
        raceStart = game->now();
        EXPECT_EQ(race->findEntity("gameplay")->getComponent<RaceFlow>()->karts.size(), 2u);
        std::ostringstream config;
        config << std::ifstream(folder.configPath()).rdbuf();
        EXPECT_NE(config.str().find("[race]\nplayers = 1\nai = 1\n"), std::string::npos) << config.str();
        EXPECT_NE(config.str().find("[window]"), std::string::npos);
        return true;
    });
    game->step("the AI kart sets off", 12.0f, [&] {
        game->drawViews = game->now() - raceStart > 7.5f;
        if (game->now() - raceStart < 8.0f) {
            return false;
        }
        EXPECT_GT(race->findEntity("P2")->getComponent<Car>()->speed, 5.0f);
        EXPECT_FALSE(race->findEntity("ghost")->getComponent<GhostKart>()->isShown())
            << "not before the line";
        game->shoot("setup_one_player.png");
        gameplay = race->findEntity("gameplay")->getComponent<RaceFlow>();
        game->startDriving(1);
        game->frameMs = 48;
        game->drawViews = false;
        return true;
    });
    // P1 coasts a moment from the line, so that the ghost drives on ahead in the picture.
    game->step("P1 crosses the line", 20.0f, [&] {
        crossed = game->now();
        if (race->findEntity("P1")->getComponent<RaceProgress>()->lap < 1) {
            return false;
        }
        game->stopDriving();
        return true;
    });
    game->step("the ghost drives on ahead", 3.0f, [&] {
        game->drawViews = game->now() - crossed > 1.2f;
        if (game->now() - crossed < 1.5f) {
            return false;
        }
        EXPECT_TRUE(race->findEntity("ghost")->getComponent<GhostKart>()->isShown());
        game->shoot("ghost.png");
        game->drawViews = false;
        game->startDriving(1);
        return true;
    });
    game->step("one lap each, then the results", 150.0f, [&] {
        if (gameplay->state != RaceFlow::raceOver) {
            return false;
        }
        game->stopDriving();
        game->drawViews = true;
        return true;
    });
    game->step("results table", 1.0f, [&] {
        const Text* first = ScriptedGame::text(race, "results1_1");
        const Text* second = ScriptedGame::text(race, "results2_1");
        if (first == nullptr || second == nullptr) {
            ADD_FAILURE() << "no results table";
            return true;
        }
        // The AI kart is quicker than the tests' driver.
        EXPECT_EQ(first->text, "P2 (AI)");
        EXPECT_EQ(second->text, "P1");
        EXPECT_NE(ScriptedGame::text(race, "results2_3")->text, "--") << "P1's best lap";
        EXPECT_TRUE(first->entity->active);
        game->shoot("setup_results.png");
        game->drawViews = false;
        game->frameMs = 16;
        return true;
    });
    game->tapStep("back to the title", {GLFW_KEY_Q});
    game->step("the title shows the best lap", 2.0f, [&] {
        if (game->current() != game->scene("menu")) {
            return false;
        }
        Text* track = ScriptedGame::text(game->scene("menu"), "trackBest");
        EXPECT_NE(track->text.find("Best lap  "), std::string::npos) << track->text;
        std::ostringstream records;
        records << std::ifstream(folder.dir / "data" / "torquewind" / "records.ini").rdbuf();
        EXPECT_EQ(records.str().rfind("[laps]\nscenes/Track_01_LM.fbx = ", 0), 0u) << records.str();
        game->shoot("setup_title_record.png");
        return true;
    });
    game->quitStep(GLFW_KEY_Q);
    EXPECT_TRUE(game->play());
    delete game;
}

} // namespace
