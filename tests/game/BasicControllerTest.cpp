// The debug free camera flown with injected keys and cursor positions.
#include "game/BasicController.h"
#include "RaceWorld.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float dt = 0.02f;

void expectNear(const glm::vec3& actual, const glm::vec3& expected, float tolerance = 1e-3f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

class FreeCamera : public ::testing::Test, protected RaceWorld {
protected:
    FreeCamera() {
        Entity* entity = scene->createEntity("debugController");
        transform = entity->addComponent<Transform>();
        transform->setPosition({0.0f, 2.0f, 0.0f});
        controller = entity->addComponent<BasicController>();
        input->setCursorOverride(true, cursor.x, cursor.y);
        frame();
    }

    void frame() { RaceWorld::frame(20); }
    void hold(int key) { press(key); }
    // The mouse moves by (dx, dy) pixels within the next frame.
    void moveMouse(float dx, float dy) {
        cursor += glm::vec2(dx, dy);
        input->setCursorOverride(true, cursor.x, cursor.y);
        frame();
    }
    glm::vec3 position() const { return transform->getPosition(); }
    glm::vec3 viewDirection() const { return transform->getRotation() * glm::vec3(0.0f, 0.0f, -1.0f); }

    Transform* transform = nullptr;
    BasicController* controller = nullptr;
    glm::vec2 cursor{100.0f, 100.0f};
};

TEST_F(FreeCamera, FliesAlongItsOwnViewWithWasd) {
    hold(GLFW_KEY_W);
    frame();
    frame();
    expectNear(position(), {0.0f, 2.0f, -2.0f * 20.0f * dt});
    hold(GLFW_KEY_S);
    frame();
    expectNear(position(), {0.0f, 2.0f, -2.0f * 20.0f * dt}, 1e-4f); // W and S cancel out
    release(GLFW_KEY_W);
    release(GLFW_KEY_S);
    hold(GLFW_KEY_D);
    frame();
    expectNear(position(), {20.0f * dt, 2.0f, -0.8f});
    hold(GLFW_KEY_LEFT_SHIFT);
    frame();
    expectNear(position(), {1.1f * 20.0f * dt, 2.0f, -0.8f});
    release(GLFW_KEY_D);
    release(GLFW_KEY_LEFT_SHIFT);
    hold(GLFW_KEY_A);
    controller->moveSpeed = 25.0f;
    frame();
    expectNear(position(), {1.1f * 20.0f * dt - 25.0f * dt, 2.0f, -0.8f});
}

TEST_F(FreeCamera, MouseTurnsTheViewAndFlightFollowsIt) {
    // 450 px right at 0.2 degrees per pixel: a quarter turn to the right.
    moveMouse(450.0f, 0.0f);
    expectNear(viewDirection(), {1.0f, 0.0f, 0.0f});
    // 225 px up: looking 45 degrees above the horizon, without rolling.
    moveMouse(0.0f, -225.0f);
    const float half = std::sqrt(0.5f);
    expectNear(viewDirection(), {half, half, 0.0f});
    expectNear(transform->getRotation() * glm::vec3(1.0f, 0.0f, 0.0f), {0.0f, 0.0f, 1.0f});

    hold(GLFW_KEY_W);
    frame();
    const float step = 20.0f * dt * half;
    // Flying forward climbs when looking up.
    expectNear(position(), {step, 2.0f + step, 0.0f});
}

TEST_F(FreeCamera, PFreezesTheCameraUntilPressedAgain) {
    tap(GLFW_KEY_P);
    EXPECT_TRUE(controller->frozen);
    hold(GLFW_KEY_W);
    moveMouse(300.0f, 100.0f);
    frame();
    expectNear(position(), {0.0f, 2.0f, 0.0f});
    expectNear(viewDirection(), {0.0f, 0.0f, -1.0f});

    release(GLFW_KEY_W);
    tap(GLFW_KEY_P);
    EXPECT_FALSE(controller->frozen);
    moveMouse(-450.0f, 0.0f);
    expectNear(viewDirection(), {-1.0f, 0.0f, 0.0f});
}

} // namespace
