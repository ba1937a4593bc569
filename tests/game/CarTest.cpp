// The kart driving model on the generated track: suspension at rest, the
// drive-only top speed, steering, airborne rules, the hop, boost timing and the
// visual wheels. Karts start side by side on the flat start straight.
#include "RaceWorld.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

constexpr float restHitDistance = 0.5f * (1.0f - 9.81f / 48.0f);
const float speedAfterOneSecond = 30.0f * (1.0f - std::exp(-1.0f));

class CarTest : public ::testing::Test {
protected:
    void SetUp() override {
        TW_REQUIRE_TRACK();
        world = std::make_unique<RaceWorld>();
        ASSERT_TRUE(world->loadTrack());
        world->stepSeconds(1.0f);
    }

    float forwardSpeed(int player) const {
        const glm::vec3 forward = world->transform(player).getGlobalRotation() * glm::vec3(0, 0, -1);
        return glm::dot(world->body(player).getLinearVelocity(), forward);
    }
    // About the kart's up axis, radians per second, positive to the left.
    float yawRate(int player) const {
        const glm::vec3 up = world->transform(player).getGlobalRotation() * glm::vec3(0, 1, 0);
        return glm::dot(world->body(player).getAngularVelocity(), up);
    }
    // Moves a kart back along the start straight and gives it a forward speed.
    void launch(int player, float speed, float metresBack = 0.0f) const {
        const glm::quat rotation = world->startRotations[static_cast<size_t>(player)];
        const glm::vec3 forward = rotation * glm::vec3(0, 0, -1);
        world->place(player, world->startPositions[static_cast<size_t>(player)] - metresBack * forward,
                     rotation);
        world->body(player).setLinearVelocity(speed * forward);
    }
    // The front-left wheel's turn about the up axis, in degrees.
    float frontWheelYaw() const {
        const glm::vec3 axle =
            world->car(0).wheelTransforms[Car::frontLeft]->getRotation() * glm::vec3(1, 0, 0);
        return glm::degrees(std::atan2(-axle.z, axle.x));
    }

    std::unique_ptr<RaceWorld> world;
};

// At rest the kart stands on its four rays at ride height, awake. Per unit mass
// the drive gives 30 and the drag takes the speed itself, so the speed follows
// 30 (1 - e^-t), a little under as the kart pitches back.
TEST_F(CarTest, RestsOnItsRaysThrottleApproachesThirtyForwardWinsOverReverseAndDragAloneSlows) {
    const glm::vec3 settled = world->transform(0).getWorldPosition();
    world->stepSeconds(5.0f);
    EXPECT_TRUE(world->car(0).grounded);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(world->car(0).wheels[i].hit.distance, restHitDistance, 0.01f);
        // The visual wheels sit where the compressed springs put them.
        EXPECT_NEAR(world->car(0).wheelTransforms[i]->getPosition().y - world->car(0).wheelRestPositions[i].y,
                    0.5f - restHitDistance, 0.01f);
    }
    EXPECT_LT(glm::length(world->body(0).getLinearVelocity()), 0.01f);
    EXPECT_LT(glm::length(world->transform(0).getWorldPosition() - settled), 0.01f);
    EXPECT_NEAR(settled.y, world->startPositions[0].y, 0.02f) << "the track places karts at ride height";
    EXPECT_FALSE(world->body(0).isSleeping());

    launch(0, 0.0f, 35.0f);
    for (int key : {GLFW_KEY_W, GLFW_KEY_S, GLFW_KEY_DOWN}) {
        world->press(key);
    }
    world->stepSeconds(1.0f);
    EXPECT_NEAR(forwardSpeed(0), speedAfterOneSecond, 1.2f);
    EXPECT_NEAR(forwardSpeed(1), -speedAfterOneSecond, 1.2f) << "reverse drives backwards";
    world->release(GLFW_KEY_S);

    // From above the top speed the drag wins until the two balance at 30.
    launch(0, 32.0f, 35.0f);
    float slowest = 32.0f;
    for (int i = 0; i < 120; ++i) {
        world->step();
        slowest = std::min(slowest, forwardSpeed(0));
    }
    EXPECT_LT(forwardSpeed(0), 30.5f);
    EXPECT_GT(slowest, 29.6f);

    // Rolling forward the wheels turn backwards about their axle by speed x 40 degrees per second.
    const glm::quat before = world->car(0).wheelTransforms[Car::rearRight]->getRotation();
    world->step();
    const glm::quat turn =
        glm::inverse(before) * world->car(0).wheelTransforms[Car::rearRight]->getRotation();
    EXPECT_NEAR(glm::degrees(glm::angle(turn)), world->car(0).speed * 40.0f / 60.0f, 0.01f);
    EXPECT_LT(glm::axis(turn).x, -0.999f);

    // Coasting, the drag alone takes e^-1 of the speed each second.
    world->release(GLFW_KEY_W);
    launch(0, 20.0f, 35.0f);
    world->stepSeconds(1.0f);
    EXPECT_NEAR(forwardSpeed(0), 20.0f * std::exp(-1.0f), 0.3f);
}

TEST_F(CarTest, SteeringTurnsByRateTimesSpeedOnlyWhileHeldAndReversesBackwards) {
    // Standing still the yaw rate is 0 x k, but the front wheels turn at 90 degrees per second up to 30.
    const glm::quat before = world->transform(0).getGlobalRotation();
    const float restYaw = frontWheelYaw();
    world->press(GLFW_KEY_A);
    world->steps(12);
    EXPECT_NEAR(frontWheelYaw() - restYaw, 18.0f, 0.01f);
    world->steps(48);
    EXPECT_NEAR(frontWheelYaw() - restYaw, 30.0f, 0.01f);
    EXPECT_LT(std::abs(yawRate(0)), 1e-3f);
    EXPECT_GT(glm::dot(before, world->transform(0).getGlobalRotation()), 0.99999f);

    // The yaw rate about the ground is speed x k, with k falling from 0.2 to 0.05 up to top speed.
    for (const float speed : {5.0f, 20.0f}) {
        launch(0, speed);
        world->step();
        const float v = world->car(0).speed;
        const float expected = v * (0.2f - 0.15f * std::min(v / 30.0f, 1.0f));
        EXPECT_NEAR(yawRate(0), expected, 0.02f * expected) << "at " << speed << " m/s";
    }
    // Left and right together steer left.
    world->press(GLFW_KEY_D);
    world->step();
    EXPECT_GT(yawRate(0), 1.0f);

    // Released: the yaw stops at once and the wheels straighten without passing straight.
    world->release(GLFW_KEY_A);
    world->release(GLFW_KEY_D);
    world->step();
    EXPECT_LT(std::abs(yawRate(0)), 0.02f);
    world->steps(40);
    EXPECT_FLOAT_EQ(world->car(0).steerAngle, 0.0f);
    EXPECT_NEAR(frontWheelYaw() - restYaw, 0.0f, 0.01f);

    // Rolling backwards the same key turns the other way.
    launch(0, -10.0f);
    world->press(GLFW_KEY_A);
    world->step();
    EXPECT_LT(yawRate(0), -1.0f);
}

TEST_F(CarTest, TwoWheelsOnTheGroundIsAirborneWithTheAirForceAndNoDriving) {
    // Both karts nose up by 20 degrees, rear rays 0.3 m above the road: only the rear rays reach it.
    for (int player = 0; player < 2; ++player) {
        const glm::vec3 start = world->startPositions[static_cast<size_t>(player)];
        float ground = 0.0f;
        ASSERT_TRUE(world->groundBelow(start, ground));
        const glm::quat pitch = world->startRotations[static_cast<size_t>(player)] *
                                glm::angleAxis(glm::radians(20.0f), glm::vec3(1, 0, 0));
        const glm::vec3 rearRay = pitch * glm::vec3(0.0f, -0.3001f, 1.1f);
        world->place(player, glm::vec3(start.x, ground + 0.3f - rearRay.y, start.z), pitch);
    }
    const glm::vec3 frontWheelBefore = world->car(0).wheelTransforms[Car::frontLeft]->getPosition();
    // Player 1 drives and steers; player 2 does nothing and has no air force.
    world->car(1).airForce = glm::vec3(0.0f);
    world->press(GLFW_KEY_W);
    world->press(GLFW_KEY_A);
    world->step();

    for (int player = 0; player < 2; ++player) {
        const Car& car = world->car(player);
        EXPECT_EQ(car.contactPoints.size(), 2u);
        EXPECT_FALSE(car.grounded);
        EXPECT_FALSE(car.wheels[Car::frontLeft].grounded);
        EXPECT_TRUE(car.wheels[Car::rearLeft].grounded);
    }
    const glm::vec3 driven = world->body(0).getLinearVelocity();
    const glm::vec3 idle = world->body(1).getLinearVelocity();
    EXPECT_NEAR(driven.x, idle.x, 1e-4f) << "no drive force in the air";
    EXPECT_NEAR(driven.z, idle.z, 1e-4f);
    EXPECT_NEAR(driven.y - idle.y, -6.0f / 60.0f, 1e-3f) << "the air force pulls down";
    // A wheel whose ray misses keeps the height of its last contact.
    EXPECT_NEAR(glm::length(world->car(0).wheelTransforms[Car::frontLeft]->getPosition() - frontWheelBefore),
                0.0f, 1e-4f);
}

// The highest the kart's origin rises above where it stood, sampled every physics step.
struct PeakProbe : Updateable {
    using Updateable::Updateable;
    void fixedUpdate(float dt) override {
        Updateable::fixedUpdate(dt);
        const float height = entity->getComponent<Transform>()->getWorldPosition().y;
        base = std::isnan(base) ? height : base;
        peak = std::max(peak, height - base);
    }
    float base = NAN;
    float peak = 0.0f;
};

// One press, one hop, through the real frame loop: a 3 fps frame runs twenty
// physics steps and a 300 fps frame mostly none; a tap whose press and release
// reach one poll still counts. A kart with its controls off ignores the key.
TEST_F(CarTest, EachHopPressHopsOnceAtAnyFrameRateAndOnlyWithControls) {
    std::vector<float> peaks;
    for (const uint32_t frameMs : {16u, 333u, 3u}) {
        RaceWorld race;
        ASSERT_TRUE(race.loadTrack());
        race.stepSeconds(1.0f);
        race.car(1).controlsEnabled = false;
        auto* hopper = race.karts[0]->addComponent<PeakProbe>();
        auto* idle = race.karts[1]->addComponent<PeakProbe>();
        race.frame(frameMs);
        race.press(GLFW_KEY_SPACE);
        if (frameMs != 16u) {
            race.release(GLFW_KEY_SPACE);
        }
        race.run(1.5f, frameMs);
        EXPECT_LT(idle->peak, 0.02f) << frameMs << " ms frames";
        peaks.push_back(hopper->peak);
    }
    // Held for the whole time at 60 fps, or tapped at 3 or 300 fps: the same single hop.
    EXPECT_GT(peaks[0], 0.3f) << "3 m/s up rises about half a metre";
    EXPECT_LT(peaks[0], 0.9f) << "a second hop would double the speed";
    EXPECT_NEAR(peaks[1], peaks[0], 0.01f) << "3 fps";
    EXPECT_NEAR(peaks[2], peaks[0], 0.01f) << "300 fps";
}

TEST_F(CarTest, BoostIsReadyAtStartPushesForOneAndAHalfSecondsAndIsReadyEightSecondsAfter) {
    Car& car = world->car(0);
    const auto notices = [this] { return world->texts("Boost ready").size(); };
    EXPECT_EQ(notices(), 0u) << "the first boost is ready without a notice";

    launch(0, 0.0f, 35.0f);
    world->step();
    car.controlsEnabled = false;
    world->press(GLFW_KEY_E);
    world->step();
    world->release(GLFW_KEY_E);

    // With the controls off the boost still pushes, for 90 frames, beyond the drive-only top speed.
    int boosting = 0;
    float fastest = 0.0f;
    for (int i = 0; i < 150; ++i) {
        world->step();
        boosting += car.boostTimeLeft > 0.0f ? 1 : 0;
        fastest = std::max(fastest, forwardSpeed(0));
    }
    EXPECT_EQ(boosting, 90) << "1.5 s of push";
    EXPECT_GT(fastest, 35.0f);
    EXPECT_LT(forwardSpeed(0), fastest - 5.0f) << "once over, only the drag acts";
    EXPECT_LT(std::abs(forwardSpeed(1)), 0.1f);
    car.stop();
    world->step();
    world->place(0, world->startPositions[0], world->startRotations[0]);

    // Ready again 8 s after the boost ended (9.5 s after it started), with a notice for 2 s.
    world->press(GLFW_KEY_E);
    world->steps(60 * 9 + 30 - 150 - 3);
    EXPECT_LT(car.boostTimeLeft, 0.0f) << "the key held while recharging starts nothing";
    EXPECT_EQ(notices(), 0u);
    world->steps(3);
    EXPECT_EQ(notices(), 1u);
    EXPECT_NEAR(car.boostTimeLeft, 1.5f, 0.05f) << "the held key starts the next boost at once";
    world->stepSeconds(2.1f);
    EXPECT_EQ(notices(), 0u);
}

} // namespace
