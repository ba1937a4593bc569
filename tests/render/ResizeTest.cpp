// A window that changes size: resized by the window system, made fullscreen and
// back. The frame after the change draws at the new framebuffer size, with the
// view's viewport and depth target following.
#include "render/GLSceneTest.h"

#include "core/render/Camera.h"
#include "core/render/Graphics.h"
#include "core/render/RenderTarget.h"
#include "core/render/Renderer.h"
#include "core/render/View.h"

#include <GLFW/glfw3.h>

namespace {

class ResizeTest : public GLSceneTest {
protected:
    void SetUp() override {
        open(160, 120);
        if (scene == nullptr) {
            return;
        }
        camera->clearColor = glm::vec3(0.0f);
        addShape(*scene, "box", "cube", colourMaterial(*engine->systems, "box", {0.9f, 0.1f, 0.1f, 1.0f}),
                 {0, 0, -4});
    }

    // Frames until the framebuffer has that size; X applies a resize asynchronously.
    bool framesUntil(int width, int height) {
        for (int i = 0; i < 100 && (graphics->width != width || graphics->height != height); ++i) {
            glfwWaitEventsTimeout(0.02);
            engine->frame();
        }
        return graphics->width == width && graphics->height == height;
    }

    void expectDrawnAt(int width, int height) {
        const Picture picture = draw();
        EXPECT_EQ(picture.width, width);
        const View* view = renderer->findView(camera);
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->viewport, glm::ivec4(0, 0, width, height));
        const RenderTarget* depth = renderer->getViewDepthTarget();
        ASSERT_NE(depth, nullptr);
        EXPECT_EQ(depth->width, width);
        EXPECT_EQ(depth->height, height);
        // The red box stays in the middle of the picture.
        const glm::vec3 middle = picture.mean(width / 2 - 2, height / 2 - 2, 4, 4);
        EXPECT_GT(middle.r, 40.0f);
        EXPECT_GT(middle.r, 3.0f * middle.g);
    }
};

} // namespace

TEST_F(ResizeTest, TheFrameAfterAResizeOrAFullscreenToggleFollowsTheFramebuffer) {
    expectDrawnAt(160, 120);
    glfwSetWindowSize(graphics->window, 240, 100);
    ASSERT_TRUE(framesUntil(240, 100));
    expectDrawnAt(240, 100);

    const GLFWvidmode* mode = glfwGetVideoMode(glfwGetPrimaryMonitor());
    ASSERT_NE(mode, nullptr);
    // Copied: a mode change may invalidate GLFW's pointer.
    const int screenWidth = mode->width;
    const int screenHeight = mode->height;
    graphics->toggleFullscreen();
    EXPECT_TRUE(graphics->isFullscreen());
    ASSERT_TRUE(framesUntil(screenWidth, screenHeight));
    expectDrawnAt(screenWidth, screenHeight);

    graphics->toggleFullscreen();
    EXPECT_FALSE(graphics->isFullscreen());
    ASSERT_TRUE(framesUntil(240, 100));
    expectDrawnAt(240, 100);
}
