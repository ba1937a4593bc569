// See TestDriver.h.
#include "TestDriver.h"

#include "DrivingWorld.h"

#include "core/physics/RigidBodyDynamic.h"
#include "core/runtime/Transform.h"
#include "game/Checkpoint.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <cmath>

namespace {

// Signed angle from a to b about +Y, on the ground plane: positive means b lies to the left.
float turnAngle(const glm::vec3& a, const glm::vec3& b) {
    const glm::vec2 from(a.x, a.z);
    const glm::vec2 to(b.x, b.z);
    return std::atan2(from.y * to.x - from.x * to.y, glm::dot(from, to));
}

} // namespace

TestDriver::TestDriver(DrivingWorld& world, int player)
    : world(world), player(player),
      keys(player == 0 ? Keys{GLFW_KEY_W, GLFW_KEY_S, GLFW_KEY_A, GLFW_KEY_D}
                       : Keys{GLFW_KEY_UP, GLFW_KEY_DOWN, GLFW_KEY_LEFT, GLFW_KEY_RIGHT}),
      lane(player == 0 ? -3.0f : 3.0f) {}

int TestDriver::nextCheckpoint() const {
    const auto& checkpoints = world.gameplay->checkpoints;
    const Checkpoint* last = world.race(player).lastCheckpoint;
    if (last == nullptr) {
        return 0;
    }
    return (last->index + 1) % static_cast<int>(checkpoints.size());
}

glm::vec3 TestDriver::target(int checkpointNumber) const {
    const auto& checkpoints = world.gameplay->checkpoints;
    Transform* place = checkpoints[static_cast<size_t>(checkpointNumber) % checkpoints.size()]
                           ->entity->getComponent<Transform>();
    const glm::vec3 right = place->getGlobalRotation() * glm::vec3(1, 0, 0);
    return place->getWorldPosition() + lane * right;
}

void TestDriver::hold(int key, bool wanted) {
    const int slot = key == keys.accelerate ? 0 : key == keys.reverse ? 1 : key == keys.left ? 2 : 3;
    if (wanted && !down[slot]) {
        world.press(key);
    } else if (!wanted && down[slot]) {
        world.release(key);
    }
    down[slot] = wanted;
}

void TestDriver::drive() {
    Transform& kart = world.transform(player);
    const glm::vec3 position = kart.getWorldPosition();
    const glm::vec3 forward = kart.getGlobalRotation() * glm::vec3(0, 0, -1);
    const int next = nextCheckpoint();
    const glm::vec3 aim = target(next);
    const glm::vec3 toAim = aim - position;
    const float heading = turnAngle(forward, toAim);

    // The corner at the next checkpoint: how far the road turns there.
    const glm::vec3 after = target(next + 1);
    const float corner = std::abs(turnAngle(toAim, after - aim));
    const float distance = glm::length(glm::vec2(toAim.x, toAim.z));
    float wanted = 30.0f - 14.0f * std::abs(heading);
    if (distance < 30.0f) {
        wanted = std::min(wanted, 30.0f - 18.0f * corner);
    }
    wanted = std::max(wanted, 9.0f);

    const float speed = glm::length(world.body(player).getLinearVelocity());
    hold(keys.accelerate, speed < wanted);
    hold(keys.reverse, speed > wanted + 4.0f);
    const float deadBand = 0.03f;
    hold(keys.left, heading > deadBand);
    hold(keys.right, heading < -deadBand);
}

void TestDriver::stop() {
    hold(keys.accelerate, false);
    hold(keys.reverse, false);
    hold(keys.left, false);
    hold(keys.right, false);
}
