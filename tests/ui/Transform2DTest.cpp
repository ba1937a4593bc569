// Placement of UI rectangles: anchors, relative units, aspect modes, scale
// factors and the matrix cache. Runs without a window: the configured window
// size stands in for the real one.
#include "core/ui/Transform2D.h"
#include "core/render/Graphics.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

// Edges of the rectangle the matrix maps the 1 x 1 quad to, in window pixels
// with the origin at the bottom-left corner: left, right, bottom, top.
glm::vec4 edgesOf(const Transform2D* transform) {
    const glm::mat4& m = transform->getMatrix();
    const glm::vec4 low = m * glm::vec4(-0.5f, -0.5f, 0.0f, 1.0f);
    const glm::vec4 high = m * glm::vec4(0.5f, 0.5f, 0.0f, 1.0f);
    return {low.x, high.x, low.y, high.y};
}

glm::vec2 sizeOf(const Transform2D* transform) {
    const glm::vec4 edges = edgesOf(transform);
    return {edges[1] - edges[0], edges[3] - edges[2]};
}

class Transform2DTest : public ::testing::Test {
protected:
    Transform2DTest() : engine(testConfig(800, 600), false) {
        engine.systems->add<SceneManager>();
        scene = engine.get<SceneManager>()->createScene("ui");
        transform = scene->createEntity("rect")->addComponent<Transform2D>();
        // Most cases below are easier to read in pixels.
        transform->setRelative(false);
    }

    TestEngine engine;
    Scene* scene = nullptr;
    Transform2D* transform = nullptr;
};

} // namespace

TEST_F(Transform2DTest, RelativeCentreStaysInTheMiddleOfAnyWindow) {
    EXPECT_EQ(edgesOf(scene->createEntity("fresh")->addComponent<Transform2D>()), glm::vec4(0, 800, 0, 600))
        << "a new transform covers the whole window";

    transform->setRelative(true);
    transform->setPosition({0.5f, 0.5f});
    transform->setSize({0.25f, 0.5f});
    EXPECT_EQ(edgesOf(transform), glm::vec4(300, 500, 150, 450));

    // Another window size (a fullscreen window bigger than configured) moves the
    // cached rectangle along without any setter being called.
    Graphics* graphics = engine.systems->add<Graphics>();
    graphics->width = 1000;
    graphics->height = 400;
    EXPECT_EQ(edgesOf(transform), glm::vec4(375, 625, 100, 300));
}

TEST_F(Transform2DTest, AnchorsNameTheirPointOfTheRectangleAndScalesGrowAroundIt) {
    // Position (100, 50) in pixels from the top-left corner is (100, 550) from the bottom-left.
    const std::pair<Anchor, glm::vec4> cases[] = {
        {Anchor::Center, {80, 120, 540, 560}},      {Anchor::Left, {100, 140, 540, 560}},
        {Anchor::Right, {60, 100, 540, 560}},       {Anchor::Top, {80, 120, 530, 550}},
        {Anchor::Bottom, {80, 120, 550, 570}},      {Anchor::TopLeft, {100, 140, 530, 550}},
        {Anchor::TopRight, {60, 100, 530, 550}},    {Anchor::BottomLeft, {100, 140, 550, 570}},
        {Anchor::BottomRight, {60, 100, 550, 570}},
    };
    transform->setPosition({100.0f, 50.0f});
    transform->setSize({40.0f, 20.0f});
    for (const auto& [anchor, edges] : cases) {
        transform->setAnchor(anchor);
        EXPECT_EQ(edgesOf(transform), edges) << static_cast<int>(anchor);
    }

    // The first scale multiplies the height, the second the width, around the anchor.
    transform->setAnchor(Anchor::BottomLeft);
    transform->setPosition({10.0f, 590.0f});
    transform->setScale(3.0f, 0.5f);
    EXPECT_EQ(edgesOf(transform), glm::vec4(10, 30, 10, 70));
}

TEST_F(Transform2DTest, AspectModesDeriveOneSideFromTheOther) {
    transform->setAspect(256.0f / 128.0f);
    transform->setSize({200.0f, 30.0f});
    EXPECT_EQ(sizeOf(transform), glm::vec2(200, 30)) << "mode None keeps both sides";
    transform->setAspectMode(AspectMode::HeightFollowsWidth);
    EXPECT_EQ(sizeOf(transform), glm::vec2(200, 100));
    transform->setAspectMode(AspectMode::WidthFollowsHeight);
    EXPECT_EQ(sizeOf(transform), glm::vec2(60, 30));

    // A relative width follows the window's width before the aspect applies.
    transform->setRelative(true);
    transform->setSize({0.5f, 0.0f});
    transform->setAspectMode(AspectMode::HeightFollowsWidth);
    EXPECT_EQ(sizeOf(transform), glm::vec2(400, 200));
}
