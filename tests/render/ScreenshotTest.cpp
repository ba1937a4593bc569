// Pictures of the test scene under Xvfb: lit geometry, shadows on the ground in
// both halves of the split screen, fog in the distance and a blended object
// drawn over what lies behind it. Compared with stored references; each run's
// pictures are written next to the build for looking at.
#include "render/Picture.h"
#include "render/TestScene.h"

#include "core/render/Camera.h"
#include "core/render/Graphics.h"
#include "core/render/MeshRenderer.h"
#include "core/render/Renderer.h"
#include "core/resources/Material.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

constexpr int windowWidth = 384;
constexpr int windowHeight = 288;

std::string referencePath(const std::string& name) {
    return std::string(TW_SOURCE_DIR) + "/tests/render/references/" + name + ".png";
}

std::string outputPath(const std::string& name) { return std::string(TW_BINARY_DIR) + "/render_" + name + ".png"; }

struct Change {
    int darker = 0;
    int brighter = 0;
};

// Pixels of rows [y0, y1) that got darker or brighter by more than step (summed over channels).
Change compareRows(const Picture& before, const Picture& after, int y0, int y1, float step) {
    Change change;
    for (int y = y0; y < y1; ++y) {
        for (int x = 0; x < before.width; ++x) {
            const glm::vec3 delta = after.at(x, y) - before.at(x, y);
            const float sum = delta.r + delta.g + delta.b;
            change.darker += sum < -step ? 1 : 0;
            change.brighter += sum > step ? 1 : 0;
        }
    }
    return change;
}

// Pixels of rows [y0, y1) that came closer to colour by more than step, and that went away from it.
Change towards(const Picture& before, const Picture& after, int y0, int y1, const glm::vec3& colour, float step) {
    Change change;
    for (int y = y0; y < y1; ++y) {
        for (int x = 0; x < before.width; ++x) {
            const float gain = glm::distance(before.at(x, y), colour) - glm::distance(after.at(x, y), colour);
            change.darker += gain > step ? 1 : 0;
            change.brighter += gain < -step ? 1 : 0;
        }
    }
    return change;
}

// Where a world point shows in the window, in pixels from the lower left.
glm::ivec2 pixelOf(Camera& camera, const glm::vec3& world) {
    const glm::vec4 clip = camera.getViewProjection() * glm::vec4(world, 1.0f);
    const glm::vec2 ndc = glm::vec2(clip) / clip.w;
    const glm::ivec4 viewport = camera.getPixelViewport();
    return {viewport.x + static_cast<int>((ndc.x * 0.5f + 0.5f) * static_cast<float>(viewport.z)),
            viewport.y + static_cast<int>((ndc.y * 0.5f + 0.5f) * static_cast<float>(viewport.w))};
}

class ScreenshotTest : public ::testing::Test {
protected:
    void SetUp() override {
        TW_REQUIRE_DISPLAY();
        engine = std::make_unique<TestEngine>(testConfig(windowWidth, windowHeight));
        graphics = engine->get<Graphics>();
        renderer = engine->get<Renderer>();
        ASSERT_TRUE(graphics->hasWindow());
        scene = buildTestScene(*engine->systems);
    }

    // One frame drawn by hand so that the back buffer can be read before the swap.
    Picture draw() {
        graphics->beginFrame();
        renderer->render(*scene.scene, 0.016f);
        Picture picture = Picture::grab(graphics->width, graphics->height);
        graphics->endFrame();
        return picture;
    }

    // Compares with the stored reference; TW_UPDATE_REFERENCES=1 rewrites it.
    void expectLikeReference(const Picture& picture, const std::string& name) {
        picture.save(outputPath(name));
        const char* update = std::getenv("TW_UPDATE_REFERENCES");
        if (update != nullptr && std::string(update) == "1") {
            ASSERT_TRUE(picture.save(referencePath(name)));
            return;
        }
        const Picture reference = Picture::load(referencePath(name));
        ASSERT_FALSE(reference.empty()) << "missing reference " << referencePath(name);
        // Other CPUs round a little differently; a real fault moves far more pixels.
        EXPECT_LT(differingShare(picture, reference, 24), 0.01) << "see " << outputPath(name);
    }

    std::unique_ptr<TestEngine> engine;
    Graphics* graphics = nullptr;
    Renderer* renderer = nullptr;
    TestScene scene;
};

TEST_F(ScreenshotTest, SplitSceneMatchesReference) {
    const Picture picture = draw();
    expectLikeReference(picture, "split_scene");
    // Both halves hold the lit scene, not the clear colour alone.
    const glm::vec3 sky = renderer->fogColor * 255.0f;
    for (int half = 0; half < 2; ++half) {
        int scenery = 0;
        for (int y = half * windowHeight / 2; y < (half + 1) * windowHeight / 2; ++y) {
            for (int x = 0; x < windowWidth; ++x) {
                scenery += glm::distance(picture.at(x, y), sky) > 40.0f ? 1 : 0;
            }
        }
        EXPECT_GT(scenery, windowWidth * windowHeight / 8) << "half " << half;
    }
}

TEST_F(ScreenshotTest, ShadowsDarkenTheGroundInBothHalves) {
    renderer->shadowsEnabled = false;
    const Picture unshadowed = draw();
    renderer->shadowsEnabled = true;
    const Picture shadowed = draw();
    shadowed.save(outputPath("shadowed"));
    unshadowed.save(outputPath("unshadowed"));
    for (int half = 0; half < 2; ++half) {
        const Change change =
            compareRows(unshadowed, shadowed, half * windowHeight / 2, (half + 1) * windowHeight / 2, 45.0f);
        EXPECT_GT(change.darker, 600) << "half " << half;
        EXPECT_EQ(change.brighter, 0) << "half " << half;
    }
}

TEST_F(ScreenshotTest, FogFadesTheDistanceTowardsTheFogColour) {
    const float fogStart = renderer->fogStart;
    renderer->fogStart = 1e5f;
    const Picture clear = draw();
    renderer->fogStart = fogStart;
    const Picture foggy = draw();
    const glm::vec3 fog = renderer->fogColor * 255.0f;
    for (int half = 0; half < 2; ++half) {
        const Change change = towards(clear, foggy, half * windowHeight / 2, (half + 1) * windowHeight / 2, fog, 20.0f);
        EXPECT_GT(change.darker, 1000) << "half " << half << ": pixels that took on the fog colour";
        EXPECT_EQ(change.brighter, 0) << "half " << half;
    }
    // The near ground keeps its own colour.
    const glm::ivec2 near = pixelOf(*scene.top, {3.0f, 0.0f, 0.0f});
    EXPECT_LT(glm::distance(clear.at(near.x, near.y), foggy.at(near.x, near.y)), 3.0f);
}

TEST_F(ScreenshotTest, BlendedObjectsAreDrawnOverWhatLiesBehindThem) {
    const glm::ivec2 probe = pixelOf(*scene.top, {-1.6f, 1.0f, -0.8f});
    const Picture blended = draw();
    scene.glass->setEnabled(false);
    const Picture opaque = draw();
    // The yellow glass in front of the red box adds its green to the red, which
    // it could not if the box had been drawn after it.
    const glm::vec3 mixed = blended.at(probe.x, probe.y);
    const glm::vec3 box = opaque.at(probe.x, probe.y);
    EXPECT_GT(box.r, box.g + 60.0f) << "the probe should see the red box";
    EXPECT_GT(mixed.g, box.g + 40.0f);
    EXPECT_GT(mixed.r, 100.0f) << "and the box shows through";
}

TEST_F(ScreenshotTest, BlendedObjectsAreDrawnFarthestFirst) {
    // Two glass spheres on one line of sight, the far one added first: drawn far
    // to near, the nearer (red) glass ends up on top and dominates the overlap.
    auto glass = [this](const std::string& name, const glm::vec4& colour) {
        Material* material = colourMaterial(*engine->systems, name, colour);
        material->setRenderQueue(3);
        material->setBlendMode(BlendMode::Alpha);
        material->setDepthWrite(false);
        material->setCastsShadows(false);
        return material;
    };
    const glm::vec3 nearCentre(2.0f, 1.6f, 0.5f);
    const glm::vec3 away = glm::normalize(nearCentre - scene.top->getPosition());
    addShape(*scene.scene, "far glass", "sphere", glass("test green glass", {0.05f, 1.0f, 0.05f, 0.6f}),
             nearCentre + away * 2.0f, glm::vec3(1.2f));
    addShape(*scene.scene, "near glass", "sphere", glass("test red glass", {1.0f, 0.05f, 0.05f, 0.6f}), nearCentre,
             glm::vec3(0.8f));
    const Picture picture = draw();
    picture.save(outputPath("two_glasses"));
    const glm::vec3 overlap = picture.at(pixelOf(*scene.top, nearCentre).x, pixelOf(*scene.top, nearCentre).y);
    EXPECT_GT(overlap.r, overlap.g + 40.0f);
    EXPECT_GT(overlap.g, 60.0f) << "the far glass shows through the near one";
}

} // namespace
