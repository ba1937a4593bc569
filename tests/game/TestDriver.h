// A test-side driver: holds one player's keys to steer the kart towards its
// next checkpoint (offset to its own side of the road), easing off before
// sharp turns. It reads only what a player sees: where the kart is and points,
// how fast it goes, and where the checkpoints are.
#pragma once

#include <glm/glm.hpp>

class DrivingWorld;

class TestDriver {
public:
    TestDriver(DrivingWorld& world, int player);

    // Chooses this frame's keys; call before DrivingWorld::frame().
    void drive();
    // Lets go of every key.
    void stop();

private:
    struct Keys {
        int accelerate, reverse, left, right;
    };

    glm::vec3 target(int checkpointNumber) const;
    int nextCheckpoint() const;
    void hold(int key, bool down);

    DrivingWorld& world;
    int player;
    Keys keys;
    // Metres to the right of each checkpoint's centre that this kart aims at.
    float lane;
    bool down[4] = {false, false, false, false};
};
