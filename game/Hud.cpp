// HUD layout. Both halves share it: lap count top left, speed top right, the
// boost icon, bar and label bottom left, clear of the kart in the middle and of
// the messages and countdown in the centre.
#include "game/Hud.h"

#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/ui/Text.h"
#include "core/ui/UITex.h"
#include "game/Car.h"
#include "game/CarHUD.h"
#include "game/GameAssets.h"
#include "game/LapCounter.h"
#include "game/RaceProgress.h"
#include "game/UiFactory.h"
#include "game/UiLayers.h"

#include <string>

namespace {

const glm::vec4 textColour{1.0f, 1.0f, 1.0f, 1.0f};
const glm::vec4 boostColour{0.9f, 1.0f, 0.0f, 1.0f};
const glm::vec4 barBackColour{0.05f, 0.06f, 0.12f, 0.75f};

constexpr float margin = 0.02f;
constexpr float lapHeight = 0.05f;
constexpr float speedHeight = 0.06f;
constexpr float iconHeight = 0.08f;
constexpr float labelHeight = 0.04f;

// A bar of the "fill" texture, stretched to size (fractions of the window).
UITex* addBar(Scene& scene, const std::string& name, const glm::vec2& position, const glm::vec4& colour,
              uint32_t layer) {
    UITex* bar = addPictureEntity(scene, name, cachedTexture(scene.systems, "fill", "textures/ui/fill.png"),
                                  {position, CarHUD::barHeight, Anchor::BottomLeft}, layer);
    auto* transform = bar->entity->getComponent<Transform2D>();
    transform->setAspectMode(AspectMode::None);
    transform->setSize({CarHUD::barWidth, CarHUD::barHeight});
    bar->color = colour;
    return bar;
}

} // namespace

Entity* buildHud(Scene& scene, Entity& kart, int hudNumber) {
    const std::string prefix = "hud" + std::to_string(hudNumber) + "_";
    // Top of this player's half of the window.
    const float top = hudNumber == 1 ? 0.0f : 0.5f;
    const float bottom = top + 0.5f;

    Text* lapText = addTextEntity(scene, prefix + "lap", "Lap 0", {{margin, top + margin}, lapHeight, Anchor::TopLeft},
                                  textColour, uiLayer::hud);
    Entity* hud = lapText->entity;
    auto* lapCounter = hud->addComponent<LapCounter>();
    lapCounter->raceProps = kart.getComponent<RaceProgress>();

    Text* speedText = addTextEntity(scene, prefix + "speed", "0 mph",
                                    {{1.0f - margin, top + margin}, speedHeight, Anchor::TopRight}, textColour,
                                    uiLayer::hud);

    const float barLeft = margin + iconHeight * 0.75f;
    const glm::vec2 barPosition(barLeft, bottom - margin - iconHeight * 0.3f);
    addBar(scene, prefix + "boostBack", barPosition, barBackColour, uiLayer::hudPanel);
    UITex* fill = addBar(scene, prefix + "boostFill", barPosition, boostColour, uiLayer::hud);

    addPictureEntity(scene, prefix + "boostIcon", cachedTexture(scene.systems, "boostText", "textures/ui/boost.png"),
                     {{margin * 0.5f, bottom - margin * 0.5f}, iconHeight, Anchor::BottomLeft}, uiLayer::hud);
    addTextEntity(scene, prefix + "boostLabel", "BOOST",
                  {{barLeft, barPosition.y - CarHUD::barHeight - 0.008f}, labelHeight, Anchor::BottomLeft},
                  boostColour, uiLayer::hud);

    auto* carHud = hud->addComponent<CarHUD>();
    carHud->car = kart.getComponent<Car>();
    carHud->speedText = speedText;
    carHud->boostFill = fill->entity->getComponent<Transform2D>();
    return hud;
}
