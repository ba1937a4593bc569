// Checkpoint discovery and the lap rules, on a row of checkpoint triggers that
// a small kart body is moved through, so the real trigger events drive them.
#include "core/physics/CollisionShape.h"
#include "core/physics/Physics.h"
#include "core/physics/RigidBodyDynamic.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/ResourceLoader.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/runtime/Transform.h"
#include "core/ui/Text.h"
#include "core/ui/Transform2D.h"
#include "game/Checkpoint.h"
#include "game/Gameplay.h"
#include "game/LapCounter.h"
#include "game/RaceProps.h"
#include "game/RaceSceneBuilder.h"
#include "game/SceneUtils.h"
#include "support/LogCapture.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct FinishListener {
    void finished(unsigned player) { players.push_back(player); }
    std::vector<unsigned> players;
};

class RaceProgressTest : public ::testing::Test {
protected:
    RaceProgressTest() : engine(testConfig(), false) {
        engine.systems->add<ResourceLoader>()->baseDir = TW_ASSETS_DIR;
        engine.systems->add<ResourceCache>();
        engine.systems->add<Physics>();
        engine.systems->add<SceneManager>();
        scene = engine.get<SceneManager>()->createScene("game");
    }

    // Checkpoint triggers 20 m apart along +X, as the track file gives them: a
    // node per checkpoint with a "_BC_TR_" child carrying the trigger's size.
    void buildCheckpoints(const std::vector<int>& numbers) {
        for (const int n : numbers) {
            const std::string name = "Checkpoint-" + std::to_string(n);
            Entity* checkpoint = scene->createEntity(name);
            auto* place = checkpoint->addComponent<Transform>();
            place->setPosition(checkpointPosition(n));
            Entity* trigger = scene->createEntity(name + "_BC_TR_");
            auto* box = trigger->addComponent<Transform>();
            box->setParent(place);
            box->setScale(glm::vec3(2.0f));
        }
        RaceSceneBuilder::applyMarkers(*scene);
        Entity* holder = scene->createEntity("gameplay");
        utils = holder->addComponent<SceneUtils>();
        gameplay = holder->addComponent<Gameplay>();
        RaceSceneBuilder::findCheckpoints(*scene, *gameplay);
        step();
    }

    RaceProps* addKart(const std::string& name, unsigned player) {
        Entity* kart = scene->createEntity(name);
        kart->addComponent<Transform>()->setPosition(glm::vec3(0.0f, 0.0f, 100.0f));
        auto* body = kart->addComponent<RigidBodyDynamic>();
        body->addCollisionShape()->setBox(1.0f, 1.0f, 1.0f);
        auto* race = kart->addComponent<RaceProps>();
        race->playerIndex = player;
        return race;
    }

    static glm::vec3 checkpointPosition(int n) {
        return glm::vec3(20.0f * static_cast<float>(n), 0.0f, 0.0f);
    }

    void step(int count = 1) {
        for (int i = 0; i < count; ++i) {
            scene->fixedUpdate(1.0f / 60.0f);
            scene->update(1.0f / 60.0f);
            scene->lateUpdate(1.0f / 60.0f);
        }
    }

    void moveTo(RaceProps* race, const glm::vec3& position) {
        auto* body = race->entity->getComponent<RigidBodyDynamic>();
        body->teleport(position, glm::quat(1.0f, 0.0f, 0.0f, 0.0f));
        body->setLinearVelocity(glm::vec3(0.0f));
        step(2);
    }

    // Drives through checkpoint n: in, then out again beside the row.
    void touch(RaceProps* race, int n) {
        moveTo(race, checkpointPosition(n));
        moveTo(race, checkpointPosition(n) + glm::vec3(10.0f, 0.0f, 30.0f));
    }

    void touchAll(RaceProps* race, const std::vector<int>& numbers) {
        for (const int n : numbers) {
            touch(race, n);
        }
    }

    int messages(const std::string& text) const {
        int count = 0;
        for (const auto& entity : scene->getEntities()) {
            if (const auto* label = entity->getComponent<Text>(); label != nullptr && label->text == text) {
                ++count;
            }
        }
        return count;
    }

    TestEngine engine;
    Scene* scene = nullptr;
    Gameplay* gameplay = nullptr;
    SceneUtils* utils = nullptr;
};

TEST_F(RaceProgressTest, CheckpointsAreFoundByNumberFromZeroToNineteen) {
    buildCheckpoints({3, 0, 19, 1, 20});
    ASSERT_EQ(gameplay->checkpoints.size(), 4u);
    const int expected[] = {0, 1, 3, 19};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(gameplay->checkpoints[i]->index, expected[i]);
        EXPECT_EQ(gameplay->checkpoints[i]->entity->name, "Checkpoint-" + std::to_string(expected[i]));
    }
    EXPECT_EQ(scene->findEntity("Checkpoint-20")->getComponent<Checkpoint>(), nullptr);
}

TEST_F(RaceProgressTest, LapsCountAtTheLineAfterEveryCheckpointInOrderUntilTheKartFinishes) {
    buildCheckpoints({0, 1, 2, 3});
    RaceProps* race = addKart("P1", 0);
    Entity* hud = scene->createEntity("hud");
    hud->addComponent<Transform2D>();
    auto* lapText = hud->addComponent<Text>();
    hud->addComponent<LapCounter>()->raceProps = race;
    FinishListener listener;
    subscribe(race->onFinished, &listener, &FinishListener::finished);
    LogCapture log;

    touch(race, 0);
    EXPECT_EQ(race->lap, 1);
    EXPECT_EQ(race->lastCheckpoint, gameplay->checkpoints[0]);
    EXPECT_FALSE(log.contains("P1, checkpoint #0")) << "the starting touch counts no checkpoint";
    EXPECT_EQ(lapText->text, "Lap 1/3");

    touchAll(race, {1, 2, 3, 0});
    EXPECT_EQ(race->lap, 2);
    const int first = log.indexOf("P1, checkpoint #1");
    ASSERT_GE(first, 0);
    EXPECT_LT(first, log.indexOf("P1, checkpoint #2"));
    EXPECT_LT(log.indexOf("P1, checkpoint #2"), log.indexOf("P1, checkpoint #3"));
    EXPECT_LT(log.indexOf("P1, checkpoint #3"), log.indexOf("P1, checkpoint #0"));
    EXPECT_EQ(log.indexOf("P1, checkpoint #0") + 1, log.indexOf("P1, lap #2"));
    EXPECT_EQ(messages("Lap #2"), 1);
    EXPECT_EQ(lapText->text, "Lap 2/3");

    touchAll(race, {1, 2, 3, 0});
    EXPECT_EQ(lapText->text, "Lap 3/3");
    EXPECT_TRUE(listener.players.empty());
    touchAll(race, {1, 2, 3, 0});
    EXPECT_EQ(race->lap, 4);
    EXPECT_EQ(listener.players, std::vector<unsigned>{0});
    EXPECT_EQ(messages("Lap #4"), 0) << "a finished kart gets no lap message";
    EXPECT_EQ(lapText->text, "Lap 3/3");

    // Driving on, every further pass of the line announces again; the display stays at the last lap.
    touchAll(race, {1, 2, 3, 0});
    EXPECT_EQ(listener.players, (std::vector<unsigned>{0, 0}));
    EXPECT_EQ(lapText->text, "Lap 3/3");

    // The lap messages go after 3 s.
    step(200);
    EXPECT_EQ(messages("Lap #2") + messages("Lap #3"), 0);
}

TEST_F(RaceProgressTest, SkippedRepeatedAndBackwardCheckpointsCountNothing) {
    buildCheckpoints({0, 1, 2, 3});
    Entity* gate = scene->createEntity("Gate");
    gate->addComponent<Transform>()->setPosition(glm::vec3(0.0f, 0.0f, -30.0f));
    Entity* gateBox = scene->createEntity("Gate_BC_TR_");
    gateBox->addComponent<Transform>()->setParent(gate->getComponent<Transform>());
    gateBox->getComponent<Transform>()->setScale(glm::vec3(2.0f));
    RaceSceneBuilder::applyMarkers(*scene);
    RaceProps* race = addKart("P1", 0);
    LogCapture log;

    touch(race, 0);
    touch(race, 2);
    touch(race, 0);
    moveTo(race, glm::vec3(0.0f, 0.0f, -30.0f));
    EXPECT_EQ(race->lastCheckpoint, gameplay->checkpoints[0]);
    EXPECT_FALSE(log.contains("P1, checkpoint #2"));

    touchAll(race, {1, 1, 0});
    EXPECT_EQ(race->lastCheckpoint, gameplay->checkpoints[1])
        << "driving back through the line counts nothing";
    EXPECT_EQ(log.count("P1, checkpoint #1"), 1);
    EXPECT_EQ(race->lap, 1);
}

TEST_F(RaceProgressTest, TheFirstTouchAnywhereStartsLapOneThere) {
    buildCheckpoints({0, 1, 2, 3, 4, 5});
    RaceProps* race = addKart("P2", 1);
    LogCapture log;
    touch(race, 3);
    EXPECT_EQ(race->lap, 1);
    EXPECT_EQ(race->lastCheckpoint, gameplay->checkpoints[3]);
    touchAll(race, {1, 4, 5, 0});
    EXPECT_FALSE(log.contains("P2, checkpoint #1"));
    EXPECT_TRUE(log.contains("P2, checkpoint #5"));
    EXPECT_TRUE(log.contains("P2, lap #2"));
    EXPECT_EQ(race->lap, 2);
    // Player 2's messages sit in the lower half of the window.
    for (const auto& entity : scene->getEntities()) {
        if (const auto* label = entity->getComponent<Text>(); label != nullptr && label->text == "Lap #2") {
            EXPECT_EQ(entity->getComponent<Transform2D>()->getPosition(), glm::vec2(0.5f, 0.75f));
            EXPECT_EQ(glm::vec3(label->color), glm::vec3(1.0f));
        }
    }
}

TEST_F(RaceProgressTest, WithOneCheckpointEveryPassIsALapAndPlayerTwoFinishesAsTwo) {
    buildCheckpoints({0});
    gameplay->numLaps = 2;
    RaceProps* race = addKart("P2", 1);
    FinishListener listener;
    subscribe(race->onFinished, &listener, &FinishListener::finished);
    LogCapture log;
    touchAll(race, {0, 0, 0});
    EXPECT_EQ(race->lap, 3);
    EXPECT_EQ(log.count("P2, checkpoint #0"), 2);
    EXPECT_TRUE(log.contains("P2, lap #3"));
    EXPECT_EQ(listener.players, std::vector<unsigned>{1});
}

} // namespace
