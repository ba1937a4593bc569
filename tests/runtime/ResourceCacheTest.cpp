// Resource naming, built-ins and the asset path search.
#include "core/resources/ResourceCache.h"
#include "core/resources/ResourceLoader.h"
#include "support/LogCapture.h"
#include "support/TempAssets.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

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

TEST(AssetTree, BareNamesAreFoundBelowTheAssetsFolderWithoutFollowingLoops) {
    const TempAssets assets;
    const std::string root = assets.dir.substr(0, assets.dir.size() - 1);
    assets.write("textures/ui/menu.png", "x");
    assets.write("top.txt", "x");
    TestEngine engine(testConfig(), false);
    auto* loader = engine.systems->add<ResourceLoader>();
    loader->baseDir = root;
    EXPECT_EQ(loader->resolve("menu.png"), root + "/textures/ui/menu.png");
    EXPECT_EQ(loader->resolve("nothing.png"), "");
    // A directory part that does not exist is not found by the name search either.
    EXPECT_EQ(loader->resolve("missing/menu.png"), "");
    // A path that exists as given is joined, not searched for.
    loader->baseDir = root + "/";
    EXPECT_EQ(loader->resolve("top.txt"), root + "//top.txt");

    // A linked folder that loops back is not followed.
    fs::create_directory_symlink(root, assets.makeDir("a") + "/loop");
    EXPECT_EQ(loader->findFile(root, "absent.txt"), "");
}
