// The generator must write the same bytes on every run (generated assets are
// build output, so a rebuild must not churn them). Runs it twice on the parts
// most at risk: the lightmap threads, Embree, the FBX file, and the TIFF and PSD
// writers; --quick keeps the lightmap bake short.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

TEST(AssetGenerator, SecondRunWritesIdenticalBytes) {
#ifndef TW_ASSETGEN
    GTEST_SKIP() << "the asset generator is not part of this build";
#else
    const fs::path base = fs::path(TW_BINARY_DIR) / "assetgen-determinism";
    fs::remove_all(base);
    fs::create_directories(base);
    for (const char* run : {"a", "b"}) {
        const std::string out = (base / run).string();
        const std::string command = std::string("\"") + TW_ASSETGEN + "\" --out \"" + out +
                                    "\" --only track,particles --quick > \"" + out + ".log\" 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    const auto files =
        std::count_if(fs::recursive_directory_iterator(base / "a"), fs::recursive_directory_iterator(),
                      [](const fs::directory_entry& e) { return e.is_regular_file(); });
    EXPECT_GT(files, 15);
    const std::string diff = "diff -rq \"" + (base / "a").string() + "\" \"" + (base / "b").string() + "\"";
    EXPECT_EQ(std::system(diff.c_str()), 0) << "diff names the files that differ between runs";
    fs::remove_all(base);
#endif
}

} // namespace
