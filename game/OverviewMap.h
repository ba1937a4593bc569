// The track seen from above in a corner of the window that no player's view
// takes (the fourth quarter of a three-player race): the racing line as a trail
// of dots and every kart as a larger dot of its own colour, moved each frame.
#pragma once

#include "core/runtime/Updateable.h"

#include <glm/glm.hpp>

#include <vector>

class RacingLine;
class Transform;
class Transform2D;

class OverviewMap : public Updateable {
public:
    using Updateable::Updateable;

    // rect: x, y, width, height in fractions of the window from its top-left.
    void build(const RacingLine& line, const std::vector<Entity*>& karts, const glm::vec4& rect);
    void update(float dt) override;

    // Where a world point lands in the window (fractions from the top-left).
    glm::vec2 toWindow(const glm::vec3& world) const;

    std::vector<Transform2D*> kartDots;

private:
    std::vector<Transform*> karts;
    glm::vec4 rect{0.0f};
    glm::vec2 worldMin{0.0f};
    float scale = 1.0f;
    glm::vec2 offset{0.0f};
};
