// See Icon.h. The kart is laid out in a unit square and scaled to each size; the
// outline is a dilation of the drawn shapes by about a 32nd of the size (at least
// one pixel), so the icon reads on light and dark panels alike.
#include "Icon.h"

#include "ImageFile.h"
#include "Shapes.h"

#include <algorithm>
#include <cmath>

namespace {

const glm::vec4 ink(0.05f, 0.06f, 0.12f, 1.0f);
const glm::vec4 body(0.93f, 0.22f, 0.1f, 1.0f);
const glm::vec4 bodyShade(0.68f, 0.1f, 0.06f, 1.0f);
const glm::vec4 helmet(1.0f, 0.84f, 0.12f, 1.0f);
const glm::vec4 visor(0.15f, 0.4f, 1.0f, 1.0f);
const glm::vec4 tyre(0.12f, 0.12f, 0.14f, 1.0f);
const glm::vec4 hub(0.75f, 0.76f, 0.8f, 1.0f);

// The kart faces right; coordinates are fractions of the icon's side, y down.
void drawKart(Image& image, float s, bool detail) {
    const auto p = [s](float x, float y) { return glm::vec2(x * s, y * s); };
    // Rear wing and its post.
    Shapes::polygon(image, {p(0.03f, 0.36f), p(0.22f, 0.36f), p(0.2f, 0.44f), p(0.05f, 0.44f)}, bodyShade);
    Shapes::polygon(image, {p(0.11f, 0.42f), p(0.16f, 0.42f), p(0.19f, 0.6f), p(0.13f, 0.6f)}, bodyShade);
    // Driver: torso leaning back, then the helmet with its visor looking ahead.
    Shapes::polygon(image, {p(0.3f, 0.58f), p(0.33f, 0.4f), p(0.46f, 0.42f), p(0.52f, 0.58f)}, visor);
    Shapes::disc(image, p(0.4f, 0.3f), 0.13f * s, helmet);
    Shapes::roundedRect(image, p(0.42f, 0.24f), p(0.54f, 0.33f), 0.03f * s, visor);
    // Body: low at the nose, a raised cowl behind the driver.
    Shapes::polygon(image,
                    {p(0.06f, 0.56f), p(0.3f, 0.52f), p(0.56f, 0.55f), p(0.7f, 0.58f), p(0.97f, 0.6f),
                     p(0.97f, 0.69f), p(0.6f, 0.73f), p(0.08f, 0.72f)},
                    body);
    if (detail) {
        // A stripe along the side and the steering wheel in front of the driver.
        Shapes::polygon(image, {p(0.1f, 0.64f), p(0.95f, 0.645f), p(0.95f, 0.665f), p(0.1f, 0.665f)}, helmet);
        Shapes::polygon(image, {p(0.52f, 0.44f), p(0.56f, 0.43f), p(0.61f, 0.56f), p(0.57f, 0.57f)}, ink);
    }
    // Big rear wheel, smaller front wheel.
    Shapes::disc(image, p(0.24f, 0.75f), 0.17f * s, tyre);
    Shapes::disc(image, p(0.8f, 0.78f), 0.14f * s, tyre);
    if (detail) {
        Shapes::disc(image, p(0.24f, 0.75f), 0.065f * s, hub);
        Shapes::disc(image, p(0.8f, 0.78f), 0.055f * s, hub);
    }
}

} // namespace

const std::vector<int>& Icon::sizes() {
    static const std::vector<int> all = {16, 22, 24, 32, 48, 64, 128, 256};
    return all;
}

Image Icon::draw(int size) {
    const float s = static_cast<float>(size);
    Image kart(size, size);
    drawKart(kart, s, size >= 32);

    // Outline: the largest coverage within the outline's radius, in ink, under the kart.
    const float radius = std::max(1.0f, s / 32.0f);
    const int reach = static_cast<int>(std::ceil(radius));
    Image icon(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float cover = 0.0f;
            for (int dy = -reach; dy <= reach; ++dy) {
                for (int dx = -reach; dx <= reach; ++dx) {
                    const int sx = x + dx;
                    const int sy = y + dy;
                    if (sx < 0 || sy < 0 || sx >= size || sy >= size ||
                        static_cast<float>(dx * dx + dy * dy) > radius * radius + 0.5f) {
                        continue;
                    }
                    cover = std::max(cover, kart.at(sx, sy).a);
                }
            }
            icon.at(x, y) = glm::vec4(glm::vec3(ink), cover);
        }
    }
    icon.composite(kart, 0, 0);
    return icon;
}

void Icon::generate(const std::string& outDir) {
    for (int size : sizes()) {
        const std::string name = std::to_string(size) + "x" + std::to_string(size);
        ImageFile::savePng(draw(size), outDir + "/icons/hicolor/" + name + "/apps/torquewind.png");
    }
}
