// The per-user folders: which environment wins and what gets created. A file
// where a folder should be is the game's files test's case.
#include "core/platform/UserPaths.h"
#include "core/platform/ExecutablePath.h"
#include "support/ScratchHome.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

struct UserPathsTest : ::testing::Test {
    static fs::perms perms(const fs::path& path) { return fs::status(path).permissions() & fs::perms::all; }
    ScratchHome scratch;
    const fs::path dir = scratch.dir;
};

} // namespace

TEST_F(UserPathsTest, AbsoluteXdgFoldersWinAndAnythingElseFallsBackToHome) {
    setenv("XDG_CONFIG_HOME", (dir / "cfg").c_str(), 1);
    setenv("XDG_DATA_HOME", "relative/data", 1);
    const UserPaths paths("torquewind");
    EXPECT_EQ(paths.configDir(), (dir / "cfg/torquewind").string());
    EXPECT_EQ(paths.dataDir(), (dir / "home/.local/share/torquewind").string())
        << "a relative value is ignored";
    EXPECT_FALSE(fs::exists(paths.configDir())) << "nothing is created until a file is asked for";

    setenv("XDG_CONFIG_HOME", "", 1);
    EXPECT_EQ(UserPaths("torquewind").configDir(), (dir / "home/.config/torquewind").string());
}

TEST_F(UserPathsTest, AskingForAFileCreatesPrivateFoldersAndLeavesExistingOnesAlone) {
    fs::create_directories(dir / "home");
    fs::permissions(dir / "home", fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
    const UserPaths paths("torquewind");

    const std::string replay = paths.dataFile("replays/best.rpl");
    EXPECT_EQ(replay, (dir / "home/.local/share/torquewind/replays/best.rpl").string());
    for (const char* made :
         {".local", ".local/share", ".local/share/torquewind", ".local/share/torquewind/replays"}) {
        EXPECT_EQ(perms(dir / "home" / made), fs::perms::owner_all) << made;
    }
    EXPECT_FALSE(fs::exists(replay)) << "only folders are made";
    EXPECT_EQ(perms(dir / "home"), fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
}

TEST(ExecutablePath, IsTheFolderOfTheRunningProgram) {
    EXPECT_TRUE(fs::equivalent(executableDir(), fs::path(TW_BINARY_DIR) / "tests"));
}
