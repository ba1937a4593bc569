// Key and cursor states as game code polls them, with events injected through
// the same path the window's callbacks take.
#include "core/runtime/Input.h"
#include "support/TestEngine.h"

#include <GLFW/glfw3.h>
#include <glm/glm.hpp>
#include <gtest/gtest.h>

namespace {

struct InputTest : ::testing::Test {
    InputTest() : engine(testConfig(), false) { input = engine.systems->add<Input>(); }
    TestEngine engine;
    Input* input = nullptr;
};

} // namespace

TEST_F(InputTest, PressedLastsExactlyOneUpdateAndRepeatsNeverTurnHeldBack) {
    EXPECT_EQ(input->getKey(GLFW_KEY_W), KeyState::Released) << "untouched";
    EXPECT_FALSE(input->isKeyDown(GLFW_KEY_W));
    input->onKey(GLFW_KEY_W, GLFW_PRESS);
    EXPECT_EQ(input->getKey(GLFW_KEY_W), KeyState::Pressed);
    input->update();
    EXPECT_EQ(input->getKey(GLFW_KEY_W), KeyState::Held);
    EXPECT_TRUE(input->isKeyDown(GLFW_KEY_W));
    input->onKey(GLFW_KEY_W, GLFW_REPEAT);
    EXPECT_EQ(input->getKey(GLFW_KEY_W), KeyState::Held);
    input->onKey(GLFW_KEY_W, GLFW_RELEASE);
    input->update();
    EXPECT_EQ(input->getKey(GLFW_KEY_W), KeyState::Released);

    // Mouse buttons follow the same rules.
    input->onMouseButton(GLFW_MOUSE_BUTTON_LEFT, GLFW_PRESS);
    EXPECT_EQ(input->getMouseButton(GLFW_MOUSE_BUTTON_LEFT), KeyState::Pressed);
    input->update();
    EXPECT_TRUE(input->isMouseButtonDown(GLFW_MOUSE_BUTTON_LEFT));
}

TEST_F(InputTest, QueuedKeysArriveWithTheNextUpdateAsIfPolledAndATapWithinOnePollCounts) {
    input->queueKey(GLFW_KEY_SPACE, GLFW_PRESS);
    EXPECT_EQ(input->getKey(GLFW_KEY_SPACE), KeyState::Released) << "nothing before the update";
    input->update();
    EXPECT_EQ(input->getKey(GLFW_KEY_SPACE), KeyState::Pressed) << "not aged away in its own update";
    input->queueKey(GLFW_KEY_SPACE, GLFW_RELEASE);
    input->update();
    EXPECT_EQ(input->getKey(GLFW_KEY_SPACE), KeyState::Released);

    // Press and release in one poll: down for that frame, up after it.
    for (int action : {GLFW_PRESS, GLFW_RELEASE}) {
        input->queueKey(GLFW_KEY_SPACE, action);
    }
    input->update();
    EXPECT_EQ(input->getKey(GLFW_KEY_SPACE), KeyState::Pressed);
    input->update();
    EXPECT_EQ(input->getKey(GLFW_KEY_SPACE), KeyState::Released);
    // Press, release and press again: still down afterwards.
    for (int action : {GLFW_PRESS, GLFW_RELEASE, GLFW_PRESS}) {
        input->queueKey(GLFW_KEY_SPACE, action);
    }
    input->update();
    input->update();
    EXPECT_EQ(input->getKey(GLFW_KEY_SPACE), KeyState::Held);
}

TEST_F(InputTest, FirstCursorDeltaIsZeroThenMovementAndClosingSetsTheQuitFlag) {
    input->setCursorOverride(true, 100.0f, 50.0f);
    input->update();
    EXPECT_EQ(glm::vec2(input->getCursorDeltaX(), input->getCursorDeltaY()), glm::vec2(0.0f));
    input->setCursorOverride(true, 103.0f, 45.0f);
    input->update();
    EXPECT_EQ(glm::vec2(input->getCursorDeltaX(), input->getCursorDeltaY()), glm::vec2(3.0f, -5.0f));
    input->onClose();
    EXPECT_TRUE(engine.engine->quit);
}
