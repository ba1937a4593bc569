// The resource types' built-ins and the start-up shaders in the cache; no window needed.
#include "TempAssets.h"

#include "core/resources/Material.h"
#include "core/resources/Mesh.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/ResourceLoader.h"
#include "core/resources/Shader.h"
#include "core/resources/Texture2D.h"

#include <gtest/gtest.h>

namespace {

class ResourceCacheTest : public ::testing::Test {
protected:
    void SetUp() override {
        assets.write("core/shaders/default.vert", "#version 430 core\nvoid main() {}\n");
        assets.write("core/shaders/default.frag", "#version 430 core\nvoid main() {}\n");
        assets.write("core/shaders/quad2d.vert", "#version 430 core\nvoid main() {}\n");
        assets.write("core/shaders/quad2d.frag", "#version 430 core\nvoid main() {}\n");
        systems.add<ResourceLoader>()->baseDir = assets.dir;
        cache = systems.add<ResourceCache>();
    }

    TempAssets assets;
    SystemRegistry systems;
    ResourceCache* cache = nullptr;
};

} // namespace

TEST_F(ResourceCacheTest, ReadsTheStartUpShadersFromTheAssetsFolder) {
    Shader* standard = cache->get<Shader>("default");
    ASSERT_NE(standard, nullptr);
    EXPECT_EQ(standard->getVersionLine(), "#version 430 core\n");
    EXPECT_EQ(standard->getVertexSource(), "void main() {}\n");
    EXPECT_NE(cache->get<Shader>("quad2d"), nullptr);
}

TEST_F(ResourceCacheTest, BuiltInsAppearOnFirstUseOfTheirTypeAndTakeNoNumbers) {
    EXPECT_FALSE(cache->exists<Mesh>("cube"));
    Mesh* cube = cache->get<Mesh>("cube");
    ASSERT_NE(cube, nullptr);
    for (const char* name : {"quad", "sphere", "cylinder", "fullScreenQuad"}) {
        EXPECT_TRUE(cache->exists<Mesh>(name)) << name;
    }
    // Without a window only the CPU side is built, but parts and bounds are there.
    EXPECT_EQ(cube->parts.size(), 1u);
    EXPECT_EQ(cube->getBounds().max, glm::vec3(0.5f));
    EXPECT_EQ(cache->get<Mesh>("missing"), nullptr);
    EXPECT_EQ(cache->create<Material>("")->getName(), "Unnamed #1");
    EXPECT_TRUE(cache->exists<Material>("default"));
    EXPECT_TRUE(cache->exists<Material>("wireframe"));
    cache->create<Texture2D>("ground");
    EXPECT_TRUE(cache->exists<Texture2D>("default"));
    EXPECT_TRUE(cache->exists<Texture2D>("white"));
}
