// See Image.h.
#include "Image.h"

#include <algorithm>
#include <cmath>

Image::Image(int width, int height, const glm::vec4& fill)
    : w(width), h(height), pixels(static_cast<size_t>(width) * height, fill) {}

const glm::vec4& Image::wrapped(int x, int y) const {
    x = ((x % w) + w) % w;
    y = ((y % h) + h) % h;
    return at(x, y);
}

glm::vec4 Image::sampleWrapped(float x, float y) const {
    x -= 0.5f;
    y -= 0.5f;
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    const float tx = x - fx, ty = y - fy;
    const glm::vec4 a = glm::mix(wrapped(ix, iy), wrapped(ix + 1, iy), tx);
    const glm::vec4 b = glm::mix(wrapped(ix, iy + 1), wrapped(ix + 1, iy + 1), tx);
    return glm::mix(a, b, ty);
}

glm::vec4 Image::sampleClamped(float x, float y) const {
    x = std::clamp(x - 0.5f, 0.0f, static_cast<float>(w - 1));
    y = std::clamp(y - 0.5f, 0.0f, static_cast<float>(h - 1));
    const int ix = std::min(static_cast<int>(x), w - 2 < 0 ? 0 : w - 2);
    const int iy = std::min(static_cast<int>(y), h - 2 < 0 ? 0 : h - 2);
    const int ix1 = std::min(ix + 1, w - 1), iy1 = std::min(iy + 1, h - 1);
    const float tx = x - static_cast<float>(ix), ty = y - static_cast<float>(iy);
    const glm::vec4 a = glm::mix(at(ix, iy), at(ix1, iy), tx);
    const glm::vec4 b = glm::mix(at(ix, iy1), at(ix1, iy1), tx);
    return glm::mix(a, b, ty);
}

void Image::blend(int x, int y, const glm::vec4& colour) {
    if (x < 0 || y < 0 || x >= w || y >= h)
        return;
    glm::vec4& dst = at(x, y);
    const float a = colour.a;
    const float outA = a + dst.a * (1.0f - a);
    if (outA <= 0.0f) {
        dst = glm::vec4(0.0f);
        return;
    }
    const glm::vec3 rgb = (glm::vec3(colour) * a + glm::vec3(dst) * dst.a * (1.0f - a)) / outA;
    dst = glm::vec4(rgb, outA);
}

void Image::composite(const Image& other, int x, int y) {
    for (int j = 0; j < other.height(); ++j)
        for (int i = 0; i < other.width(); ++i)
            blend(x + i, y + j, other.at(i, j));
}

Image Image::shrunk(int factor) const {
    if (factor <= 1)
        return *this;
    Image out(std::max(1, w / factor), std::max(1, h / factor));
    const float blockArea = static_cast<float>(factor * factor);
    for (int y = 0; y < out.h; ++y) {
        for (int x = 0; x < out.w; ++x) {
            glm::vec4 sum(0.0f);
            for (int j = 0; j < factor; ++j)
                for (int i = 0; i < factor; ++i)
                    sum += at(x * factor + i, y * factor + j);
            out.at(x, y) = sum / blockArea;
        }
    }
    return out;
}
