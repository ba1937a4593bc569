// A race scene without a window for the game's tests: real physics, input and
// scenes, the "gameplay" entity, and either the generated track built as the
// race scene builds it (loadTrack) or box karts and plain checkpoints placed by
// the test. Engine frames run on the driven clock, so timers and the fixed-step
// accumulator behave as in the game; physics frames take exactly the fixed
// steps asked for, so that driving tests can count them.
#pragma once

#include "core/physics/RigidBodyDynamic.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Input.h"
#include "core/runtime/Scene.h"
#include "core/runtime/Transform.h"
#include "game/Car.h"
#include "game/Checkpoint.h"
#include "game/RaceFlow.h"
#include "game/RaceMessages.h"
#include "game/RaceProgress.h"
#include "support/TestEngine.h"

// Only the key names: GL comes from GLEW where a test needs it.
#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>
#include <glm/gtc/quaternion.hpp>

#include <array>
#include <string>
#include <vector>

class Text;

bool generatedTrackExists();

#define TW_REQUIRE_TRACK()                                                                                   \
    do {                                                                                                     \
        if (!::generatedTrackExists()) {                                                                     \
            GTEST_SKIP() << "the track has not been generated (build the assets target)";                    \
        }                                                                                                    \
    } while (false)

// The players a kart's RaceProgress announced as finished, in order.
struct FinishLog {
    void finished(unsigned player) { players.push_back(player); }
    std::vector<unsigned> players;
};

class RaceWorld {
public:
    RaceWorld();

    // Imports the track (a file below the resource loader's folder), removes the
    // karts beyond two, applies its conventions, sets up both karts and finds the
    // checkpoints; false when a kart could not be set up.
    bool loadTrack(const std::string& file = "scenes/Track_01_LM.fbx");
    // A start line with box karts P1 and P2 either side of it, and a hidden end screen.
    void addBoxRace();
    // A box kart with Car, its PlayerDriver and RaceProgress.
    Entity* addKart(const std::string& name, unsigned player, const glm::vec3& position);
    Checkpoint* addCheckpoint(int index, const glm::vec3& position, float yawDegrees = 0.0f);

    // Engine frames of the driven clock.
    void frame(uint32_t frameMs = 16) { engine.frame(frameMs); }
    void run(float seconds, uint32_t frameMs = 16) { engine.runFor(seconds, frameMs); }
    float now() const { return engine.engine->time; }
    // Frames of 1/60 s: the input's frame and the drivers, then stepsPerFrame fixed
    // steps, update and late update.
    void step(int stepsPerFrame = 1);
    void steps(int count);
    void stepSeconds(float duration) { steps(static_cast<int>(duration * 60.0f + 0.5f)); }

    // Keys reach the game in the next frame, as the window's poll would deliver them.
    void press(int key) { input->queueKey(key, GLFW_PRESS); }
    void release(int key) { input->queueKey(key, GLFW_RELEASE); }
    // Pressed for one engine frame.
    void tap(int key);

    Car& car(int player) const { return *karts[static_cast<size_t>(player)]->getComponent<Car>(); }
    RaceProgress& race(int player) const {
        return *karts[static_cast<size_t>(player)]->getComponent<RaceProgress>();
    }
    RigidBodyDynamic& body(int player) const { return *car(player).body; }
    Transform& transform(int player) const { return *car(player).transform; }
    // The scene's Texts showing text.
    std::vector<Text*> texts(const std::string& text) const;
    // Puts a kart at a world pose, standing still.
    void place(int player, const glm::vec3& position, const glm::quat& rotation);
    // The height of the driving surface straight below (x, z), if any.
    bool groundBelow(const glm::vec3& point, float& height) const;

    TestEngine engine;
    Input* input = nullptr;
    Scene* scene = nullptr;
    RaceMessages* utils = nullptr;
    RaceFlow* gameplay = nullptr;
    // Player 1's kart first, as added or loaded.
    std::array<Entity*, 2> karts{};
    // The loaded karts' poses as imported (their start poses).
    std::array<glm::vec3, 2> startPositions{};
    std::array<glm::quat, 2> startRotations{};
};
