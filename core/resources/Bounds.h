// An axis-aligned box given by its minimum and maximum corners.
#pragma once

#include <glm/glm.hpp>

#include <cfloat>

struct Bounds {
    // Starts inverted, so that the first point widened in becomes the whole box.
    glm::vec3 min{FLT_MAX};
    glm::vec3 max{-FLT_MAX};

    void add(const glm::vec3& point) {
        min = glm::min(min, point);
        max = glm::max(max, point);
    }
    bool isEmpty() const { return min.x > max.x || min.y > max.y || min.z > max.z; }
    glm::vec3 center() const { return (min + max) * 0.5f; }
    glm::vec3 size() const { return max - min; }
};
