// Saving player files: the new bytes or the old file, never a torn one, and no
// temporary files left behind either way.
#include "core/platform/AtomicWrite.h"
#include "core/platform/FileSystem.h"
#include "support/LogCapture.h"
#include "support/TempAssets.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

struct AtomicWriteTest : ::testing::Test {
    std::string read(const fs::path& path) const {
        std::string contents;
        readFile(path.string(), contents);
        return contents;
    }
    size_t entries() const { return listDirectory(dir.string()).size(); }
    const TempAssets scratch;
    const fs::path dir = scratch.dir;
};

} // namespace

TEST_F(AtomicWriteTest, WritesNewFilesAndReplacesOldOnesKeepingTheirPermissionsAndLinks) {
    const fs::path path = dir / "config.ini";
    const mode_t mask = umask(027);
    ASSERT_TRUE(writeFileAtomically(path.string(), std::string("a\0b", 3)));
    umask(mask);
    EXPECT_EQ(read(path), std::string("a\0b", 3));
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms(0640)) << "0644 less the umask";

    fs::permissions(path, fs::perms(0600));
    const std::string big(1 << 20, 'x');
    ASSERT_TRUE(writeFileAtomically(path.string(), big));
    EXPECT_EQ(read(path), big);
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms(0600));
    ASSERT_TRUE(writeFileAtomically(path.string(), ""));
    EXPECT_EQ(fs::file_size(path), 0u);
    EXPECT_EQ(entries(), 1u) << "no temporary file left";

    fs::create_symlink(path, dir / "link.ini");
    ASSERT_TRUE(writeFileAtomically((dir / "link.ini").string(), "linked"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.ini")) << "a player's link survives";
    EXPECT_EQ(read(path), "linked");
}

TEST_F(AtomicWriteTest, AFailureLeavesTheOldStateAndNoTemporaryFileAndWarnsOnce) {
    LogCapture log;
    EXPECT_FALSE(writeFileAtomically((dir / "missing/records.ini").string(), "x"));
    fs::create_directory(dir / "taken");
    EXPECT_FALSE(writeFileAtomically((dir / "taken").string(), "x")) << "a folder is never replaced";
    EXPECT_FALSE(writeFileAtomically("", "x"));
    EXPECT_TRUE(fs::is_directory(dir / "taken"));
    EXPECT_EQ(entries(), 1u);
    ASSERT_EQ(log.lines.size(), 3u);
    EXPECT_EQ(log.lines[1].level, LogLevel::Warning);
    EXPECT_NE(log.lines[1].text.find((dir / "taken").string()), std::string::npos) << log.lines[1].text;
}
