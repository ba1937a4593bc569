// The game's water material under Xvfb: drawn blended after the opaque ground,
// it leaves the depth buffer as the ground made it, casts and receives no
// shadows, and every value the game stores reaches the water shader.
#include "core/render/Camera.h"
#include "core/render/Graphics.h"
#include "core/render/Light.h"
#include "core/render/MeshRenderer.h"
#include "core/render/Renderer.h"
#include "core/render/View.h"
#include "core/resources/Material.h"
#include "core/resources/Mesh.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/Shader.h"
#include "core/resources/ShaderProgram.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/runtime/Transform.h"
#include "game/GameAssets.h"
#include "support/TestEngine.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr int width = 160;
constexpr int height = 120;

class WaterSurfaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        TW_REQUIRE_DISPLAY();
        engine = std::make_unique<TestEngine>(testConfig(width, height));
        graphics = engine->get<Graphics>();
        renderer = engine->get<Renderer>();
        renderer->shadowMapSize = 256;
        auto* cache = engine->get<ResourceCache>();
        registerWaterMaterial(engine->systems.get());
        water = cache->get<Material>("water");
        ASSERT_NE(water, nullptr);

        scene = engine->get<SceneManager>()->createScene("sea");
        engine->get<SceneManager>()->setScene(scene);
        scene->setRunning(true);

        Entity* eye = scene->createEntity("camera");
        eye->addComponent<Transform>()->setLocalMatrix(
            glm::inverse(glm::lookAt(glm::vec3(0, 6, 8), glm::vec3(0), glm::vec3(0, 1, 0))));
        camera = eye->addComponent<Camera>();

        Entity* sun = scene->createEntity("Sun");
        sun->addComponent<Transform>()->setRotation(glm::angleAxis(-1.0f, glm::vec3(1, 0, 0)));
        sun->addComponent<Light>()->castsShadows = true;

        // Sea floor two metres down, and the sea over it.
        Material* sand = cache->create<Material>("sand");
        sand->setShader(cache->get<Shader>("default"));
        sand->setUniform("albedo", glm::vec4(0.8f, 0.7f, 0.5f, 1.0f));
        Entity* floor = scene->createEntity("floor");
        auto* floorTransform = floor->addComponent<Transform>();
        floorTransform->setPosition({0, -2.5f, 0});
        floorTransform->setScale({40, 1, 40});
        floor->addComponent<MeshRenderer>(cache->get<Mesh>("cube"), std::vector<Material*>{sand});

        Entity* sea = scene->createEntity("sea");
        auto* seaTransform = sea->addComponent<Transform>();
        seaTransform->setRotation(glm::angleAxis(glm::radians(-90.0f), glm::vec3(1, 0, 0)));
        seaTransform->setScale({40, 40, 1});
        surface = sea->addComponent<MeshRenderer>(cache->get<Mesh>("quad"), std::vector<Material*>{water});
    }

    // The frame's colour and depth at the middle of the window.
    void draw(glm::vec3& colour, float& depth) {
        graphics->beginFrame();
        renderer->render(*scene, 0.016f);
        glm::u8vec3 rgb;
        glReadPixels(width / 2, height / 2, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, &rgb);
        glReadPixels(width / 2, height / 2, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
        graphics->endFrame();
        colour = glm::vec3(rgb);
    }

    std::unique_ptr<TestEngine> engine;
    Graphics* graphics = nullptr;
    Renderer* renderer = nullptr;
    Scene* scene = nullptr;
    Camera* camera = nullptr;
    Material* water = nullptr;
    MeshRenderer* surface = nullptr;
};

TEST_F(WaterSurfaceTest, DrawnBlendedWithoutDepthOrShadows) {
    glm::vec3 withWater;
    float depthWithWater = 0.0f;
    draw(withWater, depthWithWater);

    const View& view = *renderer->findView(camera);
    const auto isWater = [&view, this](uint32_t index) { return view.item(index).material == water; };
    ASSERT_EQ(std::count_if(view.queues[3].begin(), view.queues[3].end(), isWater), 1);
    EXPECT_TRUE(std::none_of(view.depthList.begin(), view.depthList.end(), isWater));
    ASSERT_EQ(view.shadowCasters.size(), 1u);
    EXPECT_TRUE(
        std::none_of(view.shadowCasters[0].items.begin(), view.shadowCasters[0].items.end(), isWater));
    const uint32_t item = *std::find_if(view.queues[3].begin(), view.queues[3].end(), isWater);
    EXPECT_EQ(view.item(item).program->defines.find("SHADOW"), std::string::npos);

    glm::vec3 withoutWater;
    float depthWithoutWater = 0.0f;
    surface->setEnabled(false);
    draw(withoutWater, depthWithoutWater);
    // Seen, but the depth is still the floor's.
    EXPECT_GT(glm::distance(withWater, withoutWater), 10.0f);
    EXPECT_FLOAT_EQ(depthWithWater, depthWithoutWater);
}

TEST_F(WaterSurfaceTest, EveryStoredValueReachesTheWaterShader) {
    ShaderProgram* program =
        water->getShader()->getProgram(renderer->buildDefines(*water, false, 0, 1, false));
    ASSERT_NE(program, nullptr);
    ASSERT_TRUE(program->isLinked());
    for (const auto& [name, value] : water->getUniforms()) {
        EXPECT_GE(program->getUniformLocation(name), 0) << name;
    }
    for (const auto& [name, texture] : water->getTextures()) {
        EXPECT_GE(program->getUniformLocation(name), 0) << name;
        EXPECT_NE(texture, nullptr) << name;
    }
    // The shader reads as many waves as are stored, so none is left to
    // whatever its slots hold.
    int stored = 0;
    while (water->getUniform("waves[" + std::to_string(stored) + "].dir").getType() ==
           MaterialValue::Type::Vec3) {
        ++stored;
    }
    EXPECT_GT(stored, 0);
    EXPECT_TRUE(water->hasDefine("WAVE_COUNT " + std::to_string(stored)));
}

} // namespace
