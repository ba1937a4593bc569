// The drawing render tests' window, scene and read-back.
#include "render/GLSceneTest.h"

#include "core/render/Camera.h"
#include "core/render/Graphics.h"
#include "core/render/Renderer.h"
#include "core/resources/ResourceCache.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"

void GLSceneTest::open(int width, int height, const std::string& assetsDir) {
    TW_REQUIRE_DISPLAY();
    Config config = testConfig(width, height);
    config.assetsDir = assetsDir;
    config.windowDepth = windowDepth;
    engine = std::make_unique<TestEngine>(config);
    graphics = engine->get<Graphics>();
    renderer = engine->get<Renderer>();
    cache = engine->get<ResourceCache>();
    ASSERT_TRUE(graphics->hasWindow());
    scene = engine->get<SceneManager>()->createScene("render");
    engine->get<SceneManager>()->setScene(scene);
    scene->setRunning(true);
    camera = addCamera(*scene, "camera", {0, 0, 0}, {0, 0, -1});
}

Picture GLSceneTest::draw() {
    graphics->beginFrame();
    renderer->render(*engine->get<SceneManager>()->current, 0.016f);
    Picture picture = Picture::grab(graphics->width, graphics->height);
    graphics->endFrame();
    return picture;
}
