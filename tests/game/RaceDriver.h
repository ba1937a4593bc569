// Test-side driver: steers a kart round the track by holding its keys, aiming
// at a point a little way ahead on a smooth curve through the checkpoints, and
// easing off before the bends. It only decides which keys are down; the test
// feeds them to the game through Input.
#pragma once

#include "game/RacingLine.h"

#include <glm/glm.hpp>

#include <array>
#include <vector>

class Car;
class RaceFlow;
class Input;
class RaceProgress;
class Transform;

struct KartKeys {
    int accelerate;
    int reverse;
    int left;
    int right;
};

class RaceDriver {
public:
    // lane: sideways offset from the curve in metres (+ right), so two karts keep apart.
    RaceDriver(const RaceFlow& gameplay, Car& car, KartKeys keys, float lane);

    // The game's keys of player 0 or 1.
    static KartKeys playerKeys(int player);

    // Decides the keys for a frame of dt seconds and queues their changes on input.
    void drive(Input& input, float dt);
    // Lets go of every key.
    void release(Input& input);

private:
    enum Key : size_t { accelerate, reverse, left, right };
    // Which keys are down, by Key.
    using Keys = std::array<bool, 4>;

    Keys decide(float dt);
    void setKeys(Input& input, const Keys& wanted);
    // Index of the path sample nearest to the kart, searched near the last one.
    size_t nearestSample(const glm::vec3& position);
    glm::vec3 pathPoint(size_t index) const { return path.point(index); }
    float bendAhead(size_t from) const;

    float laneOffset;
    Car& car;
    Transform& transform;
    KartKeys keys;
    // The curve the game's AI drivers follow too.
    RacingLine path;
    size_t progress = 0;
    bool progressKnown = false;
    float stuckTime = 0.0f;
    float reverseTime = 0.0f;
    Keys down{};
};
