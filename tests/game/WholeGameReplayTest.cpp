// --replay with a broken file names it in one line and shows the title. A race
// saved, watched and returned from is part of the whole-game test, and a kept
// ghost in a one-player race part of the race setup's.
#include "GameHarness.h"

#include "core/runtime/Scene.h"
#include "support/LogCapture.h"
#include "support/TestEngine.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

TEST(WholeGameReplayTest, ABrokenReplayFileIsNamedAndTheTitleShows) {
    TW_REQUIRE_DISPLAY();
    ScratchGameFolder folder("badreplay");
    folder.writeConfig(320, 200);
    const std::string broken = (folder.dir / "broken.twreplay").string();
    std::ofstream(broken) << "TWREPLAY\x01";
    LogCapture log;
    auto* game = new ScriptedGame(folder.configPath());
    game->replayFile = broken;
    game->step("the title", 5.0f, [&] {
        EXPECT_EQ(game->current(), game->scene("menu"));
        return game->titleReady();
    });
    game->quitStep(GLFW_KEY_Q);
    EXPECT_TRUE(game->play());
    EXPECT_EQ(log.count("Replay " + broken + ": truncated in the version"), 1);
    delete game;
}

} // namespace
