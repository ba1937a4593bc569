// Both karts driven by the race driver for three laps of the generated track:
// every checkpoint in order, one finish each, and no kart ever leaving the
// track or falling through it.
#include "RaceDriver.h"
#include "RaceWorld.h"

#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

TEST(ThreeLapsTest, RaceDriverCompletesThreeLapsWithBothKarts) {
    TW_REQUIRE_TRACK();
    RaceWorld world;
    ASSERT_TRUE(world.loadTrack());
    const auto checkpoints = static_cast<int>(world.gameplay->checkpoints.size());
    ASSERT_GE(checkpoints, 2);
    ASSERT_EQ(world.gameplay->numLaps, 3u);
    FinishLog finishes;
    LogCapture log;
    std::vector<RaceDriver> drivers;
    drivers.reserve(2);
    for (int player = 0; player < 2; ++player) {
        subscribe(world.race(player).onFinished, &finishes, &FinishLog::finished);
        drivers.emplace_back(*world.gameplay, world.car(player), RaceDriver::playerKeys(player),
                             player == 0 ? -2.5f : 2.5f);
    }
    // Player 2 sets off a little later: karts that reach the line on the same
    // step would share one trigger report, and only the first pair of a step is told.
    const std::array<int, 2> startFrame{0, 12};
    std::array<bool, 2> done{};
    for (int frame = 0; frame < 60 * 200 && !(done[0] && done[1]); ++frame) {
        for (size_t p = 0; p < 2; ++p) {
            if (!done[p] && frame >= startFrame[p]) {
                drivers[p].drive(*world.input, 1.0f / 60.0f);
            }
        }
        world.step();
        for (int player = 0; player < 2; ++player) {
            const auto p = static_cast<size_t>(player);
            if (world.race(player).lap > 3 && !done[p]) {
                done[p] = true;
                drivers[p].release(*world.input);
            }
            const glm::vec3 position = world.transform(player).getWorldPosition();
            float ground = 0.0f;
            ASSERT_TRUE(world.groundBelow(position, ground))
                << "P" << player + 1 << " left the track at " << frame;
            ASSERT_GT(position.y, ground - 0.5f) << "P" << player + 1 << " fell through at frame " << frame;
            ASSERT_GT(position.y, 0.0f) << "P" << player + 1 << " fell into the sea at frame " << frame;
        }
    }
    ASSERT_TRUE(done[0]) << "P1 did not finish; lap " << world.race(0).lap;
    ASSERT_TRUE(done[1]) << "P2 did not finish; lap " << world.race(1).lap;

    // Every checkpoint in order, three times round, for each kart.
    for (const std::string kart : {"P1", "P2"}) {
        std::vector<std::string> expected;
        for (int lap = 0; lap < 3; ++lap) {
            for (int n = 1; n <= checkpoints; ++n) {
                expected.push_back("checkpoint #" + std::to_string(n % checkpoints));
            }
            expected.push_back("lap #" + std::to_string(lap + 2));
        }
        EXPECT_EQ(log.startingWith(kart + ", "), expected);
    }
    // Let them roll to a stop past the line: still one announcement each.
    world.stepSeconds(3.0f);
    ASSERT_EQ(finishes.players.size(), 2u);
    EXPECT_NE(finishes.players[0], finishes.players[1]);
}

} // namespace
