// The window and the GL state cache, under Xvfb.
#include "core/render/Graphics.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

TEST(Graphics, OpensACoreContextOfTheConfiguredSize) {
    TW_REQUIRE_DISPLAY();
    TestEngine engine(testConfig(300, 200));
    auto* graphics = engine.get<Graphics>();
    ASSERT_TRUE(graphics->hasWindow());
    EXPECT_EQ(graphics->width, 300);
    EXPECT_EQ(graphics->height, 200);
    GLint major = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    EXPECT_GE(major, 4);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_TRUE(graphics->saveScreenshot(::testing::TempDir() + "red.png"));
}

TEST(Graphics, StateCacheSendsFirstRequestsAndDropsRepeats) {
    TW_REQUIRE_DISPLAY();
    TestEngine engine;
    auto* graphics = engine.get<Graphics>();
    const uint32_t start = graphics->stateCalls;
    graphics->setPolygonMode(PolygonMode::Fill);
    graphics->setBlendMode(BlendMode::None);
    graphics->setCullMode(CullMode::Back);
    graphics->setDepthFunc(DepthFunc::Less);
    EXPECT_EQ(graphics->stateCalls - start, 4u) << "out-of-range initial values make every first request real";
    graphics->setPolygonMode(PolygonMode::Fill);
    graphics->setBlendMode(BlendMode::None);
    graphics->setCullMode(CullMode::Back);
    graphics->setDepthFunc(DepthFunc::Less);
    graphics->setDepthWrite(true);
    graphics->setBlendColor(glm::vec4(1.0f));
    EXPECT_EQ(graphics->stateCalls - start, 4u);
    graphics->setBlendMode(BlendMode::Additive);
    graphics->setBlendColor(glm::vec4(0.6f));
    EXPECT_EQ(graphics->stateCalls - start, 6u);
    GLint src = 0;
    glGetIntegerv(GL_BLEND_SRC_RGB, &src);
    EXPECT_EQ(src, GL_CONSTANT_COLOR);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
