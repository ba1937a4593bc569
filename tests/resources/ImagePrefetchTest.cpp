// Decoding pictures ahead on worker threads: whatever order the main thread asks
// in, each file comes back once, exactly as Image::load reads it (failures
// included), and a prefetch dropped with pictures nobody asked for still ends.
#include "support/TempAssets.h"

#include "core/resources/Image.h"
#include "core/resources/ImagePrefetch.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string writePicture(const TempAssets& assets, const std::string& name, int width, int height, int seed) {
    FIBITMAP* image = FreeImage_Allocate(width, height, 24);
    for (int y = 0; y < height; ++y) {
        BYTE* row = FreeImage_GetScanLine(image, y);
        for (int x = 0; x < width * 3; ++x) {
            row[x] = static_cast<BYTE>(x * 7 + y * 13 + seed * 31);
        }
    }
    const std::string path = assets.dir + name;
    EXPECT_TRUE(FreeImage_Save(FIF_PNG, image, path.c_str(), 0));
    FreeImage_Unload(image);
    return path;
}

TEST(ImagePrefetch, GivesEachFileOnceAsImageLoadReadsItInAnyOrder) {
    TempAssets assets;
    std::vector<std::string> paths;
    for (int i = 0; i < 6; ++i) {
        paths.push_back(writePicture(assets, "p" + std::to_string(i) + ".png", 16 + i, 9 + 2 * i, i));
    }
    paths.push_back(assets.write("broken.png", "\x89PNG\r\n\x1a\n not really"));
    paths.push_back(assets.dir + "missing.png");
    // A budget of one byte: the workers stall once a picture waits, until the main thread takes one.
    ImagePrefetch prefetch(paths, 1);
    for (auto path = paths.rbegin(); path != paths.rend(); ++path) {
        Image image;
        bool decoded = false;
        ASSERT_TRUE(prefetch.take(*path, image, decoded)) << *path;
        Image direct;
        EXPECT_EQ(decoded, direct.load(*path)) << *path;
        EXPECT_EQ(image.width, direct.width) << *path;
        EXPECT_EQ(image.height, direct.height) << *path;
        EXPECT_TRUE(image.bgra == direct.bgra) << *path;
    }
    Image again;
    bool decoded = false;
    EXPECT_FALSE(prefetch.take(paths[0], again, decoded)) << "taken twice";
    EXPECT_FALSE(prefetch.take(assets.dir + "other.png", again, decoded)) << "never asked for";

    const ImagePrefetch dropped(paths, 2);
}

} // namespace
