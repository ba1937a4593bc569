// Key, cursor and gamepad states as game code polls them, with events injected
// through the same paths the window library fills; the written key names.
#include "core/runtime/Input.h"
#include "core/runtime/Keys.h"
#include "support/FakeGamepads.h"
#include "support/LogCapture.h"
#include "support/TestEngine.h"

#include <GLFW/glfw3.h>
#include <glm/glm.hpp>
#include <gtest/gtest.h>

#include <string>

namespace {

struct InputTest : ::testing::Test {
    InputTest() : engine(testConfig(), false) { input = engine.systems->add<Input>(); }
    TestEngine engine;
    Input* input = nullptr;
};

} // namespace

TEST_F(InputTest, PressedLastsExactlyOneUpdateRepeatsNeverTurnHeldBackAndTheCursorMovesFromItsFirstReading) {
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

    // Codes the window library does not name (a key it cannot identify) are kept nowhere.
    for (const int code : {GLFW_KEY_UNKNOWN, GLFW_KEY_LAST + 1, 100000}) {
        input->onKey(code, GLFW_PRESS);
        input->onMouseButton(code, GLFW_PRESS);
        EXPECT_EQ(input->getKey(code), KeyState::Released) << code;
        EXPECT_FALSE(input->isMouseButtonDown(code)) << code;
    }
    EXPECT_FALSE(input->anyKeyPressed());

    // The first cursor reading moves nothing; closing the window asks the engine to quit.
    input->setCursorOverride(true, 100.0f, 50.0f);
    input->update();
    EXPECT_EQ(glm::vec2(input->getCursorDeltaX(), input->getCursorDeltaY()), glm::vec2(0.0f));
    input->setCursorOverride(true, 103.0f, 45.0f);
    input->update();
    EXPECT_EQ(glm::vec2(input->getCursorDeltaX(), input->getCursorDeltaY()), glm::vec2(3.0f, -5.0f));
    input->onClose();
    EXPECT_TRUE(engine.engine->quit);
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

TEST_F(InputTest, PadsComeAndGoLoggedKeepTheirPlayerAndAPressLastsOneUpdate) {
    FakeGamepads pads;
    pads.plugInto(*input);
    LogCapture log;
    GamepadState& third = pads.connect(2);
    third.buttons[pad::y] = 1;
    third.axes[pad::leftX] = -0.5f;
    input->update();
    EXPECT_TRUE(log.contains("Gamepad 3 connected for player 1"));
    EXPECT_EQ(input->gamepadOfPlayer(0), 2);
    EXPECT_EQ(input->gamepadOfPlayer(1), -1);
    EXPECT_TRUE(input->isGamepadButtonPressed(2, pad::y));
    EXPECT_TRUE(input->anyGamepadButtonPressed(pad::y));
    EXPECT_TRUE(input->anyKeyPressed()) << "a pad's press wakes the title like a key";
    EXPECT_FLOAT_EQ(input->getGamepadAxis(2, pad::leftX), -0.5f);
    input->update();
    EXPECT_FALSE(input->isGamepadButtonPressed(2, pad::y)) << "held, not pressed again";
    EXPECT_FALSE(input->anyKeyPressed());
    EXPECT_TRUE(input->isGamepadButtonDown(2, pad::y));

    pads.connect(0);
    input->update();
    EXPECT_EQ(input->gamepadOfPlayer(1), 0) << "a later pad takes the next player";

    pads.disconnect(2);
    input->update();
    EXPECT_TRUE(log.contains("Gamepad 3 disconnected"));
    EXPECT_EQ(input->gamepadOfPlayer(0), -1) << "player 1's seat stays free";
    EXPECT_EQ(input->gamepadOfPlayer(1), 0);
    EXPECT_FALSE(input->isGamepadButtonDown(2, pad::y));
    EXPECT_FLOAT_EQ(input->getGamepadAxis(2, pad::rightTrigger), -1.0f) << "let go";
    // Plugged in again with the button still down: player 1's again, and a new press.
    pads.connected[2] = true;
    input->update();
    EXPECT_EQ(input->gamepadOfPlayer(0), 2);
    EXPECT_TRUE(input->isGamepadButtonPressed(2, pad::y));
    EXPECT_FALSE(input->isGamepadButtonDown(7, pad::y));
    EXPECT_FALSE(input->isGamepadButtonDown(2, 99));
}

TEST(KeyNames, ReadInAnyCaseAndEveryWrittenNameReadsBackAsItsKey) {
    EXPECT_EQ(key::fromName("w"), key::w);
    EXPECT_EQ(key::fromName("SPACE"), key::space);
    EXPECT_EQ(key::fromName("rightcontrol"), key::rightControl);
    EXPECT_EQ(key::fromName("F10"), key::f10);
    EXPECT_EQ(key::fromName("FullStop"), key::period);
    for (const char* wrong : {"", "Spacebar", "F13", "F0", "KP10", "WW", "F1x"}) {
        EXPECT_EQ(key::fromName(wrong), key::unknown) << wrong;
    }
    int named = 0;
    for (int code = 0; code < 400; ++code) {
        const std::string name = key::name(code);
        if (name != "?") {
            ++named;
            EXPECT_EQ(key::fromName(name), code) << name;
        }
    }
    EXPECT_EQ(named, 26 + 10 + 12 + 10 + 38);
}
