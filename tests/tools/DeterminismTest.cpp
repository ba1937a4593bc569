// The generator must write the same bytes on every run (generated assets are
// build output, so a rebuild must not churn them). Runs it twice on the parts
// most at risk: the lightmap threads, Embree, the FBX file, and the TIFF and PSD
// writers; --quick keeps the lightmap bake short.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace fs = std::filesystem;

namespace {

[[maybe_unused]] std::map<std::string, std::string> readTree(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        files[fs::relative(entry.path(), root).string()] =
            std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return files;
}

TEST(AssetGenerator, SecondRunWritesIdenticalBytes) {
#ifndef TW_ASSETGEN
    GTEST_SKIP() << "the asset generator is not part of this build";
#else
    const fs::path base = fs::path(TW_BINARY_DIR) / "assetgen-determinism";
    fs::remove_all(base);
    for (const char* run : {"a", "b"}) {
        const std::string command = std::string("\"") + TW_ASSETGEN + "\" --out \"" + (base / run).string() +
                                    "\" --only track,particles --quick > \"" + (base / run).string() +
                                    ".log\" 2>&1";
        fs::create_directories(base);
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    const auto a = readTree(base / "a");
    const auto b = readTree(base / "b");
    EXPECT_GT(a.size(), 15u);
    ASSERT_EQ(a.size(), b.size());
    for (const auto& [name, bytes] : a) {
        const auto other = b.find(name);
        ASSERT_NE(other, b.end()) << name;
        EXPECT_TRUE(bytes == other->second) << name << " differs between runs";
    }
    fs::remove_all(base);
#endif
}

} // namespace
