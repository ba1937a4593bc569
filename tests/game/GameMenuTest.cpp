// The race scene's menu keys with injected key presses: pause and the help
// picture, restart from the pause screen, leaving the pause, the debug camera
// and its flight (without a window, on the race world), and the developer
// switches and statistics overlay (with a window, over a small scene).
#include "RaceWorld.h"

#include "core/render/Camera.h"
#include "core/render/Graphics.h"
#include "core/render/MeshRenderer.h"
#include "core/render/Renderer.h"
#include "core/render/View.h"
#include "core/resources/Material.h"
#include "core/resources/Mesh.h"
#include "core/resources/ResourceCache.h"
#include "core/runtime/SceneManager.h"
#include "core/ui/Text.h"
#include "core/ui/Transform2D.h"
#include "core/ui/UI.h"
#include "core/ui/UITex.h"
#include "game/BasicController.h"
#include "game/GameAssets.h"
#include "game/GameMenu.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// A race scene as the builder leaves it, less the track: two karts at a start
// line, the players' cameras, the disabled debug camera, the help picture and
// the menu, plus a title scene to go back to.
class GameMenuKeys : public ::testing::Test, protected RaceWorld {
protected:
    GameMenuKeys() {
        addBoxRace();
        for (int player = 0; player < 2; ++player) {
            Entity* camera = scene->createEntity("cam" + std::to_string(player));
            camera->addComponent<Transform>()->setPosition({player * 10.0f, 4.0f, 8.0f});
            camera->addComponent<Camera>();
        }
        debugCamera = scene->createEntity("debugController");
        debugCamera->active = false;
        debugCamera->addComponent<Transform>()->setPosition({0.0f, 2.0f, 0.0f});
        debugCamera->addComponent<Camera>();
        debugCamera->addComponent<BasicController>()->moveSpeed = 25.0f;

        help = scene->createEntity("helpScreen");
        help->addComponent<Transform2D>();
        help->addComponent<UITex>();
        help->active = false;
        menu = scene->createEntity("gameMenu")->addComponent<GameMenu>();
        menu->helpScreen = help;
        menu->createOverlay();

        title = engine.get<SceneManager>()->createScene("menu");
    }

    bool driving() const { return car(0).controlsEnabled && car(1).controlsEnabled; }
    bool pauseShown() const { return menu->paused && help->active && scene->timeScale == 0.0f; }
    bool pauseGone() const { return !menu->paused && !help->active && scene->timeScale == 1.0f; }

    Entity* debugCamera = nullptr;
    Entity* help = nullptr;
    GameMenu* menu = nullptr;
    Scene* title = nullptr;
};

TEST_F(GameMenuKeys, PauseStopsTheRaceUnderTheHelpPictureAndPressingAgainResumesIt) {
    gameplay->startRace();
    run(1.0f);
    for (int key : {GLFW_KEY_P, GLFW_KEY_F1, GLFW_KEY_ESCAPE}) {
        tap(key);
        EXPECT_TRUE(pauseShown()) << key;
        // Time stands still: the countdown, 2 s after the start, does not begin.
        run(3.0f);
        EXPECT_EQ(gameplay->state, Gameplay::starting) << key;
        tap(key);
        EXPECT_TRUE(pauseGone()) << key;
    }
    run(1.2f);
    EXPECT_EQ(gameplay->state, Gameplay::countingDown) << "time runs again";
}

TEST_F(GameMenuKeys, SpaceRestartsTheRaceOnlyFromThePauseScreen) {
    gameplay->startRace();
    run(5.2f);
    ASSERT_EQ(gameplay->state, Gameplay::racing);
    tap(GLFW_KEY_SPACE);
    run(0.5f);
    EXPECT_EQ(gameplay->state, Gameplay::racing) << "Space in the race is the hop key";

    tap(GLFW_KEY_P);
    tap(GLFW_KEY_SPACE);
    EXPECT_EQ(gameplay->state, Gameplay::starting);
    EXPECT_FALSE(driving());
    EXPECT_TRUE(pauseGone());
    run(5.2f);
    EXPECT_EQ(gameplay->state, Gameplay::racing) << "counted down again from the start";
    EXPECT_TRUE(driving());
}

TEST_F(GameMenuKeys, ARestartFromElsewhereOrQToTheTitleLeavesThePauseScreen) {
    tap(GLFW_KEY_ESCAPE);
    ASSERT_TRUE(menu->paused);
    gameplay->startRace();
    EXPECT_TRUE(pauseGone());

    tap(GLFW_KEY_P);
    tap(GLFW_KEY_Q);
    EXPECT_EQ(engine.get<SceneManager>()->current, title);
    EXPECT_TRUE(pauseGone());
}

TEST_F(GameMenuKeys, F10FliesTheDebugCameraAndBackHandsTheKartsBackAtOnce) {
    gameplay->startRace();
    run(3.0f);
    ASSERT_EQ(gameplay->state, Gameplay::countingDown);
    Entity* cam0 = scene->findEntity("cam0");
    Entity* cam1 = scene->findEntity("cam1");

    tap(GLFW_KEY_F10);
    EXPECT_TRUE(debugCamera->active);
    EXPECT_FALSE(cam0->active);
    EXPECT_FALSE(cam1->active);
    auto* flying = debugCamera->getComponent<Transform>();
    const glm::vec3 takeOff = cam0->getComponent<Transform>()->getWorldPosition();
    EXPECT_NEAR(glm::distance(flying->getWorldPosition(), takeOff), 0.0f, 1e-4f);
    EXPECT_FALSE(car(0).controlsEnabled || car(1).controlsEnabled);

    // 450 px to the right at 0.2 degrees per pixel turn the view a quarter to
    // the right; W then flies it that way, and player 1's kart stays put.
    input->setCursorOverride(true, 100.0f, 100.0f);
    frame();
    input->setCursorOverride(true, 550.0f, 100.0f);
    press(GLFW_KEY_W);
    run(0.5f);
    release(GLFW_KEY_W);
    frame();
    const glm::vec3 flown = flying->getWorldPosition() - takeOff;
    EXPECT_GT(flown.x, 10.0f);
    EXPECT_NEAR(flown.z, 0.0f, 1e-3f);
    EXPECT_NEAR(flown.y, 0.0f, 1e-3f);
    EXPECT_LT(car(0).speed, 0.5f);

    tap(GLFW_KEY_F10);
    EXPECT_FALSE(debugCamera->active);
    EXPECT_TRUE(cam0->active);
    EXPECT_TRUE(cam1->active);
    EXPECT_EQ(gameplay->state, Gameplay::countingDown);
    EXPECT_TRUE(driving()) << "driving before Go!";
}

// A small lit scene in a real window, with one camera and the race's menu.
class GameMenuScreen : public ::testing::Test {
protected:
    void SetUp() override {
        TW_REQUIRE_DISPLAY();
        game = std::make_unique<TestEngine>(testConfig(320, 200));
        loadDefaultFont(game->systems.get());
        input = game->get<Input>();
        renderer = game->get<Renderer>();
        scene = game->get<SceneManager>()->createScene("game");

        auto* cache = game->get<ResourceCache>();
        for (const glm::vec3& position :
             {glm::vec3(0.0f, 0.0f, -5.0f), glm::vec3(2.0f, 0.0f, -6.0f), glm::vec3(0.0f, 0.0f, 20.0f)}) {
            Entity* box = scene->createEntity();
            box->addComponent<Transform>()->setPosition(position);
            box->addComponent<MeshRenderer>(cache->get<Mesh>("cube"),
                                            std::vector<Material*>{cache->get<Material>("default")});
        }
        Entity* eye = scene->createEntity("cam0");
        eye->addComponent<Transform>()->setPosition({0.0f, 1.0f, 0.0f});
        eye->addComponent<Camera>();

        menu = scene->createEntity("gameMenu")->addComponent<GameMenu>();
        menu->createOverlay();
        frame();
    }

    void frame() { game->frame(16); }
    void run(float seconds) { game->runFor(seconds, 16); }
    void tap(int key) {
        input->queueKey(key, GLFW_PRESS);
        frame();
        input->queueKey(key, GLFW_RELEASE);
    }
    const std::string& status() const { return menu->statusText->text; }

    std::unique_ptr<TestEngine> game;
    Input* input = nullptr;
    Renderer* renderer = nullptr;
    Scene* scene = nullptr;
    GameMenu* menu = nullptr;
};

TEST_F(GameMenuScreen, EachSwitchFlipsItsFeatureAndSaysSoForTwoSeconds) {
    struct Switch {
        int key;
        bool* flag;
        std::string name;
    };
    const Switch switches[] = {{GLFW_KEY_F4, &renderer->normalsEnabled, "normals"},
                               {GLFW_KEY_F5, &renderer->lightmapsEnabled, "lightmaps"},
                               {GLFW_KEY_F6, &renderer->shadowsEnabled, "shadows"},
                               {GLFW_KEY_F7, &game->get<UI>()->enabled, "UI"},
                               {GLFW_KEY_F8, &renderer->cullingEnabled, "culling"}};
    for (const Switch& s : switches) {
        ASSERT_TRUE(*s.flag) << s.name;
        tap(s.key);
        EXPECT_FALSE(*s.flag) << s.name;
        EXPECT_EQ(status(), s.name + " off");
        tap(s.key);
        EXPECT_TRUE(*s.flag) << s.name;
        EXPECT_EQ(status(), s.name + " on");
        run(2.1f);
        EXPECT_EQ(status(), "");
    }

    tap(GLFW_KEY_F3);
    EXPECT_TRUE(renderer->wireframe);
    EXPECT_EQ(status(), "") << "wireframe has no message";
    tap(GLFW_KEY_F3);
    EXPECT_FALSE(renderer->wireframe);
}

TEST_F(GameMenuScreen, AStatusShowsForTwoSecondsUnclearedByAnOlderOnesTimer) {
    tap(GLFW_KEY_F4);
    run(1.5f);
    tap(GLFW_KEY_F6);
    run(1.9f);
    EXPECT_EQ(status(), "shadows off");
    run(0.2f);
    EXPECT_EQ(status(), "");
}

TEST_F(GameMenuScreen, F2ShowsTheEnginesAndRenderersFiguresRefreshedOnceASecond) {
    std::vector<Text*> stats{menu->fpsText, menu->culledText, menu->drawCallsText};
    tap(GLFW_KEY_F2);

    // Each refresh shows what the frames before it drew and counted; mark the texts to see when it comes.
    auto* graphics = game->get<Graphics>();
    std::vector<float> refreshes;
    for (int i = 0; i < 200; ++i) {
        for (Text* text : stats) {
            text->text = "?";
        }
        const uint32_t drawCalls = graphics->drawCalls;
        const uint32_t triangles = graphics->triangles;
        const int32_t fps = game->engine->fps;
        frame();
        if (menu->fpsText->text == "?") {
            continue;
        }
        refreshes.push_back(game->engine->time);
        EXPECT_EQ(menu->fpsText->text, "FPS " + std::to_string(fps));
        EXPECT_EQ(menu->culledText->text, "1 culled") << "the box behind the camera";
        EXPECT_EQ(menu->drawCallsText->text,
                  std::to_string(drawCalls) + " draw calls, " + std::to_string(triangles) + " triangles");
        EXPECT_GE(triangles, 24u) << "two boxes of twelve triangles, and text";
    }
    ASSERT_EQ(refreshes.size(), 3u);
    EXPECT_NEAR(refreshes[1] - refreshes[0], 1.0f, 0.02f);
    EXPECT_NEAR(refreshes[2] - refreshes[1], 1.0f, 0.02f);
}

} // namespace
