// Fixture for the render tests that draw: an engine with a small window and an
// empty running scene seen by one camera at the origin looking down -Z. Skips
// without a display.
#pragma once

#include "render/Picture.h"
#include "render/TestScene.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

class Camera;
class Graphics;
class Renderer;
class ResourceCache;
class Scene;

class GLSceneTest : public ::testing::Test {
protected:
    // Call first in SetUp; the assets folder defaults to the repository's.
    void open(int width, int height, const std::string& assetsDir = TW_ASSETS_DIR);
    // One frame of the current scene drawn by hand, read back before the swap.
    Picture draw();

    // Read by open(): whether the window gets a depth buffer of its own.
    bool windowDepth = true;
    std::unique_ptr<TestEngine> engine;
    Graphics* graphics = nullptr;
    Renderer* renderer = nullptr;
    ResourceCache* cache = nullptr;
    Scene* scene = nullptr;
    Camera* camera = nullptr;
};
