// The HUD's speed read-out and boost bar, driven by a real kart.
#include "RaceFixture.h"

#include "core/ui/Text.h"
#include "core/ui/Transform2D.h"
#include "game/CarHUD.h"

namespace {

class CarHudTest : public RaceFixture {
protected:
    CarHudTest() {
        kart = addKart("P2", 1, {0.0f, 100.0f, 0.0f});
        Entity* hudEntity = scene->createEntity("hud2_lap");
        hud = hudEntity->addComponent<CarHUD>();
        hud->car = kart->getComponent<Car>();
        Entity* speed = scene->createEntity("hud2_speed");
        speed->addComponent<Transform2D>();
        hud->speedText = speed->addComponent<Text>();
        Entity* fill = scene->createEntity("hud2_boostFill");
        hud->boostFill = fill->addComponent<Transform2D>();
        hud->boostFill->setRelative(true);
    }

    float barShare() const { return hud->boostFill->getSize().x / CarHUD::barWidth; }

    Entity* kart = nullptr;
    CarHUD* hud = nullptr;
};

} // namespace

TEST(CarHudSpeedTest, RoundsToWholeUnitsBeforeTimesFour) {
    EXPECT_EQ(CarHUD::speedLabel(0.0f), "0 mph");
    EXPECT_EQ(CarHUD::speedLabel(0.49f), "0 mph");
    EXPECT_EQ(CarHUD::speedLabel(0.5f), "4 mph") << "halves round up, then times 4";
    EXPECT_EQ(CarHUD::speedLabel(1.5f), "8 mph");
    EXPECT_EQ(CarHUD::speedLabel(30.0f), "120 mph");
}

TEST_F(CarHudTest, SpeedTextFollowsTheKart) {
    kart->getComponent<Car>()->speed = 12.4f;
    frame();
    // The kart is in the air (no ground here), so its speed stays as set.
    EXPECT_EQ(hud->speedText->text, "48 mph");
}

TEST_F(CarHudTest, BoostBarIsFullAtStartEmptiesOnBoostAndRefillsOverEightSeconds) {
    frame();
    EXPECT_FLOAT_EQ(barShare(), 1.0f);
    EXPECT_FLOAT_EQ(hud->boostFill->getSize().y, CarHUD::barHeight);

    // Player 2 boosts with Right Control; the bar drains over the 1.5 s of push.
    input->queueKey(GLFW_KEY_RIGHT_CONTROL, GLFW_PRESS);
    frame();
    input->queueKey(GLFW_KEY_RIGHT_CONTROL, GLFW_RELEASE);
    run(0.75f);
    EXPECT_NEAR(barShare(), 0.5f, 0.03f);
    run(0.75f);
    EXPECT_NEAR(barShare(), 0.0f, 0.03f) << "empty right after the boost";
    run(4.0f);
    EXPECT_NEAR(barShare(), 0.5f, 0.03f);
    run(4.1f);
    EXPECT_FLOAT_EQ(barShare(), 1.0f);
}

TEST(CarHudFractionTest, ClampsToTheBar) {
    TestEngine engine(testConfig(), false);
    engine.systems->add<ResourceCache>();
    engine.systems->add<SceneManager>();
    engine.systems->add<Physics>();
    Scene* scene = engine.get<SceneManager>()->createScene("game");
    Entity* kart = scene->createEntity("P1");
    kart->addComponent<Transform>();
    kart->addComponent<RigidBodyDynamic>();
    auto* car = kart->addComponent<Car>();
    car->boostTimer = 20.0f;
    EXPECT_FLOAT_EQ(CarHUD::boostFraction(*car), 1.0f);
    car->boostTimer = -1.0f;
    EXPECT_FLOAT_EQ(CarHUD::boostFraction(*car), 0.0f);
}
