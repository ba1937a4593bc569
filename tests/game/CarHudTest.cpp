// The HUD's speed read-out and boost bar, driven by a real kart.
#include "RaceWorld.h"

#include "core/ui/Text.h"
#include "core/ui/Transform2D.h"
#include "game/CarHUD.h"

#include <gtest/gtest.h>

namespace {

class CarHudTest : public ::testing::Test, protected RaceWorld {
protected:
    CarHudTest() {
        // Player 2, high above nothing: in the air, so its speed stays as a test sets it.
        hud = scene->createEntity("hud2_lap")->addComponent<CarHUD>();
        hud->car = addKart("P2", 1, {0.0f, 100.0f, 0.0f})->getComponent<Car>();
        Entity* speed = scene->createEntity("hud2_speed");
        speed->addComponent<Transform2D>();
        hud->speedText = speed->addComponent<Text>();
        hud->boostFill = scene->createEntity("hud2_boostFill")->addComponent<Transform2D>();
        hud->boostFill->setRelative(true);
    }

    float barShare() const { return hud->boostFill->getSize().x / CarHUD::barWidth; }

    CarHUD* hud = nullptr;
};

} // namespace

TEST(CarHudSpeedTest, RoundsToWholeUnitsBeforeTimesFour) {
    EXPECT_EQ(CarHUD::speedLabel(0.49f), "0 mph");
    EXPECT_EQ(CarHUD::speedLabel(0.5f), "4 mph") << "halves round up, then times 4";
    EXPECT_EQ(CarHUD::speedLabel(1.5f), "8 mph");
    EXPECT_EQ(CarHUD::speedLabel(30.0f), "120 mph");
}

TEST_F(CarHudTest, SpeedFollowsTheKartAndTheBoostBarEmptiesOnBoostAndRefillsOverEightSeconds) {
    car(1).speed = 12.4f;
    frame();
    EXPECT_EQ(hud->speedText->text, "48 mph");
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
