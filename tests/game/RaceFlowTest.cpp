// One race through Gameplay: start poses, the countdown, the first finisher's
// result, the end screen and the restart.
#include "RaceFixture.h"

#include "core/ui/Text.h"
#include "core/ui/Transform2D.h"
#include "core/ui/UITex.h"
#include "game/UiLayers.h"

#include <map>

namespace {

class RaceFlowTest : public RaceFixture {
protected:
    RaceFlowTest() {
        addCheckpoint(0, {0.0f, 0.0f, 0.0f});
        p1 = addKart("P1", 0, {-3.0f, 1.0f, 0.0f});
        p2 = addKart("P2", 1, {3.0f, 1.0f, 0.0f});
        gameplay->setKarts(p1, p2);
        Entity* end = scene->createEntity("endScreen");
        end->addComponent<Transform2D>();
        utils->endScreen = end->addComponent<UITex>();
        utils->endScreen->setEnabled(false);
    }

    // Centre messages on screen now, by text.
    std::vector<std::string> centreTexts() const {
        std::vector<std::string> texts;
        for (const auto& entity : scene->getEntities()) {
            if (auto* text = entity->getComponent<Text>(); text != nullptr && text->layer == uiLayer::centreMessage) {
                texts.push_back(text->text);
            }
        }
        return texts;
    }

    // Runs frames until the race's first centre message with text shows.
    std::map<std::string, float> countdownTimes(float until) {
        std::map<std::string, float> shown;
        const float begin = now();
        while (now() - begin < until) {
            frame();
            for (const std::string& text : centreTexts()) {
                shown.emplace(text, now() - begin);
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

    Car* car(Entity* kart) const { return kart->getComponent<Car>(); }

    Entity* p1 = nullptr;
    Entity* p2 = nullptr;
};

} // namespace

TEST_F(RaceFlowTest, CountdownShowsThreeTwoOneThenGoAndOnlyThenTheKartsDrive) {
    gameplay->startRace();
    EXPECT_FALSE(car(p1)->controlsEnabled);
    std::map<std::string, float> shown;
    const float begin = now();
    while (now() - begin < 4.9f) {
        frame();
        ASSERT_FALSE(car(p1)->controlsEnabled || car(p2)->controlsEnabled) << "at " << now() - begin;
        for (const std::string& text : centreTexts()) {
            shown.emplace(text, now() - begin);
        }
    }
    for (const auto& [text, time] : countdownTimes(0.3f)) {
        shown.emplace(text, time + 4.9f);
    }
    EXPECT_EQ(gameplay->state, Gameplay::racing);
    EXPECT_TRUE(car(p1)->controlsEnabled && car(p2)->controlsEnabled);
    const std::map<std::string, float> expected{{"3", 2.0f}, {"2", 3.0f}, {"1", 4.0f}, {"Go!", 5.0f}};
    ASSERT_EQ(shown.size(), expected.size());
    for (const auto& [text, time] : expected) {
        EXPECT_NEAR(shown[text], time, 0.04f) << text;
    }
}

TEST_F(RaceFlowTest, KartsGoBackToWhereTheRaceWasBuilt) {
    p1->getComponent<RigidBodyDynamic>()->teleport({40.0f, 5.0f, 40.0f}, glm::quat(1, 0, 0, 0));
    gameplay->startRace();
    run(0.2f);
    const glm::vec3 at = p1->getComponent<Transform>()->getWorldPosition();
    EXPECT_NEAR(at.x, -3.0f, 0.01f);
    EXPECT_NEAR(at.z, 0.0f, 0.01f);
}

TEST_F(RaceFlowTest, FirstFinisherWinsTheOtherLosesAndTheEndScreenFollows) {
    gameplay->startRace();
    run(5.2f);
    // Both karts over the line on the same step: the first announcement counts.
    fire(p2->getComponent<RaceProps>()->onFinished, 1u);
    fire(p1->getComponent<RaceProps>()->onFinished, 0u);
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
    EXPECT_TRUE(car(p1)->controlsEnabled);
    EXPECT_FALSE(utils->endScreen->isEnabled());
    run(0.15f);
    EXPECT_EQ(gameplay->state, Gameplay::raceOver);
    EXPECT_TRUE(utils->endScreen->isEnabled());
    EXPECT_FALSE(car(p1)->controlsEnabled || car(p2)->controlsEnabled);
}

TEST_F(RaceFlowTest, SpaceRestartsOnlyOnceTheRaceIsOverAndResetsTheLaps) {
    gameplay->startRace();
    run(3.0f);
    tap(GLFW_KEY_SPACE);
    run(2.5f);
    EXPECT_EQ(gameplay->state, Gameplay::racing) << "Space during the countdown does nothing";

    auto* props = p1->getComponent<RaceProps>();
    props->lap = 4;
    props->lastCheckpoint = gameplay->checkpoints.front();
    fire(props->onFinished, 0u);
    run(2.0f);
    ASSERT_EQ(gameplay->state, Gameplay::raceOver);

    tap(GLFW_KEY_SPACE);
    EXPECT_EQ(gameplay->state, Gameplay::starting);
    EXPECT_EQ(props->lap, 0);
    EXPECT_EQ(props->lastCheckpoint, nullptr);
    EXPECT_TRUE(utils->persistentMessages.empty());
    EXPECT_FALSE(utils->endScreen->isEnabled());
    EXPECT_FALSE(gameplay->finished[0]);
}

TEST_F(RaceFlowTest, RestartDuringTheCountdownCountsOnceFromTheStart) {
    gameplay->startRace();
    run(2.5f);
    gameplay->startRace();
    // The first race's "3" is still fading out; its "2", due 0.5 s later, must never come.
    const std::map<std::string, float> shown = countdownTimes(5.3f);
    const std::map<std::string, float> expected{{"2", 3.0f}, {"1", 4.0f}, {"Go!", 5.0f}};
    for (const auto& [text, time] : expected) {
        ASSERT_EQ(shown.count(text), 1u) << text;
        EXPECT_NEAR(shown.at(text), time, 0.04f) << text;
    }
}
