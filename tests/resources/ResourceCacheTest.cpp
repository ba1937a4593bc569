// The resource types' built-ins and the start-up shaders in the cache; no window needed.
#include "support/TempAssets.h"

#include "core/resources/Mesh.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/ResourceLoader.h"
#include "core/resources/Shader.h"

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

TEST_F(ResourceCacheTest, WithoutAWindowReadsTheStartUpShadersAndGivesBuiltInMeshesTheirCpuSide) {
    Shader* standard = cache->get<Shader>("default");
    ASSERT_NE(standard, nullptr);
    EXPECT_EQ(standard->getVersionLine(), "#version 430 core\n");
    EXPECT_EQ(standard->getVertexSource(), "void main() {}\n");
    EXPECT_NE(cache->get<Shader>("quad2d"), nullptr);
    const Mesh* cube = cache->get<Mesh>("cube");
    ASSERT_NE(cube, nullptr);
    EXPECT_EQ(cube->parts.size(), 1u);
    EXPECT_EQ(cube->getBounds().max, glm::vec3(0.5f));
}
