// One race through Gameplay: start poses, a restart during the countdown, the
// first finisher's result, the end screen and the restart. The countdown itself
// is timed by the whole-game test.
#include "RaceWorld.h"

#include "core/ui/Text.h"
#include "core/ui/Transform2D.h"
#include "core/ui/UITex.h"
#include "game/UiLayers.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using Shown = std::map<std::string, float>;

class RaceFlowTest : public ::testing::Test, protected RaceWorld {
protected:
    RaceFlowTest() { addBoxRace(); }

    // Runs frames for seconds and returns when each centre message first showed, from now.
    Shown centreMessages(float seconds) {
        Shown shown;
        const float begin = now();
        while (now() - begin < seconds) {
            frame();
            for (const auto& entity : scene->getEntities()) {
                if (auto* text = entity->getComponent<Text>(); text != nullptr && text->layer == uiLayer::centreMessage) {
                    shown.emplace(text->text, now() - begin);
                }
            }
        }
        return shown;
    }

    const Text* persistentMessage(const std::string& text) const {
        for (Entity* message : utils->persistentMessages) {
            if (auto* label = message->getComponent<Text>(); label != nullptr && label->text == text) {
                return label;
            }
        }
        return nullptr;
    }
};

} // namespace

TEST_F(RaceFlowTest, RestartDuringTheCountdownCountsOnceFromTheStart) {
    gameplay->startRace();
    run(2.5f);
    gameplay->startRace();
    // The first race's "3" is still fading out; its "2", due 0.5 s later, must never come.
    const Shown shown = centreMessages(5.3f);
    for (const auto& [text, time] : Shown{{"2", 3.0f}, {"1", 4.0f}, {"Go!", 5.0f}}) {
        ASSERT_EQ(shown.count(text), 1u) << text;
        EXPECT_NEAR(shown.at(text), time, 0.04f) << text;
    }
}

TEST_F(RaceFlowTest, KartsGoBackToWhereTheRaceWasBuilt) {
    body(0).teleport({40.0f, 5.0f, 40.0f}, glm::quat(1, 0, 0, 0));
    gameplay->startRace();
    run(0.2f);
    const glm::vec3 at = transform(0).getWorldPosition();
    EXPECT_NEAR(at.x, -3.0f, 0.01f);
    EXPECT_NEAR(at.z, 0.0f, 0.01f);
}

TEST_F(RaceFlowTest, FirstFinisherWinsTheOtherLosesAndTheEndScreenFollows) {
    gameplay->startRace();
    run(5.2f);
    // Both karts over the line on the same step: the first announcement counts.
    fire(race(1).onFinished, 1u);
    fire(race(0).onFinished, 0u);
    const Text* win = persistentMessage("You win!");
    const Text* lose = persistentMessage("You loose!");
    ASSERT_NE(win, nullptr);
    ASSERT_NE(lose, nullptr);
    EXPECT_EQ(utils->persistentMessages.size(), 2u);
    EXPECT_FLOAT_EQ(win->entity->getComponent<Transform2D>()->getPosition().y, 0.75f) << "player 2's half";
    EXPECT_FLOAT_EQ(lose->entity->getComponent<Transform2D>()->getPosition().y, 0.25f);
    EXPECT_TRUE(gameplay->finished[1]);
    EXPECT_FALSE(gameplay->finished[0]);

    // Still driving, with the results up, for a moment.
    run(1.4f);
    EXPECT_TRUE(car(0).controlsEnabled);
    EXPECT_FALSE(utils->endScreen->isEnabled());
    run(0.15f);
    EXPECT_EQ(gameplay->state, Gameplay::raceOver);
    EXPECT_TRUE(utils->endScreen->isEnabled());
    EXPECT_FALSE(car(0).controlsEnabled || car(1).controlsEnabled);
}

TEST_F(RaceFlowTest, SpaceRestartsOnlyOnceTheRaceIsOverAndResetsTheLaps) {
    gameplay->startRace();
    run(3.0f);
    tap(GLFW_KEY_SPACE);
    run(2.5f);
    EXPECT_EQ(gameplay->state, Gameplay::racing) << "Space during the countdown does nothing";

    race(0).lap = 4;
    race(0).lastCheckpoint = gameplay->checkpoints.front();
    fire(race(0).onFinished, 0u);
    run(2.0f);
    ASSERT_EQ(gameplay->state, Gameplay::raceOver);

    tap(GLFW_KEY_SPACE);
    EXPECT_EQ(gameplay->state, Gameplay::starting);
    EXPECT_EQ(race(0).lap, 0);
    EXPECT_EQ(race(0).lastCheckpoint, nullptr);
    EXPECT_TRUE(utils->persistentMessages.empty());
    EXPECT_FALSE(utils->endScreen->isEnabled());
    EXPECT_FALSE(gameplay->finished[0]);
}
