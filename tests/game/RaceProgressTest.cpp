// Checkpoint discovery and the lap rules, on a row of checkpoint triggers that
// a small kart body is moved through, so the real trigger events drive them.
#include "RaceWorld.h"

#include "core/ui/Text.h"
#include "core/ui/Transform2D.h"
#include "game/LapCounter.h"
#include "game/RaceScene.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

glm::vec3 checkpointPosition(int n) {
    return glm::vec3(20.0f * static_cast<float>(n), 0.0f, 0.0f);
}

class RaceProgressTest : public ::testing::Test, protected RaceWorld {
protected:
    // A node with a "_BC_TR_" child carrying the trigger's size, as the track file gives it.
    void addGate(const std::string& name, const glm::vec3& position) {
        auto* place = scene->createEntity(name)->addComponent<Transform>();
        place->setPosition(position);
        auto* box = scene->createEntity(name + "_BC_TR_")->addComponent<Transform>();
        box->setParent(place);
        box->setScale(glm::vec3(2.0f));
    }

    // Checkpoint triggers 20 m apart along +X.
    void buildCheckpoints(const std::vector<int>& numbers) {
        for (const int n : numbers) {
            addGate("Checkpoint-" + std::to_string(n), checkpointPosition(n));
        }
        RaceSceneBuilder::applyMarkers(*scene);
        RaceSceneBuilder::findCheckpoints(*scene, *gameplay);
        step();
    }

    RaceProgress* kart(const std::string& name, unsigned player) {
        return addKart(name, player, glm::vec3(0.0f, 0.0f, 100.0f))->getComponent<RaceProgress>();
    }

    void moveTo(RaceProgress* race, const glm::vec3& position) {
        place(static_cast<int>(race->playerIndex), position, glm::quat(1, 0, 0, 0));
        steps(2);
    }

    // Drives through each checkpoint in turn: in, then out again beside the row.
    void touch(RaceProgress* race, const std::vector<int>& numbers) {
        for (const int n : numbers) {
            moveTo(race, checkpointPosition(n));
            moveTo(race, checkpointPosition(n) + glm::vec3(10.0f, 0.0f, 30.0f));
        }
    }
};

// Gaps in the numbers and a checkpoint without its trigger are named in a
// warning, and the laps still count over the checkpoints that exist, in order.
TEST_F(RaceProgressTest, CheckpointsAreFoundByNumberFromZeroToNineteenAndGapsStillMakeALap) {
    scene->createEntity("Checkpoint-2")->addComponent<Transform>()->setPosition(checkpointPosition(2));
    LogCapture log;
    buildCheckpoints({3, 0, 19, 1, 20});
    ASSERT_EQ(gameplay->checkpoints.size(), 4u);
    const int expected[] = {0, 1, 3, 19};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(gameplay->checkpoints[i]->entity->name, "Checkpoint-" + std::to_string(expected[i]));
    }
    EXPECT_EQ(scene->findEntity("Checkpoint-20")->getComponent<Checkpoint>(), nullptr);
    EXPECT_TRUE(log.contains("Track: Checkpoint-2 has no trigger; the race leaves it out"));
    EXPECT_TRUE(log.contains(
        "Track: Checkpoint-3 follows Checkpoint-1; the race counts the checkpoints that exist, in order"));
    EXPECT_TRUE(log.contains(
        "Track: Checkpoint-19 follows Checkpoint-3; the race counts the checkpoints that exist, in order"));

    RaceProgress* race = kart("P1", 0);
    touch(race, {0, 1, 3, 19, 0});
    EXPECT_EQ(race->lap, 2);
}

TEST_F(RaceProgressTest, LapsCountAtTheLineAfterEveryCheckpointInOrderUntilTheKartFinishes) {
    buildCheckpoints({0, 1, 2, 3});
    RaceProgress* race = kart("P1", 0);
    Entity* hud = scene->createEntity("hud");
    hud->addComponent<Transform2D>();
    auto* lapText = hud->addComponent<Text>();
    hud->addComponent<LapCounter>()->raceProps = race;
    FinishLog listener;
    subscribe(race->onFinished, &listener, &FinishLog::finished);
    LogCapture log;

    touch(race, {0});
    EXPECT_EQ(race->lap, 1);
    EXPECT_FALSE(log.contains("P1, checkpoint #0")) << "the starting touch counts no checkpoint";
    EXPECT_EQ(lapText->text, "Lap 1/3");

    touch(race, {1, 2, 3, 0});
    EXPECT_EQ(race->lap, 2);
    EXPECT_EQ(texts("Lap #2").size(), 1u);
    EXPECT_EQ(lapText->text, "Lap 2/3");

    touch(race, {1, 2, 3, 0, 1, 2, 3, 0});
    EXPECT_EQ(race->lap, 4);
    EXPECT_EQ(listener.players, std::vector<unsigned>{0}) << "announced once, at the end of lap 3";
    EXPECT_TRUE(texts("Lap #4").empty()) << "a finished kart gets no lap message";
    EXPECT_EQ(lapText->text, "Lap 3/3");

    // Driving on, every further pass of the line announces again; the display stays at the last lap.
    touch(race, {1, 2, 3, 0});
    EXPECT_EQ(listener.players, (std::vector<unsigned>{0, 0}));
    EXPECT_EQ(lapText->text, "Lap 3/3");
}

TEST_F(RaceProgressTest, SkippedRepeatedAndBackwardCheckpointsCountNothing) {
    buildCheckpoints({0, 1, 2, 3});
    // A trigger that is no checkpoint.
    addGate("Gate", glm::vec3(0.0f, 0.0f, -30.0f));
    RaceSceneBuilder::applyMarkers(*scene);
    RaceProgress* race = kart("P1", 0);
    LogCapture log;

    touch(race, {0, 2, 0});
    moveTo(race, glm::vec3(0.0f, 0.0f, -30.0f));
    EXPECT_EQ(race->lastCheckpoint, gameplay->checkpoints[0]);
    EXPECT_FALSE(log.contains("P1, checkpoint #2"));

    touch(race, {1, 1, 0});
    EXPECT_EQ(race->lastCheckpoint, gameplay->checkpoints[1])
        << "driving back through the line counts nothing";
    EXPECT_EQ(log.count("P1, checkpoint #1"), 1);
    EXPECT_EQ(race->lap, 1);
}

TEST_F(RaceProgressTest, TheFirstTouchAnywhereStartsLapOneThere) {
    buildCheckpoints({0, 1, 2, 3, 4, 5});
    RaceProgress* race = kart("P2", 1);
    LogCapture log;
    touch(race, {3});
    EXPECT_EQ(race->lap, 1);
    EXPECT_EQ(race->lastCheckpoint, gameplay->checkpoints[3]);
    touch(race, {1, 4, 5, 0});
    EXPECT_FALSE(log.contains("P2, checkpoint #1"));
    EXPECT_TRUE(log.contains("P2, checkpoint #5"));
    EXPECT_TRUE(log.contains("P2, lap #2"));
    EXPECT_EQ(race->lap, 2);
}

TEST_F(RaceProgressTest, WithOneCheckpointEveryPassIsALapAndPlayerTwoFinishesAsTwo) {
    buildCheckpoints({0});
    gameplay->numLaps = 2;
    RaceProgress* race = kart("P2", 1);
    FinishLog listener;
    subscribe(race->onFinished, &listener, &FinishLog::finished);
    LogCapture log;
    touch(race, {0, 0, 0});
    EXPECT_EQ(race->lap, 3);
    EXPECT_EQ(log.count("P2, checkpoint #0"), 2);
    EXPECT_TRUE(log.contains("P2, lap #3"));
    EXPECT_EQ(listener.players, std::vector<unsigned>{1});
}

} // namespace
