// Asset path resolution: the joined path first, then the search by bare file name.
#include "TempAssets.h"

#include "core/platform/FileSystem.h"
#include "core/resources/ResourceLoader.h"

#include <gtest/gtest.h>

namespace {

class ResourceLoaderTest : public ::testing::Test {
protected:
    void SetUp() override { loader.baseDir = assets.dir; }

    TempAssets assets;
    SystemRegistry systems;
    ResourceLoader loader{&systems};
};

} // namespace

TEST_F(ResourceLoaderTest, JoinsTheBaseDirectoryWithAnExtraSlash) {
    assets.write("sounds/go.wav", "x");
    EXPECT_EQ(loader.resolve("sounds/go.wav"), assets.dir + "/sounds/go.wav");
}

TEST_F(ResourceLoaderTest, FindsABareFileNameBelowTheAssetsFolder) {
    assets.write("textures/ui/button.png", "x");
    EXPECT_EQ(loader.resolve("button.png"), assets.dir + "/textures/ui/button.png");
}

TEST_F(ResourceLoaderTest, AMissingDirectoryPartIsNotFoundByTheSearchEither) {
    assets.write("textures/ui/button.png", "x");
    EXPECT_EQ(loader.resolve("other/button.png"), "");
    EXPECT_EQ(loader.resolve("nothing.png"), "");
}

TEST_F(ResourceLoaderTest, ComparesADirectorysOwnEntriesBeforeEnteringItsSubdirectories) {
    assets.write("a/deeper/file.txt", "deep");
    assets.write("a/file.txt", "shallow");
    EXPECT_EQ(loader.findFile(assets.dir + "a", "file.txt"), assets.dir + "a/file.txt");
}

TEST_F(ResourceLoaderTest, SearchesEachSubdirectoryCompletelyBeforeTheNext) {
    assets.write("root/p/deep/target.txt", "p");
    assets.write("root/q/target.txt", "q");
    // The listing order is the file system's: whichever of p and q comes first wins,
    // even where its match lies deeper than the other's.
    const std::vector<DirectoryEntry> entries = listDirectory(assets.dir + "root");
    ASSERT_EQ(entries.size(), 2u);
    const std::string expected = entries[0].name == "p" ? "root/p/deep/target.txt" : "root/q/target.txt";
    EXPECT_EQ(loader.findFile(assets.dir + "root", "target.txt"), assets.dir + expected);
}
