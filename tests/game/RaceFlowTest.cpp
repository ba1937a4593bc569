// One race through RaceFlow: start poses, a restart during the countdown, karts
// finishing on the same step and Space on the end screen racing again. The
// countdown and the result as a player sees them are checked by the whole-game test.
#include "RaceWorld.h"

#include "core/ui/Text.h"
#include "core/ui/Transform2D.h"
#include "game/UiLayers.h"
#include "support/LogCapture.h"

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
                if (auto* text = entity->getComponent<Text>();
                    text != nullptr && text->layer == uiLayer::centreMessage) {
                    shown.emplace(text->text, now() - begin);
                }
            }
        }
        return shown;
    }
};

} // namespace

TEST_F(RaceFlowTest, RestartDuringTheCountdownCountsOnceFromTheStartWhereTheRaceWasBuilt) {
    gameplay->startRace();
    run(2.5f);
    body(0).teleport({40.0f, 5.0f, 40.0f}, glm::quat(1, 0, 0, 0));
    gameplay->startRace();
    run(0.2f);
    const glm::vec3 at = transform(0).getWorldPosition();
    EXPECT_NEAR(at.x, -3.0f, 0.01f);
    EXPECT_NEAR(at.z, 0.0f, 0.01f);
    // The first race's "3" is still fading out; its "2", due 0.5 s later, must never come.
    const Shown shown = centreMessages(5.1f);
    for (const auto& [text, time] : Shown{{"2", 2.8f}, {"1", 3.8f}, {"Go!", 4.8f}}) {
        ASSERT_EQ(shown.count(text), 1u) << text;
        EXPECT_NEAR(shown.at(text), time, 0.04f) << text;
    }
}

TEST_F(RaceFlowTest, OfTwoFinishersOnOneStepTheFirstAnnouncedWinsAndSpaceClearsTheResult) {
    gameplay->startRace();
    run(5.2f);
    fire(race(1).onFinished, 1u);
    fire(race(0).onFinished, 0u);
    const std::vector<Text*> win = texts("You win!");
    ASSERT_EQ(win.size(), 1u);
    EXPECT_EQ(texts("You loose!").size(), 1u);
    EXPECT_EQ(utils->persistentMessages.size(), 2u);
    EXPECT_FLOAT_EQ(win[0]->entity->getComponent<Transform2D>()->getPosition().y, 0.75f) << "player 2's half";
    EXPECT_TRUE(gameplay->finished[1]);
    EXPECT_FALSE(gameplay->finished[0]);

    run(2.0f);
    ASSERT_EQ(gameplay->state, RaceFlow::raceOver);
    tap(GLFW_KEY_SPACE);
    EXPECT_EQ(gameplay->state, RaceFlow::starting);
    EXPECT_FALSE(gameplay->finished[1]);
}

TEST_F(RaceFlowTest, AgainstTheComputerEveryFinishIsPlacedAndTimedAndThePlayerEndsTheRace) {
    gameplay->setKarts(gameplay->karts, 1);
    gameplay->startRace();
    run(5.2f);
    ASSERT_EQ(gameplay->state, RaceFlow::racing);
    run(57.0f);
    LogCapture log;
    race(1).finishTime = gameplay->raceTime;
    fire(race(1).onFinished, 1u);
    EXPECT_EQ(gameplay->positions[1], 1);
    EXPECT_TRUE(texts("You win!").empty()) << "only the two-player race says so";
    run(2.0f);
    EXPECT_EQ(gameplay->state, RaceFlow::racing) << "the player has not finished yet";
    race(0).finishTime = gameplay->raceTime;
    fire(race(0).onFinished, 0u);
    EXPECT_EQ(texts("2nd / 2").size(), 1u);
    std::vector<std::string> finishes;
    for (const LoggedLine& line : log.lines) {
        if (line.text.find(" finished, position ") != std::string::npos) {
            finishes.push_back(line.text.substr(0, line.text.size() - 2));
        }
    }
    EXPECT_EQ(finishes, (std::vector<std::string>{"P2 finished, position 1, time 0:57.",
                                                  "P1 finished, position 2, time 0:59."}));
    run(2.0f);
    EXPECT_EQ(gameplay->state, RaceFlow::raceOver);
    EXPECT_EQ(formatRaceTime(62.345f), "1:02.35");
    EXPECT_EQ(ordinal(11) + ordinal(22) + ordinal(3), "11th22nd3rd");
}
