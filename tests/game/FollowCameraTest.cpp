// The chase camera: where it sits behind its kart, how it lags in turns, that
// it holds still for a still kart and for a kart being respawned, and that
// scenery pulls it in and lets it ease back out.
#include "game/FollowCamera.h"
#include "core/physics/CollisionShape.h"
#include "core/physics/RigidBodyStatic.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/runtime/Transform.h"
#include "support/ExpectNear.h"
#include "support/TestEngine.h"

#include <glm/gtc/quaternion.hpp>
#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float frame = 1.0f / 60.0f;

class FollowCameraTest : public ::testing::Test {
protected:
    FollowCameraTest() : engine(testConfig(), false) {
        engine.systems->add<SceneManager>();
        scene = engine.get<SceneManager>()->createScene("race");
        kart = scene->createEntity("P1")->addComponent<Transform>();
        kart->setPosition({10.0f, 1.0f, -20.0f});
        // Heading 30 degrees to the left of -Z.
        kart->setRotation(glm::angleAxis(glm::radians(30.0f), glm::vec3(0, 1, 0)));
        Entity* cameraEntity = scene->createEntity("cam0");
        cameraTransform = cameraEntity->addComponent<Transform>();
        follow = cameraEntity->addComponent<FollowCamera>(kart);
    }

    void lateFrames(int count, float dt = frame) {
        for (int i = 0; i < count; ++i) {
            follow->lateUpdate(dt);
        }
    }

    glm::vec3 cameraPosition() { return cameraTransform->getWorldPosition(); }
    glm::vec3 viewDirection() { return cameraTransform->getGlobalRotation() * glm::vec3(0, 0, -1); }

    TestEngine engine;
    Scene* scene = nullptr;
    Transform* kart = nullptr;
    Transform* cameraTransform = nullptr;
    FollowCamera* follow = nullptr;
};

} // namespace

TEST_F(FollowCameraTest, CaughtUpItSitsFourUpEightBehindLookingEightDegreesDown) {
    lateFrames(600);
    const glm::vec3 heading = glm::normalize(kart->forward());
    const glm::vec3 view = viewDirection();
    // Eight degrees below the horizon, along the kart's heading.
    EXPECT_NEAR(std::asin(-view.y), glm::radians(8.0f), 1e-3f);
    const glm::vec3 flatView = glm::normalize(glm::vec3(view.x, 0.0f, view.z));
    EXPECT_GT(glm::dot(flatView, heading), 0.9999f);
    // The offset (0, 4, 8) in the camera's own frame: 4 along its up, 8 along its back.
    const glm::quat rotation = cameraTransform->getGlobalRotation();
    const glm::vec3 relative = glm::inverse(rotation) * (cameraPosition() - kart->getWorldPosition());
    expectNear(relative, glm::vec3(0.0f, 4.0f, 8.0f), 1e-3f);
}

TEST_F(FollowCameraTest, LagsBehindAQuickTurnThenCatchesUpAndALongFrameLandsWithoutOvershoot) {
    follow->snapToTarget();
    const glm::quat before = cameraTransform->getGlobalRotation();
    kart->setRotation(glm::angleAxis(glm::radians(120.0f), glm::vec3(0, 1, 0)));
    lateFrames(1);
    const glm::quat desired = follow->desiredRotation();
    const float turned = glm::angle(glm::inverse(before) * cameraTransform->getGlobalRotation());
    const float needed = glm::angle(glm::inverse(before) * desired);
    // One frame turns by turnRate x dt of the way: about 6.7 % of 90 degrees.
    EXPECT_NEAR(turned / needed, 4.0f * frame, 0.01f);
    lateFrames(300);
    EXPECT_GT(std::abs(glm::dot(cameraTransform->getGlobalRotation(), desired)), 0.99999f);

    kart->setRotation(glm::angleAxis(glm::radians(-100.0f), glm::vec3(0, 1, 0)));
    lateFrames(1, 0.5f);
    EXPECT_GT(std::abs(glm::dot(cameraTransform->getGlobalRotation(), follow->desiredRotation())), 0.99999f);
}

TEST_F(FollowCameraTest, HoldsStillForAStillKartAndWithoutTargetUntilGivenOneAgain) {
    follow->snapToTarget();
    const glm::vec3 position = cameraPosition();
    const glm::quat rotation = cameraTransform->getGlobalRotation();
    lateFrames(120);
    expectNear(cameraPosition(), position, 1e-4f);
    EXPECT_GT(std::abs(glm::dot(cameraTransform->getGlobalRotation(), rotation)), 0.999999f);
    kart->translate(0.0f, 0.0f, -0.5f);
    lateFrames(1);
    EXPECT_NEAR(follow->targetSpeed, 0.5f / frame, 1e-2f);

    const glm::vec3 waiting = cameraPosition();
    follow->setTarget(nullptr);
    // The kart sinks and drifts away while it waits for its respawn.
    kart->setPosition({40.0f, -3.0f, 5.0f});
    lateFrames(60);
    expectNear(cameraPosition(), waiting, 1e-3f);
    EXPECT_FLOAT_EQ(follow->targetSpeed, 0.0f);

    follow->setTarget(kart);
    lateFrames(1);
    EXPECT_LT(glm::distance(cameraPosition(), kart->getWorldPosition()), 9.5f);
    EXPECT_FLOAT_EQ(follow->targetSpeed, 0.0f) << "a respawn is no speed";

    // A camera that never had a kart never moves.
    auto* lone = scene->createEntity("cam1")->addComponent<Transform>();
    lone->setPosition({1.0f, 2.0f, 3.0f});
    lone->entity->addComponent<FollowCamera>()->lateUpdate(frame);
    expectNear(lone->getWorldPosition(), glm::vec3(1.0f, 2.0f, 3.0f), 0.0f);
}

TEST_F(FollowCameraTest, ScenerySlidesItInTowardsTheKartAndItEasesBackOutAndOnlyFollowsGentleSlopes) {
    kart->setRotation(glm::quat(1.0f, 0.0f, 0.0f, 0.0f));
    follow->snapToTarget();
    const float full = follow->getDistance();
    // A banner 3.5 m behind the kart, across the line to the camera.
    Entity* banner = scene->createEntity("Banner");
    banner->addComponent<Transform>()->setPosition(kart->getWorldPosition() + glm::vec3(0.0f, 3.0f, 4.0f));
    banner->addComponent<RigidBodyStatic>()->addCollisionShape()->setBox(glm::vec3(10.0f, 6.0f, 1.0f));
    lateFrames(1);
    EXPECT_LT(cameraPosition().z, kart->getWorldPosition().z + 3.5f - 0.5f)
        << "in front of the banner at once";
    EXPECT_LT(follow->getDistance(), 0.5f * full);
    // Still on the line to the kart, so the kart stays where it was on screen.
    const glm::vec3 toKart = glm::normalize(kart->getWorldPosition() + glm::vec3(0, 1, 0) - cameraPosition());
    const glm::vec3 wanted =
        glm::normalize(-(cameraTransform->getGlobalRotation() * follow->offset - glm::vec3(0, 1, 0)));
    EXPECT_GT(glm::dot(toKart, wanted), 0.9999f);

    kart->translate(30.0f, 0.0f, 0.0f);
    lateFrames(1);
    const float eased = follow->getDistance();
    EXPECT_LT(eased, 0.6f * full) << "no jump back out";
    lateFrames(300);
    EXPECT_NEAR(follow->getDistance(), full, 1e-3f);

    // A kart nosing straight down in a hop tilts the camera no more than a steep road would.
    kart->setRotation(glm::angleAxis(glm::radians(-80.0f), glm::vec3(1, 0, 0)));
    lateFrames(300);
    EXPECT_NEAR(std::asin(-viewDirection().y), glm::radians(8.0f + 25.0f), 1e-3f);
}
