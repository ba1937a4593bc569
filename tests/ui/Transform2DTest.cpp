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

namespace {

// Edges of the rectangle the matrix maps the 1 x 1 quad to, in window pixels
// with the origin at the bottom-left corner.
struct Rect {
    float left, right, bottom, top;
};

Rect rectOf(const glm::mat4& m) {
    const glm::vec4 low = m * glm::vec4(-0.5f, -0.5f, 0.0f, 1.0f);
    const glm::vec4 high = m * glm::vec4(0.5f, 0.5f, 0.0f, 1.0f);
    return {low.x, high.x, low.y, high.y};
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

struct AnchorCase {
    Anchor anchor;
    float left, right, bottom, top;
};

} // namespace

TEST_F(Transform2DTest, RelativeCentreStaysInTheMiddleOfAnyWindow) {
    // A new transform covers the whole window.
    const Rect whole = rectOf(scene->createEntity("fresh")->addComponent<Transform2D>()->getMatrix());
    EXPECT_EQ(glm::vec4(whole.left, whole.right, whole.bottom, whole.top), glm::vec4(0, 800, 0, 600));

    transform->setRelative(true);
    transform->setPosition({0.5f, 0.5f});
    transform->setSize({0.25f, 0.5f});
    Rect r = rectOf(transform->getMatrix());
    EXPECT_FLOAT_EQ((r.left + r.right) / 2.0f, 400.0f);
    EXPECT_FLOAT_EQ((r.bottom + r.top) / 2.0f, 300.0f);
    EXPECT_FLOAT_EQ(r.right - r.left, 200.0f);
    EXPECT_FLOAT_EQ(r.top - r.bottom, 300.0f);

    // Another window size (a fullscreen window bigger than configured) moves the
    // cached rectangle along without any setter being called.
    Graphics* graphics = engine.systems->add<Graphics>();
    graphics->width = 1000;
    graphics->height = 400;
    r = rectOf(transform->getMatrix());
    EXPECT_FLOAT_EQ((r.left + r.right) / 2.0f, 500.0f);
    EXPECT_FLOAT_EQ((r.bottom + r.top) / 2.0f, 200.0f);
    EXPECT_FLOAT_EQ(r.right - r.left, 250.0f);
}

TEST_F(Transform2DTest, AnchorsNameTheirPointOfTheRectangleAndScalesGrowAroundIt) {
    // Position (100, 50) in pixels from the top-left corner is (100, 550) from the bottom-left.
    const AnchorCase cases[] = {
        {Anchor::Center, 80, 120, 540, 560},      {Anchor::Left, 100, 140, 540, 560},
        {Anchor::Right, 60, 100, 540, 560},       {Anchor::Top, 80, 120, 530, 550},
        {Anchor::Bottom, 80, 120, 550, 570},      {Anchor::TopLeft, 100, 140, 530, 550},
        {Anchor::TopRight, 60, 100, 530, 550},    {Anchor::BottomLeft, 100, 140, 550, 570},
        {Anchor::BottomRight, 60, 100, 550, 570},
    };
    transform->setPosition({100.0f, 50.0f});
    transform->setSize({40.0f, 20.0f});
    for (const AnchorCase& c : cases) {
        transform->setAnchor(c.anchor);
        const Rect r = rectOf(transform->getMatrix());
        SCOPED_TRACE(static_cast<int>(c.anchor));
        EXPECT_FLOAT_EQ(r.left, c.left);
        EXPECT_FLOAT_EQ(r.right, c.right);
        EXPECT_FLOAT_EQ(r.bottom, c.bottom);
        EXPECT_FLOAT_EQ(r.top, c.top);
    }

    // The first scale multiplies the height, the second the width, around the anchor.
    transform->setAnchor(Anchor::BottomLeft);
    transform->setPosition({10.0f, 590.0f});
    transform->setScale(3.0f, 0.5f);
    const Rect r = rectOf(transform->getMatrix());
    EXPECT_FLOAT_EQ(r.left, 10.0f);
    EXPECT_FLOAT_EQ(r.bottom, 10.0f);
    EXPECT_FLOAT_EQ(r.right - r.left, 20.0f);
    EXPECT_FLOAT_EQ(r.top - r.bottom, 60.0f);
}

TEST_F(Transform2DTest, AspectModesDeriveOneSideFromTheOther) {
    transform->setAspect(256.0f / 128.0f);
    transform->setSize({200.0f, 30.0f});
    Rect r = rectOf(transform->getMatrix());
    EXPECT_FLOAT_EQ(r.top - r.bottom, 30.0f) << "mode None keeps both sides";

    transform->setAspectMode(AspectMode::HeightFollowsWidth);
    r = rectOf(transform->getMatrix());
    EXPECT_FLOAT_EQ(r.right - r.left, 200.0f);
    EXPECT_FLOAT_EQ(r.top - r.bottom, 100.0f);

    transform->setAspectMode(AspectMode::WidthFollowsHeight);
    r = rectOf(transform->getMatrix());
    EXPECT_FLOAT_EQ(r.right - r.left, 60.0f);
    EXPECT_FLOAT_EQ(r.top - r.bottom, 30.0f);

    // A relative width follows the window's width before the aspect applies.
    transform->setRelative(true);
    transform->setSize({0.5f, 0.0f});
    transform->setAspectMode(AspectMode::HeightFollowsWidth);
    r = rectOf(transform->getMatrix());
    EXPECT_FLOAT_EQ(r.top - r.bottom, 200.0f);
}
