// Where the game looks for its settings and assets: the working directory's
// config.ini first, else the player's own one (made once, never overwritten),
// and the assets of an installed or a built game found from its executable.
#include "game/GameFiles.h"
#include "core/platform/FileSystem.h"
#include "core/platform/UserPaths.h"
#include "core/runtime/ConfigFile.h"
#include "support/LogCapture.h"
#include "support/ScratchHome.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// A scratch home, and a folder beside it as the working directory.
struct GameFilesTest : ::testing::Test {
    GameFilesTest() : previous(fs::current_path()) {
        fs::create_directories(dir / "work");
        fs::current_path(dir / "work");
    }
    ~GameFilesTest() override { fs::current_path(previous); }
    std::string read(const fs::path& path) const {
        std::string contents;
        readFile(path.string(), contents);
        return contents;
    }
    ScratchHome scratch;
    const fs::path dir = scratch.dir;
    fs::path previous;
};

} // namespace

TEST_F(GameFilesTest, ThePlayersConfigIsMadeOnceWithTheDefaultsUnlessTheWorkingDirectoryHasOne) {
    const fs::path own = dir / "home/.config/torquewind/config.ini";
    LogCapture log;
    EXPECT_EQ(findConfigFile(UserPaths("torquewind")), own.string());
    EXPECT_EQ(read(own), defaultConfigText);
    EXPECT_TRUE(log.contains("Created " + own.string() + " with the default settings"));
    EXPECT_FALSE(ConfigFile(own.string()).HasValue("dir", "assets"))
        << "the installed assets are found from the executable";

    std::ofstream(own) << "[window]\nwidth=640\n";
    log.clear();
    EXPECT_EQ(findConfigFile(UserPaths("torquewind")), own.string());
    EXPECT_EQ(read(own), "[window]\nwidth=640\n") << "a player's edits are kept";
    EXPECT_TRUE(log.lines.empty());

    std::ofstream("config.ini") << "[window]\n";
    EXPECT_EQ(findConfigFile(UserPaths("torquewind")), "config.ini");
}

TEST_F(GameFilesTest, WithoutAWritableHomeTheGameStartsOnItsDefaults) {
    fs::create_directories(dir / "home");
    std::ofstream(dir / "home/.config") << "a file, not a folder";
    LogCapture log;
    EXPECT_EQ(findConfigFile(UserPaths("torquewind")), "config.ini");
    EXPECT_EQ(log.lines.size(), 1u);
    EXPECT_FALSE(fs::exists("config.ini")) << "nothing is written into the working directory";
}

TEST_F(GameFilesTest, AssetsAreFoundBesideTheInstalledOrTheBuiltExecutable) {
    fs::create_directories(dir / "usr/games");
    fs::create_directories(dir / "usr/share/games/torquewind");
    fs::create_directories(dir / "build/bin");
    fs::create_directories(dir / "build/assets");
    EXPECT_EQ(findAssetsDir((dir / "usr/games").string()), (dir / "usr/share/games/torquewind/").string());
    EXPECT_EQ(findAssetsDir((dir / "build/bin").string()), (dir / "build/assets/").string());
    EXPECT_EQ(findAssetsDir((dir / "work").string()), "../assets/");
    EXPECT_EQ(findAssetsDir(""), "../assets/");
}
