// The race driver drives one lap of every shipped track, and of tracks the
// generator lays out from a handful of seeds, in the physics world alone: the
// kart passes every checkpoint in order, finishes the lap, never leaves the
// road's colliders, never falls into the water and never stands still for long.
#include "RaceDriver.h"
#include "RaceWorld.h"

#include "core/resources/ResourceLoader.h"
#include "game/TrackCatalog.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// One lap for P1 from its grid slot; failures name the track.
void driveOneLap(const std::string& assets, const std::string& file) {
    SCOPED_TRACE(file);
    RaceWorld world;
    world.engine.get<ResourceLoader>()->baseDir = assets;
    ASSERT_TRUE(world.loadTrack(file));
    const auto checkpoints = static_cast<int>(world.gameplay->checkpoints.size());
    ASSERT_GE(checkpoints, 8);
    LogCapture log;
    RaceDriver driver(*world.gameplay, world.car(0), RaceDriver::playerKeys(0), 0.0f);
    glm::vec3 lastMoved = world.transform(0).getWorldPosition();
    int stillFrames = 0;
    for (int frame = 0; frame < 60 * 180 && world.race(0).lap <= 1; ++frame) {
        driver.drive(*world.input, 1.0f / 60.0f);
        world.step();
        const glm::vec3 position = world.transform(0).getWorldPosition();
        float ground = 0.0f;
        ASSERT_TRUE(world.groundBelow(position, ground)) << "left the track at frame " << frame;
        ASSERT_GT(position.y, 0.0f) << "fell into the water at frame " << frame;
        if (glm::distance(position, lastMoved) > 3.0f) {
            lastMoved = position;
            stillFrames = 0;
        } else {
            ASSERT_LT(++stillFrames, 60 * 8) << "stuck at " << position.x << ", " << position.z;
        }
    }
    ASSERT_GT(world.race(0).lap, 1u) << "no lap in three minutes";
    std::vector<std::string> expected;
    for (int n = 1; n <= checkpoints; ++n) {
        expected.push_back("checkpoint #" + std::to_string(n % checkpoints));
    }
    expected.emplace_back("lap #2");
    EXPECT_EQ(log.startingWith("P1, "), expected);
}

TEST(EveryTrackTest, RaceDriverDrivesALapOfEveryShippedTrack) {
    TW_REQUIRE_TRACK();
    const TrackCatalog catalog = TrackCatalog::scan(TW_ASSETS_DIR);
    ASSERT_GE(catalog.tracks().size(), 4u);
    EXPECT_EQ(catalog.tracks()[0].file, TrackCatalog::defaultTrack);
    for (const TrackInfo& track : catalog.tracks()) {
        driveOneLap(TW_ASSETS_DIR, track.file);
    }
}

TEST(EveryTrackTest, RaceDriverDrivesALapOfTracksFromSeeds) {
#ifndef TW_ASSETGEN
    GTEST_SKIP() << "the asset generator is not part of this build";
#else
    const fs::path folder = fs::temp_directory_path() / ("tw-seeds-" + std::to_string(getpid()));
    // 9, 25, 27 and 132 once had checkpoints so far apart that the driver's line
    // cut across the inside barrier of a tight corner; 107's first layout fails
    // the designer's driving check and is replaced.
    for (const unsigned seed : {9u, 25u, 27u, 107u, 132u, 3000000001u}) {
        const std::string name = "Seed_" + std::to_string(seed);
        const std::string command = std::string("\"") + TW_ASSETGEN + "\" --out \"" + folder.string() +
                                    "\" --track-seed " + std::to_string(seed) + " --track-name " + name +
                                    " --quick --threads 1 > /dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        driveOneLap(folder.string() + "/", "scenes/" + name + "/" + name + ".fbx");
    }
    fs::remove_all(folder);
#endif
}

} // namespace
