// Anti-aliased filled shapes for the pictures: polygons, discs, rings and
// rounded rectangles, composited "over" what is already painted.
#pragma once

#include "Image.h"

#include <vector>

class Shapes {
public:
    static void polygon(Image& image, const std::vector<glm::vec2>& points, const glm::vec4& colour);
    static void disc(Image& image, const glm::vec2& centre, float radius, const glm::vec4& colour);
    static void ring(Image& image, const glm::vec2& centre, float inner, float outer,
                     const glm::vec4& colour);
    static void roundedRect(Image& image, const glm::vec2& lo, const glm::vec2& hi, float radius,
                            const glm::vec4& colour);
    // A vertical gradient from top colour to bottom colour over the whole picture.
    static void verticalGradient(Image& image, const glm::vec4& top, const glm::vec4& bottom);
};
