// The players' driver on box karts: pad sticks, triggers and buttons turned into
// kart controls beside the keys, and presses that reach exactly one physics step.
#include "RaceWorld.h"

#include "game/PlayerDriver.h"
#include "support/FakeGamepads.h"

#include <gtest/gtest.h>

namespace {

// Counts the physics steps whose controls carried each press.
struct PressCounter : Updateable {
    using Updateable::Updateable;
    void fixedUpdate(float dt) override {
        Updateable::fixedUpdate(dt);
        const KartControls& taken = entity->getComponent<Car>()->stepControls();
        hops += taken.hop ? 1 : 0;
        respawns += taken.respawn ? 1 : 0;
        boosts += taken.boost ? 1 : 0;
    }
    int hops = 0;
    int respawns = 0;
    int boosts = 0;
};

class PlayerDriverTest : public ::testing::Test, protected RaceWorld {
protected:
    PlayerDriverTest() {
        addBoxRace();
        pads.plugInto(*input);
    }

    // Controls after one frame with pad 0 of player 1 in state.
    KartControls drivenBy(const GamepadState& state) {
        pads[0] = state;
        step();
        return car(0).controls;
    }

    FakeGamepads pads;
};

TEST_F(PlayerDriverTest, SticksTriggersAndButtonsSteerAndDriveKeysComeFirstAndTheSecondPadIsPlayerTwos) {
    GamepadState state = pads.connect(0);
    const auto with = [&](int axis, float value) {
        GamepadState changed = state;
        changed.axes[static_cast<size_t>(axis)] = value;
        return drivenBy(changed);
    };
    EXPECT_FLOAT_EQ(with(pad::leftX, 0.15f).steering, 0.0f) << "inside the dead zone";
    EXPECT_FLOAT_EQ(with(pad::leftX, 0.6f).steering, 0.5f);
    EXPECT_FLOAT_EQ(with(pad::leftX, -1.0f).steering, -1.0f);
    EXPECT_FLOAT_EQ(with(pad::leftX, 0.0f).throttle, 0.0f) << "triggers let go";
    EXPECT_FLOAT_EQ(with(pad::rightTrigger, 1.0f).throttle, 1.0f);
    EXPECT_NEAR(with(pad::rightTrigger, 0.0f).throttle, 0.4f / 0.9f, 1e-5f) << "half pulled";
    EXPECT_FLOAT_EQ(with(pad::leftTrigger, 1.0f).throttle, -1.0f);

    state.axes[pad::leftX] = 0.6f;
    state.buttons[pad::dpadLeft] = 1;
    state.buttons[pad::b] = 1;
    KartControls controls = drivenBy(state);
    EXPECT_FLOAT_EQ(controls.steering, -1.0f) << "the d-pad over the stick";
    EXPECT_FLOAT_EQ(controls.throttle, -1.0f) << "B reverses";
    state.buttons[pad::a] = 1;
    EXPECT_FLOAT_EQ(drivenBy(state).throttle, 1.0f) << "A over B";
    press(GLFW_KEY_S);
    press(GLFW_KEY_D);
    controls = drivenBy(state);
    EXPECT_FLOAT_EQ(controls.throttle, -1.0f) << "the keys first";
    EXPECT_FLOAT_EQ(controls.steering, 1.0f);
    EXPECT_FLOAT_EQ(car(1).controls.steering, 0.0f) << "player 2 has no pad yet";

    pads.connect(1).axes[pad::leftX] = 1.0f;
    step();
    EXPECT_FLOAT_EQ(car(1).controls.steering, 1.0f);
    pads.disconnect(0);
    release(GLFW_KEY_S);
    release(GLFW_KEY_D);
    step();
    EXPECT_FLOAT_EQ(car(0).controls.steering, 0.0f) << "player 1's pad went";
    EXPECT_FLOAT_EQ(car(1).controls.steering, 1.0f) << "player 2 keeps theirs";
}

TEST_F(PlayerDriverTest, APressReachesOneStepWhateverTheFrameAndNoneWhilePaused) {
    auto* counter = karts[0]->addComponent<PressCounter>();
    GamepadState& state = pads.connect(0);
    // Y and Back pressed in a frame without a physics step, then held through a
    // frame of three steps: one hop, one respawn.
    state.buttons[pad::y] = 1;
    state.buttons[pad::back] = 1;
    step(0);
    step(3);
    steps(3);
    EXPECT_EQ(counter->hops, 1);
    EXPECT_EQ(counter->respawns, 1);
    // The keys do the same for the hop.
    tap(GLFW_KEY_SPACE);
    step(0);
    step(2);
    EXPECT_EQ(counter->hops, 2);
    // X held asks for a boost in each frame's first step.
    state.buttons[pad::x] = 1;
    step(0);
    steps(3);
    EXPECT_EQ(counter->boosts, 3);

    state = pads.connect(0);
    scene->timeScale = 0.0f;
    tap(GLFW_KEY_SPACE);
    state.buttons[pad::y] = 1;
    step(0);
    scene->timeScale = 1.0f;
    steps(3);
    EXPECT_EQ(counter->hops, 2) << "a press while paused drives nothing";
}

} // namespace
