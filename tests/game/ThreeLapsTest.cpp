// Both karts driven by the test driver for three laps of the generated track:
// every checkpoint in order, the laps counting up, one finish each, and no kart
// ever leaving the track or falling through it.
#include "DrivingWorld.h"
#include "TestDriver.h"

#include "core/physics/RigidBodyDynamic.h"
#include "core/runtime/Transform.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

struct FinishLog {
    void finished(unsigned player) { players.push_back(player); }
    std::vector<unsigned> players;
};

TEST(ThreeLapsTest, TestDriverCompletesThreeLapsWithBothKarts) {
    TW_REQUIRE_TRACK();
    DrivingWorld world;
    ASSERT_NE(world.cars[0], nullptr);
    ASSERT_NE(world.cars[1], nullptr);
    const auto checkpoints = static_cast<int>(world.gameplay->checkpoints.size());
    ASSERT_GE(checkpoints, 2);
    ASSERT_EQ(world.gameplay->numLaps, 3u);
    FinishLog finishes;
    for (int player = 0; player < 2; ++player) {
        subscribe(world.race(player).onFinished, &finishes, &FinishLog::finished);
    }
    LogCapture log;
    std::array<TestDriver, 2> drivers{TestDriver(world, 0), TestDriver(world, 1)};
    std::array<int, 2> finishFrame{-1, -1};
    std::array<int, 2> lapStart{-1, -1};
    std::array<std::vector<float>, 2> lapTimes;

    // Player 2 reacts a little later: karts that reach the line on the same step
    // would share one trigger report, and only the first pair of a step is told.
    const std::array<int, 2> startFrame{0, 12};
    const int maxFrames = 60 * 200;
    int frame = 0;
    for (; frame < maxFrames && (finishFrame[0] < 0 || finishFrame[1] < 0); ++frame) {
        for (int player = 0; player < 2; ++player) {
            if (finishFrame[static_cast<size_t>(player)] < 0 &&
                frame >= startFrame[static_cast<size_t>(player)]) {
                drivers[static_cast<size_t>(player)].drive();
            }
        }
        std::array<int, 2> lapBefore{world.race(0).lap, world.race(1).lap};
        world.frame();
        for (int player = 0; player < 2; ++player) {
            const auto p = static_cast<size_t>(player);
            const int lap = world.race(player).lap;
            if (lap != lapBefore[p]) {
                if (lapStart[p] >= 0) {
                    lapTimes[p].push_back(static_cast<float>(frame - lapStart[p]) / 60.0f);
                }
                lapStart[p] = frame;
            }
            if (lap > 3 && finishFrame[p] < 0) {
                finishFrame[p] = frame;
                drivers[p].stop();
            }
            // Never through the road nor into the sea.
            const glm::vec3 position = world.transform(player).getWorldPosition();
            float ground = 0.0f;
            ASSERT_TRUE(world.groundBelow(position, ground))
                << "P" << player + 1 << " left the track at frame " << frame;
            ASSERT_GT(position.y, ground - 0.5f) << "P" << player + 1 << " fell through at frame " << frame;
            ASSERT_GT(position.y, 0.0f) << "P" << player + 1 << " fell into the sea at frame " << frame;
        }
    }
    for (int player = 0; player < 2; ++player) {
        const auto p = static_cast<size_t>(player);
        std::string times;
        for (const float t : lapTimes[p]) {
            times += " " + std::to_string(t);
        }
        std::cout << "P" << player + 1 << " lap times (s):" << times << "\n";
    }
    ASSERT_GE(finishFrame[0], 0) << "P1 did not finish; lap " << world.race(0).lap;
    ASSERT_GE(finishFrame[1], 0) << "P2 did not finish; lap " << world.race(1).lap;

    // Every checkpoint in order, three times round, for each kart.
    for (const std::string kart : {"P1", "P2"}) {
        std::vector<std::string> expected;
        for (int lap = 0; lap < 3; ++lap) {
            for (int n = 1; n <= checkpoints; ++n) {
                expected.push_back(kart + ", checkpoint #" + std::to_string(n % checkpoints));
            }
            expected.push_back(kart + ", lap #" + std::to_string(lap + 2));
        }
        std::vector<std::string> seen;
        for (const LoggedLine& line : log.lines) {
            if (line.text.rfind(kart + ", ", 0) == 0) {
                seen.push_back(line.text);
            }
        }
        EXPECT_EQ(seen, expected);
    }
    // Let them roll to a stop past the line: still one announcement each.
    world.seconds(3.0f);
    ASSERT_EQ(finishes.players.size(), 2u);
    EXPECT_NE(finishes.players[0], finishes.players[1]);
}

} // namespace
