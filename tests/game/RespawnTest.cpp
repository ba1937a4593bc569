// Putting karts back on the track: into the water, on R or stranded, beside the
// right checkpoint, apart from each other, with the camera waiting meanwhile.
#include "RaceWorld.h"

#include "game/FollowCamera.h"
#include "game/Spawner.h"

#include "core/physics/CollisionShape.h"
#include "core/physics/RigidBodyStatic.h"
#include "support/ExpectNear.h"

#include <gtest/gtest.h>

namespace {

void expectNear(const glm::vec3& actual, const glm::vec3& expected) {
    ::expectNear(actual, expected, 0.2f);
}

class RespawnTest : public ::testing::Test, protected RaceWorld {
protected:
    RespawnTest() {
        addCheckpoint(0, {0.0f, 1.0f, 0.0f});
        // Turned 90 degrees to the left: it faces -X and its right is -Z.
        middle = addCheckpoint(1, {50.0f, 3.0f, -40.0f}, 90.0f);
        for (unsigned player = 0; player < 2; ++player) {
            Entity* kart = addKart(player == 0 ? "P1" : "P2", player, {player * 4.0f, 20.0f, 0.0f});
            spawners[player] = kart->addComponent<Spawner>();
            Entity* camera = scene->createEntity("cam" + std::to_string(player));
            camera->addComponent<Transform>();
            cameras[player] = camera->addComponent<FollowCamera>(kart->getComponent<Transform>());
            spawners[player]->followCamera = cameras[player];
        }
        gameplay->setKarts(karts[0], karts[1]);
        gameplay->state = RaceFlow::racing;
    }

    glm::vec3 position(int player) const { return transform(player).getWorldPosition(); }
    // Runs frames until player's kart is back, returning the time it took.
    float untilBack(int player) {
        const float begin = now();
        while (spawners[player]->isRespawning() && now() - begin < 5.0f) {
            frame();
        }
        return now() - begin;
    }

    Checkpoint* middle = nullptr;
    Spawner* spawners[2] = {};
    FollowCamera* cameras[2] = {};
};

} // namespace

TEST_F(RespawnTest, KartInTheWaterComesBackBesideItsLastCheckpointOneSecondLater) {
    race(0).lastCheckpoint = middle;
    // Falling from 20 m: below the water after about two seconds.
    while (!spawners[0]->isRespawning()) {
        frame();
        ASSERT_LT(now(), 5.0f);
    }
    EXPECT_LT(position(0).y, 0.0f);
    EXPECT_FALSE(car(0).controlsEnabled);
    EXPECT_EQ(cameras[0]->target, nullptr) << "the camera waits where it is";

    // Still under water for the whole second: taken off once, not on every step.
    run(0.5f);
    EXPECT_EQ(spawners[0]->activeTimers().size(), 1u);

    EXPECT_NEAR(0.5f + untilBack(0), Spawner::respawnDelay, 0.04f);
    // Player 1 stands 5 m to the left of the checkpoint, facing its way.
    Transform* place = middle->entity->getComponent<Transform>();
    expectNear(position(0), glm::vec3(50.0f, 3.0f, -40.0f) + 5.0f * glm::vec3(0, 0, 1));
    EXPECT_GT(std::abs(glm::dot(transform(0).getGlobalRotation(), place->getGlobalRotation())), 0.999f);
    EXPECT_TRUE(car(0).controlsEnabled);
    EXPECT_EQ(cameras[0]->target, &transform(0));
    EXPECT_EQ(race(0).lastCheckpoint, middle) << "respawning changes no progress";
}

TEST_F(RespawnTest, OneRPressTakesBothKartsOffToTheirCheckpointsOrTheFirstTenMetresApart) {
    race(0).lastCheckpoint = middle;
    tap(GLFW_KEY_R);
    frame();
    EXPECT_TRUE(spawners[0]->isRespawning());
    EXPECT_TRUE(spawners[1]->isRespawning());
    untilBack(0);
    EXPECT_FALSE(spawners[1]->isRespawning());
    // Player 2, before any checkpoint, to the right of Checkpoint-0, which faces -Z: right is +X.
    expectNear(position(1), glm::vec3(5.0f, 1.0f, 0.0f));

    race(1).lastCheckpoint = middle;
    tap(GLFW_KEY_R);
    frame();
    untilBack(0);
    EXPECT_NEAR(glm::distance(position(0), position(1)), 2.0f * Spawner::sideOffset, 0.2f);
}

TEST_F(RespawnTest, DuringTheCountdownTheKartComesBackWithoutControlsAndWithoutCheckpointsAtItsStart) {
    gameplay->state = RaceFlow::countingDown;
    car(0).controlsEnabled = false;
    tap(GLFW_KEY_R);
    frame();
    ASSERT_TRUE(spawners[0]->isRespawning());
    untilBack(0);
    EXPECT_FALSE(car(0).controlsEnabled) << "no head start before Go!";

    gameplay->checkpoints.clear();
    tap(GLFW_KEY_R);
    frame();
    ASSERT_TRUE(spawners[0]->isRespawning());
    EXPECT_LT(untilBack(0), 2.0f) << "a track without checkpoints must not keep the kart off for ever";
    expectNear(position(0), gameplay->startPositions[0]);
    EXPECT_EQ(cameras[0]->target, &transform(0));
}

TEST_F(RespawnTest, RPressedWhilePausedIsDroppedAndARestartCancelsAPendingRespawn) {
    scene->timeScale = 0.0f;
    tap(GLFW_KEY_R);
    run(0.2f);
    scene->timeScale = 1.0f;
    run(0.2f);
    EXPECT_FALSE(spawners[0]->isRespawning()) << "R on the pause screen acts after resuming";
    EXPECT_FALSE(spawners[1]->isRespawning());

    tap(GLFW_KEY_R);
    frame();
    ASSERT_TRUE(spawners[0]->isRespawning());
    gameplay->startRace();
    run(1.5f);
    EXPECT_FALSE(spawners[0]->isRespawning());
    EXPECT_EQ(cameras[0]->target, &transform(0));
    // Placed on its start pose (x = 0), not beside Checkpoint-0 (x = -5) a second later.
    EXPECT_NEAR(position(0).x, gameplay->startPositions[0].x, 0.2f);
}

TEST_F(RespawnTest, OnlyTheKartHeldOnThrottleWithoutHeadwayForFourSecondsIsTakenBack) {
    // A slab the wheels cannot find (their rays see meshes only): beached karts.
    Entity* slab = scene->createEntity("slab");
    slab->addComponent<Transform>()->setPosition({0.0f, -0.5f, 0.0f});
    slab->addComponent<RigidBodyStatic>()->addCollisionShape()->setBox(40.0f, 1.0f, 40.0f);
    place(0, {0.0f, 0.31f, 0.0f}, glm::quat(1.0f, 0.0f, 0.0f, 0.0f));
    place(1, {4.0f, 0.31f, 0.0f}, glm::quat(1.0f, 0.0f, 0.0f, 0.0f));
    race(0).lastCheckpoint = middle;

    // Player 1 holds the throttle (W); player 2 keeps off it.
    press(GLFW_KEY_W);
    run(2.0f);
    // Letting go to rock the kart pauses the count; it does not start it again.
    release(GLFW_KEY_W);
    run(1.0f);
    press(GLFW_KEY_W);
    run(1.8f);
    EXPECT_FALSE(spawners[0]->isRespawning());
    run(0.4f);
    EXPECT_TRUE(spawners[0]->isRespawning());
    EXPECT_FALSE(spawners[1]->isRespawning()) << "one kart, not both";
    release(GLFW_KEY_W);
    untilBack(0);
    expectNear(position(0), glm::vec3(50.0f, 3.0f, -40.0f) + 5.0f * glm::vec3(0, 0, 1));
}
