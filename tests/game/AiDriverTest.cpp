// AI karts on the generated track in the physics world alone: a medium kart
// keeps up with the tests' scripted race driver over three laps, skill orders
// the lap times, a parked kart on the line is passed rather than rammed, and a
// kart facing the wrong way turns round and gets going.
#include "RaceDriver.h"
#include "RaceWorld.h"

#include "game/AiDriver.h"
#include "game/PlayerDriver.h"
#include "game/RacingLine.h"
#include "game/Spawner.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

constexpr float step = 1.0f / 60.0f;

std::shared_ptr<const RacingLine> lineOf(const RaceWorld& world) {
    return std::make_shared<const RacingLine>(world.gameplay->checkpoints);
}

// P1 handed to the computer at skill; P2 stays parked on the grid.
AiDriver& makeAi(RaceWorld& world, AiSkill skill) {
    Entity* kart = world.karts[0];
    kart->removeComponents<PlayerDriver>();
    kart->addComponent<Spawner>();
    world.gameplay->karts = {world.karts[0], world.karts[1]};
    // A kart put back on the track drives on only while the race is on.
    world.gameplay->state = RaceFlow::racing;
    auto* ai = kart->addComponent<AiDriver>(lineOf(world), skill);
    ai->race = world.gameplay;
    return *ai;
}

// Steps until P1 has driven laps, or the time is up; the frames it took, or -1.
int framesToFinish(RaceWorld& world, int laps, const std::function<void()>& everyFrame = {}) {
    for (int frame = 0; frame < 60 * 100 * laps; ++frame) {
        if (everyFrame) {
            everyFrame();
        }
        world.step();
        if (world.race(0).lap > laps) {
            return frame;
        }
    }
    return -1;
}

int aiFrames(AiSkill skill, int laps, float* longestStuck = nullptr) {
    RaceWorld world;
    if (!world.loadTrack()) {
        return -1;
    }
    AiDriver& ai = makeAi(world, skill);
    const int frames = framesToFinish(world, laps);
    if (longestStuck != nullptr) {
        *longestStuck = ai.longestStuck;
    }
    return frames;
}

TEST(AiDriverTest, MediumKeepsUpWithTheRaceDriverAndSkillOrdersTheTimes) {
    TW_REQUIRE_TRACK();
    int driverFrames = -1;
    {
        RaceWorld world;
        ASSERT_TRUE(world.loadTrack());
        RaceDriver driver(*world.gameplay, world.car(0), RaceDriver::playerKeys(0), 0.0f);
        driverFrames = framesToFinish(world, 3, [&] { driver.drive(*world.input, step); });
    }
    ASSERT_GT(driverFrames, 0);
    float longestStuck = 0.0f;
    const int medium = aiFrames(AiSkill::medium, 3, &longestStuck);
    ASSERT_GT(medium, 0) << "the medium AI did not finish three laps";
    EXPECT_NEAR(medium, driverFrames, driverFrames * 0.15f)
        << "race driver " << driverFrames * step << " s, AI " << medium * step << " s";
    EXPECT_LT(longestStuck, 5.0f);
    const int easy = aiFrames(AiSkill::easy, 1);
    const int hard = aiFrames(AiSkill::hard, 1);
    ASSERT_GT(easy, 0);
    ASSERT_GT(hard, 0);
    EXPECT_LT(hard, easy);
}

TEST(AiDriverTest, PassesAParkedKartOnTheLineAndTurnsRoundWhenFacingBackwards) {
    TW_REQUIRE_TRACK();
    RaceWorld world;
    ASSERT_TRUE(world.loadTrack());
    AiDriver& ai = makeAi(world, AiSkill::hard);
    const std::shared_ptr<const RacingLine> line = lineOf(world);
    // P2 across the line some way after the start, where P1 will come by at speed.
    const size_t start = line->nearest(world.startPositions[0], 0, false);
    const size_t parkedAt = line->ahead(start, 70.0f);
    float ground = 0.0f;
    glm::vec3 parked = line->point(parkedAt);
    ASSERT_TRUE(world.groundBelow(parked, ground));
    parked.y = ground + 0.6f;
    world.place(1, parked, world.startRotations[1]);
    world.stepSeconds(1.0f);
    const glm::vec3 settled = world.transform(1).getWorldPosition();
    const int frames = framesToFinish(world, 1);
    ASSERT_GT(frames, 0);
    EXPECT_LT(glm::distance(world.transform(1).getWorldPosition(), settled), 0.5f) << "P2 was rammed";

    // Backwards on the line: it turns round and drives on within the stuck limit.
    const size_t here = line->nearest(world.transform(0).getWorldPosition(), 0, false);
    const glm::vec3 back = -line->direction(here);
    world.place(0, world.transform(0).getWorldPosition() + glm::vec3(0, 0.3f, 0),
                glm::quatLookAt(back, glm::vec3(0, 1, 0)));
    const int lapBefore = world.race(0).lap;
    const int checkpointBefore = world.race(0).lastCheckpoint->index;
    world.stepSeconds(20.0f);
    EXPECT_TRUE(world.race(0).lap > lapBefore || world.race(0).lastCheckpoint->index != checkpointBefore);
    EXPECT_LT(ai.longestStuck, 5.0f);
}

} // namespace
