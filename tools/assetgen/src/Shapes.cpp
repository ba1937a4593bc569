// See Shapes.h. Coverage comes from 4 x 4 samples per pixel.
#include "Shapes.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

void fill(Image& image, const glm::vec2& lo, const glm::vec2& hi,
          const std::function<bool(const glm::vec2&)>& inside, const glm::vec4& colour) {
    const int x0 = std::max(0, static_cast<int>(std::floor(lo.x)));
    const int y0 = std::max(0, static_cast<int>(std::floor(lo.y)));
    const int x1 = std::min(image.width() - 1, static_cast<int>(std::ceil(hi.x)));
    const int y1 = std::min(image.height() - 1, static_cast<int>(std::ceil(hi.y)));
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx)
                    hits += inside(glm::vec2(static_cast<float>(x) + (static_cast<float>(sx) + 0.5f) / 4.0f,
                                             static_cast<float>(y) + (static_cast<float>(sy) + 0.5f) / 4.0f))
                                ? 1
                                : 0;
            if (hits > 0)
                image.blend(x, y, glm::vec4(glm::vec3(colour), colour.a * static_cast<float>(hits) / 16.0f));
        }
    }
}

} // namespace

void Shapes::polygon(Image& image, const std::vector<glm::vec2>& points, const glm::vec4& colour) {
    glm::vec2 lo(1e9f), hi(-1e9f);
    for (const glm::vec2& p : points) {
        lo = glm::min(lo, p);
        hi = glm::max(hi, p);
    }
    fill(
        image, lo, hi,
        [&](const glm::vec2& q) {
            bool in = false;
            for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
                const glm::vec2& a = points[i];
                const glm::vec2& b = points[j];
                if ((a.y > q.y) != (b.y > q.y) && q.x < (b.x - a.x) * (q.y - a.y) / (b.y - a.y) + a.x)
                    in = !in;
            }
            return in;
        },
        colour);
}

void Shapes::disc(Image& image, const glm::vec2& centre, float radius, const glm::vec4& colour) {
    ring(image, centre, 0.0f, radius, colour);
}

void Shapes::ring(Image& image, const glm::vec2& centre, float inner, float outer, const glm::vec4& colour) {
    fill(
        image, centre - outer, centre + outer,
        [&](const glm::vec2& q) {
            const float d = glm::length(q - centre);
            return d <= outer && d >= inner;
        },
        colour);
}

void Shapes::roundedRect(Image& image, const glm::vec2& lo, const glm::vec2& hi, float radius,
                         const glm::vec4& colour) {
    fill(
        image, lo, hi,
        [&](const glm::vec2& q) {
            const glm::vec2 c = glm::clamp(q, lo + radius, hi - radius);
            return q.x >= lo.x && q.x <= hi.x && q.y >= lo.y && q.y <= hi.y && glm::length(q - c) <= radius;
        },
        colour);
}

void Shapes::verticalGradient(Image& image, const glm::vec4& top, const glm::vec4& bottom) {
    for (int y = 0; y < image.height(); ++y) {
        const float t = static_cast<float>(y) / static_cast<float>(std::max(1, image.height() - 1));
        for (int x = 0; x < image.width(); ++x)
            image.at(x, y) = glm::mix(top, bottom, t);
    }
}
