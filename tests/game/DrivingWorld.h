// The generated track built as the race scene builds it (import, track
// conventions, both karts, the "gameplay" entity with its checkpoints), driven
// frame by frame with one fixed 1/60 s step each and injected keys, without a
// window or any rendering.
#pragma once

#include "core/runtime/Entity.h"
#include "core/runtime/Input.h"
#include "core/runtime/Scene.h"
#include "game/Car.h"
#include "game/Gameplay.h"
#include "game/RaceProps.h"
#include "support/TestEngine.h"

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include <array>
#include <string>
#include <utility>
#include <vector>

class RigidBodyDynamic;
class SceneUtils;
class Transform;

bool generatedTrackExists();

#define TW_REQUIRE_TRACK()                                                                                   \
    do {                                                                                                     \
        if (!::generatedTrackExists()) {                                                                     \
            GTEST_SKIP() << "the track has not been generated (build the assets target)";                    \
        }                                                                                                    \
    } while (false)

class DrivingWorld {
public:
    DrivingWorld();

    // Key events are delivered in the next frame after the input ages its states,
    // as the window's poll would, so a press reads Pressed for that one frame.
    void press(int key);
    void release(int key);
    void releaseAll();

    // One engine frame of 1/60 s with stepsPerFrame fixed steps.
    void frame(int stepsPerFrame = 1);
    void frames(int count);
    void seconds(float duration) { frames(static_cast<int>(duration * 60.0f + 0.5f)); }

    Car& car(int player) const { return *cars[static_cast<size_t>(player)]; }
    RaceProps& race(int player) const;
    RigidBodyDynamic& body(int player) const;
    Transform& transform(int player) const;
    Entity& kart(int player) const { return *car(player).entity; }

    // Puts a kart at a world pose, standing still.
    void place(int player, const glm::vec3& position, const glm::quat& rotation);
    // The height of the track's driving surface straight below (x, z), if any.
    bool groundBelow(const glm::vec3& point, float& height) const;
    // World yaw rate about the kart's up axis (radians per second, positive left).
    float yawRate(int player) const;

    TestEngine engine;
    Input* input = nullptr;
    Scene* scene = nullptr;
    Gameplay* gameplay = nullptr;
    SceneUtils* sceneUtils = nullptr;
    std::array<Car*, 2> cars{};
    // Each kart's pose as imported (its start position).
    std::array<glm::vec3, 2> startPositions{};
    std::array<glm::quat, 2> startRotations{};

    static constexpr float step = 1.0f / 60.0f;

private:
    std::vector<std::pair<int, int>> pendingKeys;
    std::vector<int> heldKeys;
};
