// Pictures of the test scene under Xvfb: lit geometry, shadows on the ground in
// both halves of the split screen, fog in the distance and a blended object
// drawn over what lies behind it. Compared with stored references; each run's
// pictures are written next to the build for looking at.
#include "render/GLSceneTest.h"

#include "core/render/Camera.h"
#include "core/render/MeshRenderer.h"
#include "core/render/Renderer.h"
#include "core/resources/Material.h"
#include "core/runtime/Scene.h"

#include <cstdlib>
#include <string>

namespace {

constexpr int windowWidth = 384;
constexpr int windowHeight = 288;

std::string referencePath(const std::string& name) {
    return std::string(TW_SOURCE_DIR) + "/tests/render/references/" + name + ".png";
}

std::string outputPath(const std::string& name) {
    return std::string(TW_BINARY_DIR) + "/render_" + name + ".png";
}

struct Change {
    int lower = 0;
    int higher = 0;
};

// Pixels of one half of the window (0 bottom, 1 top) whose measure(before, after)
// fell below -step or rose above step.
template <typename Measure>
Change changeInHalf(const Picture& before, const Picture& after, int half, float step, Measure measure) {
    Change change;
    for (int y = half * windowHeight / 2; y < (half + 1) * windowHeight / 2; ++y) {
        for (int x = 0; x < before.width; ++x) {
            const float value = measure(before.at(x, y), after.at(x, y));
            change.lower += value < -step ? 1 : 0;
            change.higher += value > step ? 1 : 0;
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

class ScreenshotTest : public GLSceneTest {
protected:
    void SetUp() override {
        open(windowWidth, windowHeight);
        if (scene != nullptr) {
            test = buildTestScene(*engine->systems);
        }
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

    TestScene test;
};

TEST_F(ScreenshotTest, SplitSceneMatchesReference) {
    expectLikeReference(draw(), "split_scene");
}

TEST_F(ScreenshotTest, ShadowsDarkenAndFogFadesOnlyWhatTheyShouldInBothHalves) {
    const Picture lit = draw();
    renderer->shadowsEnabled = false;
    const Picture unshadowed = draw();
    unshadowed.save(outputPath("unshadowed"));
    const float fogStart = renderer->fogStart;
    renderer->fogStart = 1e5f;
    const Picture clear = draw();
    renderer->shadowsEnabled = true;
    renderer->fogStart = fogStart;
    const auto brightening = [](const glm::vec3& before, const glm::vec3& after) {
        return after.r + after.g + after.b - before.r - before.g - before.b;
    };
    const glm::vec3 fog = renderer->fogColor * 255.0f;
    const auto awayFromFog = [&fog](const glm::vec3& before, const glm::vec3& after) {
        return glm::distance(after, fog) - glm::distance(before, fog);
    };
    for (int half = 0; half < 2; ++half) {
        const Change shadows = changeInHalf(unshadowed, lit, half, 45.0f, brightening);
        EXPECT_GT(shadows.lower, 600) << "half " << half;
        EXPECT_EQ(shadows.higher, 0) << "half " << half;
        const Change fogged = changeInHalf(clear, unshadowed, half, 20.0f, awayFromFog);
        EXPECT_GT(fogged.lower, 1000) << "half " << half << ": pixels that took on the fog colour";
        EXPECT_EQ(fogged.higher, 0) << "half " << half;
    }
    // The near ground keeps its own colour.
    const glm::ivec2 near = pixelOf(*test.top, {3.0f, 0.0f, 0.0f});
    EXPECT_LT(glm::distance(clear.at(near.x, near.y), unshadowed.at(near.x, near.y)), 3.0f);
}

TEST_F(ScreenshotTest, BlendedObjectsAreDrawnFarthestFirstOverWhatLiesBehindThem) {
    // Two more glass spheres on one line of sight, the far one added first:
    // drawn far to near, the nearer (red) glass ends up on top.
    const glm::vec3 nearCentre(2.0f, 1.6f, 0.5f);
    const glm::vec3 away = glm::normalize(nearCentre - test.top->getPosition());
    addShape(*test.scene, "far glass", "sphere",
             glassMaterial(*engine->systems, "test green glass", {0.05f, 1.0f, 0.05f, 0.6f}),
             nearCentre + away * 2.0f, glm::vec3(1.2f));
    addShape(*test.scene, "near glass", "sphere",
             glassMaterial(*engine->systems, "test red glass", {1.0f, 0.05f, 0.05f, 0.6f}), nearCentre,
             glm::vec3(0.8f));
    const glm::ivec2 probe = pixelOf(*test.top, {-1.6f, 1.0f, -0.8f});
    const glm::ivec2 pair = pixelOf(*test.top, nearCentre);
    const Picture blended = draw();
    blended.save(outputPath("glasses"));
    test.glass->setEnabled(false);
    const Picture opaque = draw();
    // The yellow glass in front of the red box adds its green to the red, which
    // it could not if the box had been drawn after it.
    const glm::vec3 mixed = blended.at(probe.x, probe.y);
    const glm::vec3 box = opaque.at(probe.x, probe.y);
    EXPECT_GT(box.r, box.g + 60.0f) << "the probe should see the red box";
    EXPECT_GT(mixed.g, box.g + 40.0f);
    EXPECT_GT(mixed.r, 100.0f) << "and the box shows through";
    const glm::vec3 overlap = blended.at(pair.x, pair.y);
    EXPECT_GT(overlap.r, overlap.g + 40.0f);
    EXPECT_GT(overlap.g, 60.0f) << "the far glass shows through the near one";
}

} // namespace
