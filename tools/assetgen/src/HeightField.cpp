// See HeightField.h.
#include "HeightField.h"

#include <algorithm>

Image HeightField::normalMap(float strength, bool wrap) const {
    Image out(w, h);
    const auto sample = [&](int x, int y) {
        if (wrap) {
            x = ((x % w) + w) % w;
            y = ((y % h) + h) % h;
        } else {
            x = std::clamp(x, 0, w - 1);
            y = std::clamp(y, 0, h - 1);
        }
        return at(x, y);
    };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const float du = 0.5f * (sample(x + 1, y) - sample(x - 1, y)) * strength;
            // Rows run down the picture while v runs up.
            const float dv = -0.5f * (sample(x, y + 1) - sample(x, y - 1)) * strength;
            const glm::vec3 n = glm::normalize(glm::vec3(-du, -dv, 1.0f));
            out.at(x, y) = glm::vec4(n * 0.5f + 0.5f, 1.0f);
        }
    }
    return out;
}
