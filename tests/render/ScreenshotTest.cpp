// Pictures of the test scene under Xvfb: lit geometry, shadows on the ground in
// both halves of the split screen, fog in the distance and a blended object
// drawn over what lies behind it. Compared with stored references; each run's
// pictures are written next to the build for looking at.
#include "render/Picture.h"
#include "render/TestScene.h"

#include "core/render/Graphics.h"
#include "core/render/Renderer.h"
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
}

} // namespace
