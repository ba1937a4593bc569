// Placement of 3D voices around the nearest of several listeners.
#include "core/audio/SoundListeners.h"
#include "support/ExpectNear.h"

#include <gtest/gtest.h>

namespace {

TEST(SoundListeners, PlacesPointsInTheListenersFrame) {
    SoundListeners listeners;
    // Facing +x: a point further along +x is ahead (-z), +z is to the right.
    ASSERT_TRUE(listeners.set(0, {10, 0, 0}, {1, 0, 0}, {0, 1, 0}));
    float distance = 0.0f;
    expectNear(listeners.place({13, 0, 0}, distance), {0, 0, -3}, 1e-4f);
    EXPECT_FLOAT_EQ(distance, 3.0f);
    expectNear(listeners.place({10, 2, 1}, distance), {1, 2, 0}, 1e-4f);
    EXPECT_FALSE(listeners.set(1, {0, 0, 0}, {0, 0, -1}, {0, 1, 0}));
    EXPECT_FALSE(listeners.set(0, {NAN, 0, 0}, {0, 0, -1}, {0, 1, 0}));
    // Up along forward still gives a frame.
    ASSERT_TRUE(listeners.set(0, {0, 0, 0}, {0, 1, 0}, {0, 1, 0}));
    expectNear(listeners.place({0, 5, 0}, distance), {0, 0, -5}, 1e-4f);
}

TEST(SoundListeners, NearestListenerWinsAndTheHandOverIsSmooth) {
    SoundListeners listeners;
    ASSERT_TRUE(listeners.setCount(2));
    listeners.set(0, {0, 0, 0}, {0, 0, -1}, {0, 1, 0});
    listeners.set(1, {10, 0, 0}, {0, 0, 1}, {0, 1, 0}); // facing the other way
    float distance = 0.0f;
    expectNear(listeners.place({0.5f, 0, -2}, distance), {0.5f, 0, -2}, 1e-4f);
    expectNear(listeners.place({9.5f, 0, -2}, distance), {0.5f, 0, 2}, 1e-4f);
    // A hard switch at x = 5 would move the voice from (5, 0, -2) to (5, 0, 2).
    glm::vec3 previous = listeners.place({0, 0, -2}, distance);
    float largestStep = 0.0f;
    for (float x = 0.05f; x <= 10.0f; x += 0.05f) {
        const glm::vec3 placed = listeners.place({x, 0, -2}, distance);
        largestStep = std::max(largestStep, glm::distance(placed, previous));
        EXPECT_NEAR(glm::length(placed), distance, 1e-3f) << "loudness follows the nearest";
        previous = placed;
    }
    EXPECT_LT(largestStep, 0.3f);
}

} // namespace
