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
    // The box around its eight corners moved by an affine transform (or an
    // orthographic projection, whose w stays 1).
    Bounds transformed(const glm::mat4& transform) const {
        Bounds box;
        for (int corner = 0; corner < 8; ++corner) {
            const glm::vec3 point((corner & 1) != 0 ? max.x : min.x, (corner & 2) != 0 ? max.y : min.y,
                                  (corner & 4) != 0 ? max.z : min.z);
            box.add(glm::vec3(transform * glm::vec4(point, 1.0f)));
        }
        return box;
    }
};
