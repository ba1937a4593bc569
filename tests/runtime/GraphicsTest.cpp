// The window and its GL context, under Xvfb.
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
