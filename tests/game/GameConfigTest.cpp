// "game.ini": the lap count, and what a missing or broken file does.
#include "GameHarness.h"

#include "core/resources/ResourceLoader.h"
#include "game/GameConfig.h"
#include "support/LogCapture.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

namespace {

class GameConfigTest : public ::testing::Test {
protected:
    GameConfigTest() : engine(testConfig(), false), folder("gameini") {
        engine.systems->add<ResourceLoader>()->baseDir = folder.assets.string() + "/";
        folder.removeAsset("game.ini");
    }

    void write(const std::string& content) { folder.writeAsset("game.ini", content); }
    unsigned laps() const { return readGameConfig(engine.systems.get()).numLaps; }

    TestEngine engine;
    ScratchGameFolder folder;
};

} // namespace

TEST_F(GameConfigTest, ReadsTheLapCountWarnsOnMissingOrBrokenFilesAndFallsBackOnNonsenseCounts) {
    LogCapture log;
    EXPECT_EQ(laps(), 3u);
    const int warning = log.indexOf("Failed to load game config");
    ASSERT_GE(warning, 0);
    EXPECT_EQ(log.lines[static_cast<size_t>(warning)].level, LogLevel::Warning);

    write("; race settings\n[Game]\nNumLaps = 5\n");
    log.clear();
    EXPECT_EQ(laps(), 5u);
    EXPECT_TRUE(log.lines.empty());

    write("[game]\nnumLaps=2\nthis line is not ini\n");
    EXPECT_EQ(laps(), 2u);
    EXPECT_TRUE(log.contains("Failed to load game config"));

    for (const char* count : {"many", "0", "-2"}) {
        write(std::string("[game]\nnumLaps=") + count + "\n");
        EXPECT_EQ(laps(), 3u) << count;
    }
    write("[game]\nnumLaps=99999999999999999999\n");
    log.clear();
    EXPECT_EQ(laps(), 99u);
    EXPECT_TRUE(log.contains("game.ini: numLaps must be at most 99, not 99999999999999999999; using 99"));
}
