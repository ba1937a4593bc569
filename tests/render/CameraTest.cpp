// Pixel viewports, aspect and frustum culling of cameras; no window needed. (The
// projection itself is pinned by the screenshots.)
#include "core/render/Camera.h"
#include "core/render/Graphics.h"
#include "core/render/MeshRenderer.h"
#include "core/resources/Material.h"
#include "core/resources/Mesh.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/Transform.h"
#include "render/TestScene.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

namespace {

class CameraTest : public ::testing::Test {
protected:
    CameraTest() : engine(testConfig(), false), scene("cameras", engine.systems.get()) {
        // A Graphics without a window still tells cameras the window size.
        graphics = engine.systems->add<Graphics>();
        graphics->width = 1280;
        graphics->height = 720;
    }

    Camera* camera(const glm::vec3& eye, const glm::vec3& target) {
        return addCamera(scene, "camera", eye, target);
    }

    // A unit cube's mesh renderer at position with scale.
    MeshRenderer* box(const glm::vec3& position, const glm::vec3& scale = glm::vec3(1.0f)) {
        if (cube == nullptr) {
            cube = std::make_unique<Mesh>(engine.systems.get());
            for (int i = 0; i < 8; ++i) {
                cube->positions.emplace_back((i & 1) ? 0.5f : -0.5f, (i & 2) ? 0.5f : -0.5f,
                                             (i & 4) ? 0.5f : -0.5f);
            }
            cube->indices = {0, 1, 2};
            cube->finalize();
        }
        Entity* entity = scene.createEntity("box");
        auto* transform = entity->addComponent<Transform>();
        transform->setPosition(position);
        transform->setScale(scale);
        return entity->addComponent<MeshRenderer>(cube.get());
    }

    TestEngine engine;
    Scene scene;
    Graphics* graphics = nullptr;
    std::unique_ptr<Mesh> cube;
};

TEST_F(CameraTest, ProjectionCoversTheWindowOrItsHalfInTheSplitScreen) {
    Camera* top = camera({0, 0, 0}, {0, 0, -1});
    EXPECT_FLOAT_EQ(top->getAspect(), 16.0f / 9.0f);
    EXPECT_EQ(top->getPixelViewport(), glm::ivec4(0, 0, 1280, 720));

    Camera* bottom = camera({0, 0, 0}, {0, 0, -1});
    top->setViewport(0.0f, 0.5f, 1.0f, 0.5f);
    bottom->setViewport(0.0f, 0.0f, 1.0f, 0.5f);
    // GL's origin is the lower left, so the top half starts half way up.
    EXPECT_EQ(top->getPixelViewport(), glm::ivec4(0, 360, 1280, 360));
    EXPECT_EQ(bottom->getPixelViewport(), glm::ivec4(0, 0, 1280, 360));
    EXPECT_FLOAT_EQ(bottom->getAspect(), 2.0f * 16.0f / 9.0f);
    // The horizontal extent follows the wider aspect.
    const glm::vec4 clip = top->getViewProjection() * glm::vec4(3.5f, 0.0f, -1.0f, 1.0f);
    EXPECT_NEAR(clip.x / clip.w, 3.5f / (32.0f / 9.0f), 1e-5f);
}

TEST_F(CameraTest, FrustumCullsBoxesBehindAndBeyondButKeepsStraddlingOnes) {
    Camera* cam = camera({0, 0, 0}, {0, 0, -1});
    cam->far = 100.0f;
    const Frustum& frustum = cam->getFrustum();

    EXPECT_TRUE(box({0, 0, -5})->isVisible(frustum));
    EXPECT_FALSE(box({0, 0, 5})->isVisible(frustum)) << "behind the camera";
    EXPECT_FALSE(box({0, 0, -150})->isVisible(frustum)) << "beyond the far plane";
    // fov 90 with aspect 16:9: the left plane at depth 10 lies at x = -17.8.
    EXPECT_FALSE(box({-20, 0, -10})->isVisible(frustum));
    EXPECT_TRUE(box({-18, 0, -10})->isVisible(frustum)) << "straddles the left plane";
    EXPECT_TRUE(box({0, 0, 0.2f})->isVisible(frustum)) << "straddles the near plane";
    // Scale counts: a long box behind the camera reaching into the view.
    EXPECT_TRUE(box({0, 0, 5}, {1, 1, 12})->isVisible(frustum));

    // The frustum turns and moves with the camera.
    const Frustum& turned = camera({10, 0, 0}, {20, 0, 0})->getFrustum();
    EXPECT_TRUE(box({15, 0, 0})->isVisible(turned));
    EXPECT_FALSE(box({0, 0, -5})->isVisible(turned));
    EXPECT_FALSE(box({5, 0, 0})->isVisible(turned));
}

} // namespace
