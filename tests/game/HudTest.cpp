// The race's on-screen texts: where messages appear, how they fade in and how
// long centre messages live, the HUD's speed read-out and boost bar driven
// by a real kart, messages in the views of more players, and the overview map.
#include "RaceWorld.h"

#include "core/ui/Text.h"
#include "core/ui/Transform2D.h"
#include "game/CarHUD.h"
#include "game/OverviewMap.h"
#include "game/RacingLine.h"

#include <gtest/gtest.h>

namespace {

class HudTest : public ::testing::Test, protected RaceWorld {
protected:
    bool exists(const std::string& name) const { return scene->findEntity(name) != nullptr; }
};

TEST_F(HudTest, PlayerMessagesFadeInWhileGrowing) {
    // Where in their halves the results show is checked by the whole-game and race flow tests.
    Entity* lower = utils->showMessage("You win!", 1, false, {0.9f, 1.0f, 0.0f}, 0.0f);
    auto* lowerPlace = lower->getComponent<Transform2D>();
    auto* text = lower->getComponent<Text>();
    EXPECT_EQ(text->color, glm::vec4(0.9f, 1.0f, 0.0f, 0.0f)) << "starts invisible";

    stepSeconds(0.15f);
    EXPECT_NEAR(text->color.a, 0.5f, 0.1f);
    EXPECT_NEAR(lowerPlace->getFirstScale(), 1.25f, 0.05f);
    stepSeconds(0.5f);
    EXPECT_NEAR(text->color.a, 1.0f, 0.07f);
    EXPECT_NEAR(lowerPlace->getFirstScale(), 1.5f, 0.04f);
    EXPECT_NEAR(lowerPlace->getSecondScale(), 1.5f, 0.04f);
}

TEST_F(HudTest, CentreMessagesShowInTheMiddleAndGoByThemselves) {
    Entity* number = utils->showCenterMessage("3", {1.0f, 1.0f, 1.0f, 1.0f}, false);
    const std::string numberName = number->name;
    EXPECT_EQ(number->getComponent<Transform2D>()->getPosition(), glm::vec2(0.5f, 0.5f));
    const std::string goName = utils->showCenterMessage("Go!", {0.9f, 1.0f, 0.0f, 1.0f}, true)->name;
    EXPECT_TRUE(utils->persistentMessages.empty());

    stepSeconds(RaceMessages::centerDuration - 0.1f);
    EXPECT_TRUE(exists(numberName));
    stepSeconds(0.15f);
    EXPECT_FALSE(exists(numberName)) << "gone before the next number shows";
    EXPECT_TRUE(exists(goName));
    stepSeconds(RaceMessages::emphasisedDuration - RaceMessages::centerDuration);
    EXPECT_FALSE(exists(goName));
}

TEST_F(HudTest, SpeedFollowsTheKartAndTheBoostBarEmptiesOnBoostAndRefillsOverEightSeconds) {
    // Player 2, high above nothing: in the air, where the driving model's speed
    // keeps its last value on the ground but the read-out must not.
    auto* hud = scene->createEntity("hud2_lap")->addComponent<CarHUD>();
    hud->car = addKart("P2", 1, {0.0f, 100.0f, 0.0f})->getComponent<Car>();
    Entity* speed = scene->createEntity("hud2_speed");
    speed->addComponent<Transform2D>();
    hud->speedText = speed->addComponent<Text>();
    hud->boostFill = scene->createEntity("hud2_boostFill")->addComponent<Transform2D>();
    hud->boostFill->setRelative(true);
    const auto barShare = [hud] { return hud->boostFill->getSize().x / CarHUD::barWidth; };

    car(1).speed = 6.0f;
    car(1).body->setLinearVelocity({12.4f, -5.0f, 0.0f});
    run(0.05f);
    EXPECT_EQ(hud->speedText->text, "48 mph") << "horizontal speed over the ground";
    car(1).body->setLinearVelocity(glm::vec3(0.0f));
    run(0.05f);
    EXPECT_EQ(hud->speedText->text, "0 mph") << "a kart that does not move shows no speed";
    // Whole units, halves up, before times four.
    EXPECT_EQ(CarHUD::speedLabel(0.49f) + CarHUD::speedLabel(0.5f) + CarHUD::speedLabel(1.5f),
              "0 mph4 mph8 mph");
    EXPECT_FLOAT_EQ(barShare(), 1.0f);
    EXPECT_FLOAT_EQ(hud->boostFill->getSize().y, CarHUD::barHeight);

    // Player 2 boosts with Right Control; the bar drains over the 1.5 s of push.
    tap(GLFW_KEY_RIGHT_CONTROL);
    run(0.75f);
    EXPECT_NEAR(barShare(), 0.5f, 0.03f);
    run(0.75f);
    EXPECT_NEAR(barShare(), 0.0f, 0.03f) << "empty right after the boost";
    run(4.0f);
    EXPECT_NEAR(barShare(), 0.5f, 0.03f);
    run(4.1f);
    EXPECT_FLOAT_EQ(barShare(), 1.0f);

    // Long after the boost, and in the middle of one, the share stays on the bar.
    car(1).boostTimer = 20.0f;
    EXPECT_FLOAT_EQ(CarHUD::boostFraction(car(1)), 1.0f);
    car(1).boostTimer = -1.0f;
    EXPECT_FLOAT_EQ(CarHUD::boostFraction(car(1)), 0.0f);
}

TEST_F(HudTest, ViewsOfMorePlayersGetTheirMessagesAndTheOverviewTracksEveryKart) {
    // Quarters: player 2 top right; a kart without a view gets no message.
    utils->playerViews = {{0.0f, 0.0f, 0.5f, 0.5f}, {0.5f, 0.0f, 0.5f, 0.5f}, {0.0f, 0.5f, 0.5f, 0.5f}};
    Entity* second = utils->showMessage("Lap #2", 1, true, {1.0f, 1.0f, 1.0f}, 3.0f);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->getComponent<Transform2D>()->getPosition(), glm::vec2(0.75f, 0.15f));
    EXPECT_EQ(utils->showMessage("Boost ready", 3, true, {1.0f, 1.0f, 1.0f}, 2.0f), nullptr);

    addBoxRace();
    const RacingLine line(
        {{-100.0f, 0.0f, -50.0f}, {100.0f, 0.0f, -50.0f}, {100.0f, 0.0f, 50.0f}, {-100.0f, 0.0f, 50.0f}});
    const glm::vec4 quarter(0.5f, 0.5f, 0.5f, 0.5f);
    auto* map = scene->createEntity("overview")->addComponent<OverviewMap>();
    map->build(line, {karts[0], karts[1]}, quarter);
    ASSERT_EQ(map->kartDots.size(), 2u);
    place(1, {90.0f, 1.0f, 40.0f}, glm::quat(1, 0, 0, 0));
    step();
    for (Transform2D* dot : map->kartDots) {
        const glm::vec2 at = dot->getPosition();
        EXPECT_TRUE(at.x > quarter.x && at.x < quarter.x + quarter.z && at.y > quarter.y &&
                    at.y < quarter.y + quarter.w)
            << at.x << ", " << at.y;
    }
    // Further along x and z in the world: right and down on the map.
    EXPECT_GT(map->kartDots[1]->getPosition().x, map->kartDots[0]->getPosition().x + 0.1f);
    EXPECT_GT(map->kartDots[1]->getPosition().y, map->kartDots[0]->getPosition().y + 0.05f);
}

} // namespace
