// The race scene's menu keys and pad buttons on the race world: pause, restart
// and leaving, the rebound keys on the help picture, the debug camera's flight,
// the quality presets and how long a status shows. The developer switches and
// the statistics are checked by the whole-game test.
#include "RaceWorld.h"

#include "core/render/Camera.h"
#include "core/render/Renderer.h"
#include "core/runtime/Keys.h"
#include "core/runtime/SceneManager.h"
#include "core/ui/Text.h"
#include "core/ui/Transform2D.h"
#include "core/ui/UITex.h"
#include "game/FreeCamera.h"
#include "game/HelpKeys.h"
#include "game/RaceKeys.h"
#include "support/FakeGamepads.h"

#include <gtest/gtest.h>

namespace {

// A race scene as the builder leaves it, less the track: two karts at a start
// line, the players' cameras, the disabled debug camera, the help picture and
// the menu, plus a title scene to go back to.
class RaceKeysTest : public ::testing::Test, protected RaceWorld {
protected:
    RaceKeysTest() {
        addBoxRace();
        std::vector<Entity*> cameras;
        for (int player = 0; player < 2; ++player) {
            Entity* camera = scene->createEntity("cam" + std::to_string(player));
            camera->addComponent<Transform>()->setPosition({player * 10.0f, 4.0f, 8.0f});
            camera->addComponent<Camera>();
            cameras.push_back(camera);
        }
        debugCamera = scene->createEntity("debugController");
        debugCamera->active = false;
        debugCamera->addComponent<Transform>()->setPosition({0.0f, 2.0f, 0.0f});
        debugCamera->addComponent<Camera>();
        debugCamera->addComponent<FreeCamera>()->moveSpeed = 25.0f;

        help = scene->createEntity("helpScreen");
        help->addComponent<Transform2D>();
        help->addComponent<UITex>();
        help->active = false;
        menu = scene->createEntity("gameMenu")->addComponent<RaceKeys>();
        menu->helpScreen = help;
        menu->race = gameplay;
        menu->freeCamera = debugCamera;
        menu->playerCameras = cameras;
        gameplay->raceKeys = menu;
        menu->createOverlay();

        title = engine.get<SceneManager>()->createScene("menu");
    }

    bool driving() const { return car(0).controlsEnabled && car(1).controlsEnabled; }
    bool pauseShown() const { return menu->paused && help->active && scene->timeScale == 0.0f; }
    bool pauseGone() const { return !menu->paused && !help->active && scene->timeScale == 1.0f; }

    Entity* debugCamera = nullptr;
    Entity* help = nullptr;
    RaceKeys* menu = nullptr;
    Scene* title = nullptr;
};

TEST_F(RaceKeysTest, PauseStopsTheRaceUnderTheHelpPictureAndPressingAgainResumesIt) {
    gameplay->startRace();
    run(1.0f);
    for (int key : {GLFW_KEY_P, GLFW_KEY_F1, GLFW_KEY_ESCAPE}) {
        tap(key);
        EXPECT_TRUE(pauseShown()) << key;
        // Time stands still: the countdown, 2 s after the start, does not begin.
        run(3.0f);
        EXPECT_EQ(gameplay->state, RaceFlow::starting) << key;
        tap(key);
        EXPECT_TRUE(pauseGone()) << key;
    }
    run(1.2f);
    EXPECT_EQ(gameplay->state, RaceFlow::countingDown) << "time runs again";
}

TEST_F(RaceKeysTest, SpaceRestartsTheRaceOnlyFromThePauseScreenAndEveryWayOutLeavesIt) {
    gameplay->startRace();
    run(5.2f);
    ASSERT_EQ(gameplay->state, RaceFlow::racing);
    tap(GLFW_KEY_SPACE);
    run(0.5f);
    EXPECT_EQ(gameplay->state, RaceFlow::racing) << "Space in the race is the hop key";

    tap(GLFW_KEY_P);
    tap(GLFW_KEY_SPACE);
    EXPECT_EQ(gameplay->state, RaceFlow::starting);
    EXPECT_FALSE(driving());
    EXPECT_TRUE(pauseGone());
    run(5.2f);
    EXPECT_EQ(gameplay->state, RaceFlow::racing) << "counted down again from the start";
    EXPECT_TRUE(driving());

    // A restart from elsewhere, or Q to the title, leaves the pause screen too.
    tap(GLFW_KEY_ESCAPE);
    ASSERT_TRUE(menu->paused);
    gameplay->startRace();
    EXPECT_TRUE(pauseGone());

    tap(GLFW_KEY_P);
    tap(GLFW_KEY_Q);
    EXPECT_EQ(engine.get<SceneManager>()->current, title);
    EXPECT_TRUE(pauseGone());
}

TEST_F(RaceKeysTest, APadPausesResumesRestartsAndLeavesLikeTheKeys) {
    FakeGamepads pads;
    pads.plugInto(*input);
    GamepadState& state = pads.connect(0);
    const auto push = [&](int button) {
        state.buttons[static_cast<size_t>(button)] = 1;
        frame();
        state.buttons[static_cast<size_t>(button)] = 0;
        frame();
    };
    const auto finish = [&] {
        gameplay->onFinished(0);
        run(RaceFlow::endScreenDelay + 0.1f);
        ASSERT_EQ(gameplay->state, RaceFlow::raceOver);
    };
    gameplay->startRace();
    run(5.2f);
    ASSERT_EQ(gameplay->state, RaceFlow::racing);
    push(pad::start);
    EXPECT_TRUE(pauseShown());
    push(pad::b);
    EXPECT_TRUE(pauseGone()) << "B resumes";
    EXPECT_EQ(gameplay->state, RaceFlow::racing);
    push(pad::start);
    push(pad::a);
    EXPECT_EQ(gameplay->state, RaceFlow::starting) << "A restarts from the pause screen";
    EXPECT_TRUE(pauseGone());

    finish();
    push(pad::start);
    EXPECT_EQ(gameplay->state, RaceFlow::starting) << "Start races again from the end screen";
    EXPECT_TRUE(pauseGone());
    finish();
    push(pad::back);
    EXPECT_EQ(engine.get<SceneManager>()->current, title);
}

TEST_F(RaceKeysTest, ThePauseScreenWritesReboundKeysOverThePicturesDefaultsOnlyWhilePaused) {
    auto* defaults = menu->entity->addComponent<HelpKeys>();
    defaults->build({PlayerKeys::defaults(0), PlayerKeys::defaults(1)}, nullptr);
    EXPECT_TRUE(defaults->labels.empty()) << "the picture already shows the defaults";

    std::array<PlayerKeys, 2> keys{PlayerKeys::defaults(0), PlayerKeys::defaults(1)};
    keys[0].accelerate = key::fromName("I");
    keys[1].boost = key::leftShift;
    keys[1].hop = key::fromName("RightShift");
    menu->helpKeys = menu->entity->addComponent<HelpKeys>();
    menu->helpKeys->build(keys, nullptr);
    std::vector<std::string> written;
    for (const HelpKeys::Label& label : menu->helpKeys->labels) {
        written.push_back(label.text->text);
        EXPECT_FALSE(label.text->entity->active);
    }
    EXPECT_EQ(written, (std::vector<std::string>{"I / S", "LEFT SHIFT", "SPACE | RIGHT SHIFT"}));
    tap(GLFW_KEY_P);
    EXPECT_TRUE(menu->helpKeys->labels.front().text->entity->active &&
                menu->helpKeys->labels.front().patch->entity->active);
    tap(GLFW_KEY_P);
    EXPECT_FALSE(menu->helpKeys->labels.back().text->entity->active);
    EXPECT_EQ(HelpKeys::displayName(key::rightControl), "RIGHT CTRL");
}

TEST_F(RaceKeysTest, F10FliesTheDebugCameraAndBackHandsTheKartsBackAtOnce) {
    gameplay->startRace();
    run(3.0f);
    ASSERT_EQ(gameplay->state, RaceFlow::countingDown);
    Entity* cam0 = scene->findEntity("cam0");
    Entity* cam1 = scene->findEntity("cam1");

    tap(GLFW_KEY_F10);
    EXPECT_TRUE(debugCamera->active && !cam0->active && !cam1->active);
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
    EXPECT_NEAR(glm::length(glm::vec2(flown.y, flown.z)), 0.0f, 1e-3f);
    EXPECT_LT(car(0).speed, 0.5f);

    tap(GLFW_KEY_F10);
    EXPECT_TRUE(!debugCamera->active && cam0->active && cam1->active);
    EXPECT_EQ(gameplay->state, RaceFlow::countingDown);
    EXPECT_TRUE(driving()) << "driving before Go!";
}

TEST_F(RaceKeysTest, F9CyclesTheGraphicsPresetsAndAStatusShowsForTwoSecondsUnclearedByAnOlderOnesTimer) {
    // The race world has no window; the keys only need the renderer's preset.
    auto* renderer =
        engine.get<Renderer>() != nullptr ? engine.get<Renderer>() : engine.systems->add<Renderer>();
    ASSERT_NE(renderer, nullptr);
    renderer->setQuality(RenderQuality::Low);
    for (const char* expected : {"medium", "high", "low"}) {
        tap(key::f9);
        EXPECT_STREQ(renderQualityName(renderer->getQuality()), expected);
        EXPECT_EQ(menu->statusText->text, std::string("quality ") + expected);
    }
    menu->showStatus("normals off");
    run(1.5f);
    menu->showStatus("shadows off");
    run(1.9f);
    EXPECT_EQ(menu->statusText->text, "shadows off");
    run(0.2f);
    EXPECT_EQ(menu->statusText->text, "");
}

} // namespace
