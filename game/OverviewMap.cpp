// Overview layout and kart dots.
#include "game/OverviewMap.h"

#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/Transform.h"
#include "core/ui/Transform2D.h"
#include "core/ui/UITex.h"
#include "game/GameAssets.h"
#include "game/RacingLine.h"
#include "game/UiFactory.h"
#include "game/UiLayers.h"

#include <algorithm>
#include <array>
#include <string>

namespace {

constexpr float margin = 0.08f;
constexpr float trailDot = 0.008f;
constexpr float kartDot = 0.022f;
constexpr size_t trailDots = 96;
const glm::vec4 backColour{0.05f, 0.06f, 0.12f, 0.85f};
const glm::vec4 trailColour{0.7f, 0.7f, 0.75f, 1.0f};
// P1 blue and P2 orange as their karts, then distinct colours for the rest of the grid.
const std::array<glm::vec4, 8> kartColours{{{0.1f, 0.3f, 0.9f, 1.0f},
                                            {1.0f, 0.5f, 0.05f, 1.0f},
                                            {0.1f, 0.8f, 0.2f, 1.0f},
                                            {0.9f, 0.1f, 0.1f, 1.0f},
                                            {0.9f, 0.9f, 0.1f, 1.0f},
                                            {0.7f, 0.2f, 0.9f, 1.0f},
                                            {0.1f, 0.9f, 0.9f, 1.0f},
                                            {1.0f, 1.0f, 1.0f, 1.0f}}};

UITex* addDot(Scene& scene, const std::string& name, float size, const glm::vec4& colour, uint32_t layer) {
    UITex* dot = addPictureEntity(scene, name, cachedTexture(scene.systems, "fill", "textures/ui/fill.png"),
                                  {{0.0f, 0.0f}, size, Anchor::Center}, layer);
    auto* place = dot->entity->getComponent<Transform2D>();
    place->setAspectMode(AspectMode::WidthFollowsHeight);
    dot->color = colour;
    return dot;
}

} // namespace

void OverviewMap::build(const RacingLine& line, const std::vector<Entity*>& all, const glm::vec4& area) {
    rect = area;
    Scene& scene = *entity->scene;
    glm::vec2 low(1e30f);
    glm::vec2 high(-1e30f);
    for (size_t i = 0; i < line.size(); ++i) {
        const glm::vec3& p = line.point(i);
        low = glm::min(low, glm::vec2(p.x, p.z));
        high = glm::max(high, glm::vec2(p.x, p.z));
    }
    const glm::vec2 extent = glm::max(high - low, glm::vec2(1.0f));
    // Fractions of the window are not square: keep the map's proportions in pixels
    // of a 16:10 window.
    const glm::vec2 room((1.0f - 2.0f * margin) * rect.z * 1.6f, (1.0f - 2.0f * margin) * rect.w);
    scale = std::min(room.x / extent.x, room.y / extent.y);
    worldMin = low;
    const glm::vec2 used = extent * scale;
    offset = glm::vec2(rect.x + 0.5f * (rect.z - used.x / 1.6f), rect.y + 0.5f * (rect.w - used.y));

    UITex* back =
        addPictureEntity(scene, "overviewBack", cachedTexture(scene.systems, "fill", "textures/ui/fill.png"),
                         {{rect.x, rect.y}, rect.w, Anchor::TopLeft}, uiLayer::hudPanel);
    auto* backPlace = back->entity->getComponent<Transform2D>();
    backPlace->setAspectMode(AspectMode::None);
    backPlace->setSize({rect.z, rect.w});
    back->color = backColour;
    for (size_t i = 0; i < trailDots && !line.empty(); ++i) {
        UITex* dot = addDot(scene, "overviewTrail", trailDot, trailColour, uiLayer::hud);
        dot->entity->getComponent<Transform2D>()->setPosition(
            toWindow(line.point(i * line.size() / trailDots)));
    }
    for (size_t i = 0; i < all.size(); ++i) {
        UITex* dot = addDot(scene, "overviewKart" + std::to_string(i + 1), kartDot,
                            kartColours[i % kartColours.size()], uiLayer::screen);
        kartDots.push_back(dot->entity->getComponent<Transform2D>());
        karts.push_back(all[i]->getComponent<Transform>());
    }
}

glm::vec2 OverviewMap::toWindow(const glm::vec3& world) const {
    const glm::vec2 map = (glm::vec2(world.x, world.z) - worldMin) * scale;
    return offset + glm::vec2(map.x / 1.6f, map.y);
}

void OverviewMap::update(float dt) {
    Updateable::update(dt);
    for (size_t i = 0; i < karts.size() && i < kartDots.size(); ++i) {
        if (karts[i] != nullptr) {
            kartDots[i]->setPosition(toWindow(karts[i]->getWorldPosition()));
        }
    }
}
