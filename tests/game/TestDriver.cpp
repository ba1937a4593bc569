// See TestDriver.h.
#include "TestDriver.h"

#include "DrivingWorld.h"

#include "core/physics/PhysicsWorld.h"
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

glm::vec3 turned(const glm::vec3& direction, float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    // Positive angles turn left (counter-clockwise seen from above).
    return glm::vec3(c * direction.x + s * direction.z, 0.0f, -s * direction.x + c * direction.z);
}

constexpr float probeStep = 4.0f;
constexpr float kartHalfWidth = 1.8f;
constexpr int framesBeforeBackingOff = 45;
constexpr int framesBackingOff = 60;

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

bool TestDriver::onRoad(const glm::vec3& point) const {
    RaycastHit hit;
    const glm::vec3 above = point + glm::vec3(0.0f, 20.0f, 0.0f);
    return world.scene->getPhysicsWorld()->raycast(above, glm::vec3(0, -1, 0), 60.0f, hit) &&
           hit.body != nullptr && hit.body->entity->name == "Road_MC_";
}

bool TestDriver::roadFits(const glm::vec3& point, const glm::vec3& direction) const {
    const glm::vec3 across = glm::vec3(-direction.z, 0.0f, direction.x) * kartHalfWidth;
    return onRoad(point) && onRoad(point + across) && onRoad(point - across);
}

float TestDriver::roadAhead(const glm::vec3& from, const glm::vec3& direction, float limit) const {
    for (float distance = probeStep; distance <= limit; distance += probeStep) {
        if (!roadFits(from + distance * direction, direction)) {
            return distance - probeStep;
        }
    }
    return limit;
}

glm::vec3 TestDriver::pathTowards(const glm::vec3& from, const glm::vec3& aim, float reach) const {
    const glm::vec3 straight = glm::normalize(glm::vec3(aim.x - from.x, 0.0f, aim.z - from.z));
    for (int i = 0; i <= 20; ++i) {
        const float angle =
            glm::radians(6.0f) * static_cast<float>((i + 1) / 2) * (i % 2 == 0 ? 1.0f : -1.0f);
        const glm::vec3 candidate = turned(straight, angle);
        if (roadAhead(from, candidate, reach) >= reach) {
            return candidate;
        }
    }
    return straight;
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
    const glm::vec3 pointing = kart.getGlobalRotation() * glm::vec3(0, 0, -1);
    const glm::vec3 forward = glm::normalize(glm::vec3(pointing.x, 0.0f, pointing.z));
    const glm::vec3 aim = target(nextCheckpoint());
    const float distance = glm::length(glm::vec2(aim.x - position.x, aim.z - position.z));
    const glm::vec3 path = pathTowards(position, aim, std::min(distance, 24.0f));
    const float heading = turnAngle(forward, path);
    const float speed = glm::length(world.body(player).getLinearVelocity());

    if (backingOff > 0) {
        // Rolling backwards the steering is reversed: the right key swings the nose left.
        --backingOff;
        hold(keys.accelerate, false);
        hold(keys.reverse, true);
        hold(keys.left, heading < 0.0f);
        hold(keys.right, heading >= 0.0f);
        return;
    }
    stalled = speed < 2.0f ? stalled + 1 : 0;
    if (stalled > framesBeforeBackingOff) {
        stalled = 0;
        backingOff = framesBackingOff;
    }

    // Brake so that the kart could stop (at about 6 m/s^2) within the road it sees ahead.
    const float clear = roadAhead(position, forward, 60.0f);
    float wanted = std::sqrt(2.0f * 6.0f * clear);
    wanted = std::min(wanted, 30.0f - 16.0f * std::abs(heading));
    wanted = std::clamp(wanted, 8.0f, 30.0f);

    hold(keys.accelerate, speed < wanted);
    hold(keys.reverse, speed > wanted + 3.0f);
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
