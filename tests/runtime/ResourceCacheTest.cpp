// Resource naming, built-ins and the asset path search.
#include "core/resources/ResourceCache.h"
#include "core/resources/ResourceLoader.h"
#include "support/LogCapture.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Widget : Resource {
    explicit Widget(SystemRegistry* systems, int size = 0) : Resource(systems), size(size) {}
    int size;
};

struct Gadget : Resource {
    using Resource::Resource;
    static void createBuiltIns(ResourceCache& cache) {
        ++builtInRuns;
        cache.create<Gadget>("builtin");
    }
    static int builtInRuns;
};
int Gadget::builtInRuns = 0;

struct Cache : ::testing::Test {
    Cache() : engine(testConfig(), false) { cache = engine.systems->add<ResourceCache>(); }
    TestEngine engine;
    ResourceCache* cache = nullptr;
};

} // namespace

TEST_F(Cache, ANameIsTakenOncePerTypeBuiltInsComeOnFirstUseAndTheDumpListsEverything) {
    LogCapture log;
    Widget* first = cache->create<Widget>("ground", 1);
    Widget* second = cache->create<Widget>("ground", 2);
    EXPECT_EQ(first, second);
    EXPECT_EQ(second->size, 1);
    EXPECT_TRUE(log.contains("ResourceCache::create: Resource 'ground' already exists."));

    Gadget::builtInRuns = 0;
    EXPECT_NE(cache->get<Gadget>("builtin"), nullptr);
    EXPECT_NE(cache->create<Gadget>("ground"), nullptr) << "the same name under another type";
    cache->get<Gadget>("ground");
    EXPECT_EQ(Gadget::builtInRuns, 1);
    EXPECT_EQ(cache->get<Widget>("builtin"), nullptr);

    cache->create<Widget>("rock");
    log.clear();
    cache->dump();
    EXPECT_EQ(log.lines.front().text, "--- ResourceCache dump ---");
    EXPECT_TRUE(log.contains("    rock"));
    EXPECT_EQ(log.lines.back().text, "--- ResourceCache dump end ---");
}

namespace {

struct AssetTree : ::testing::Test {
    AssetTree() : engine(testConfig(), false) {
        // One tree per process: ctest runs these cases side by side.
        root = fs::path(::testing::TempDir()) / ("assets_tree_" + std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "textures" / "ui");
        fs::create_directories(root / "a");
        touch(root / "textures" / "ui" / "menu.png");
        touch(root / "top.txt");
        loader = engine.systems->add<ResourceLoader>();
        loader->baseDir = root.string();
    }
    ~AssetTree() override { fs::remove_all(root); }
    static void touch(const fs::path& path) { std::ofstream(path) << "x"; }
    TestEngine engine;
    fs::path root;
    ResourceLoader* loader = nullptr;
};

} // namespace

TEST_F(AssetTree, BareNamesAreFoundBelowTheAssetsFolderWithoutFollowingLoops) {
    EXPECT_EQ(loader->resolve("menu.png"), root.string() + "/textures/ui/menu.png");
    EXPECT_EQ(loader->resolve("nothing.png"), "");
    // A directory part that does not exist is not found by the name search either.
    EXPECT_EQ(loader->resolve("missing/menu.png"), "");
    // A path that exists as given is joined, not searched for.
    loader->baseDir = root.string() + "/";
    EXPECT_EQ(loader->resolve("top.txt"), root.string() + "//top.txt");

    // A linked folder that loops back is not followed.
    fs::create_directory_symlink(root, root / "a" / "loop");
    EXPECT_EQ(loader->findFile(root.string(), "absent.txt"), "");
}
