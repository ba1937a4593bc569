// A test-side driver: holds one player's keys to steer the kart towards its
// next checkpoint (offset to its own side of the road). Like a player it looks
// at the road: where the straight line to the checkpoint would leave the road
// (the hairpin), it turns the line until it stays on it, and it slows down when
// little road lies ahead. Stuck against a barrier, it backs off and turns away.
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
    bool onRoad(const glm::vec3& point) const;
    // The road under a kart's width across the direction, not just its middle.
    bool roadFits(const glm::vec3& point, const glm::vec3& direction) const;
    // How far the road goes on along a horizontal direction, up to limit metres.
    float roadAhead(const glm::vec3& from, const glm::vec3& direction, float limit) const;
    // The direction closest to the one towards aim along which the road goes on for reach metres.
    glm::vec3 pathTowards(const glm::vec3& from, const glm::vec3& aim, float reach) const;
    int nextCheckpoint() const;
    void hold(int key, bool down);

    DrivingWorld& world;
    int player;
    Keys keys;
    // Metres to the right of each checkpoint's centre that this kart aims at.
    float lane;
    bool down[4] = {false, false, false, false};
    // Frames spent nearly standing while trying to drive, and frames of backing off left.
    int stalled = 0;
    int backingOff = 0;
};
