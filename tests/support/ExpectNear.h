// Component-wise closeness of vectors, naming the axis that is off.
#pragma once

#include <glm/glm.hpp>
#include <gtest/gtest.h>

inline void expectNear(const glm::vec3& actual, const glm::vec3& expected, float tolerance) {
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "axis " << i;
    }
}
