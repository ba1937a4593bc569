// HUD layout. Every view shares it, scaled to the view: lap count top left
// (with the race position below it outside the two-player race), speed top
// right, the boost icon, bar and label bottom left, clear of the kart in the
// middle and of the messages and countdown in the centre.
#include "game/Hud.h"

#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/ui/Text.h"
#include "core/ui/UITex.h"
#include "game/Car.h"
#include "game/CarHUD.h"
#include "game/GameAssets.h"
#include "game/LapCounter.h"
#include "game/PositionLabel.h"
#include "game/RaceProgress.h"
#include "game/UiFactory.h"
#include "game/UiLayers.h"

#include <algorithm>
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
UITex* addBar(Scene& scene, const std::string& name, const glm::vec2& position, const glm::vec2& size,
              const glm::vec4& colour, uint32_t layer) {
    UITex* bar = addPictureEntity(scene, name, cachedTexture(scene.systems, "fill", "textures/ui/fill.png"),
                                  {position, size.y, Anchor::BottomLeft}, layer);
    auto* transform = bar->entity->getComponent<Transform2D>();
    transform->setAspectMode(AspectMode::None);
    transform->setSize(size);
    bar->color = colour;
    return bar;
}

} // namespace

Entity* buildHud(Scene& scene, Entity& kart, int hudNumber, const RaceFlow* race, const HudView& view) {
    const std::string prefix = "hud" + std::to_string(hudNumber) + "_";
    // This player's part of the window; the sizes were made for a half.
    const glm::vec4 rect = view.own ? view.rect : glm::vec4(0.0f, hudNumber == 1 ? 0.0f : 0.5f, 1.0f, 0.5f);
    const float scale = view.own ? std::clamp(std::min(rect.w / 0.5f, rect.z / 0.7f), 0.6f, 1.4f) : 1.0f;
    const float left = rect.x + margin * scale;
    const float right = rect.x + rect.z - margin * scale;
    const float top = rect.y;
    const float bottom = top + rect.w;
    const float edge = margin * scale;

    Text* lapText =
        addTextEntity(scene, prefix + "lap", "Lap 0",
                      {{left, top + edge}, lapHeight * scale, Anchor::TopLeft}, textColour, uiLayer::hud);
    Entity* hud = lapText->entity;
    auto* lapCounter = hud->addComponent<LapCounter>();
    lapCounter->raceProps = kart.getComponent<RaceProgress>();
    lapCounter->race = race;
    if (view.own) {
        Text* placeText =
            addTextEntity(scene, prefix + "position", "",
                          {{left, top + edge + lapHeight * scale * 1.1f}, lapHeight * scale, Anchor::TopLeft},
                          textColour, uiLayer::hud);
        auto* place = placeText->entity->addComponent<PositionLabel>();
        place->race = race;
        place->kartIndex = static_cast<size_t>(hudNumber - 1);
    }

    Text* speedText =
        addTextEntity(scene, prefix + "speed", "0 mph",
                      {{right, top + edge}, speedHeight * scale, Anchor::TopRight}, textColour, uiLayer::hud);

    const float barLeft = left + iconHeight * scale * 0.75f;
    const glm::vec2 barPosition(barLeft, bottom - edge - iconHeight * scale * 0.3f);
    const glm::vec2 barSize(CarHUD::barWidth * scale, CarHUD::barHeight * scale);
    addBar(scene, prefix + "boostBack", barPosition, barSize, barBackColour, uiLayer::hudPanel);
    UITex* fill = addBar(scene, prefix + "boostFill", barPosition, barSize, boostColour, uiLayer::hud);

    addPictureEntity(
        scene, prefix + "boostIcon", cachedTexture(scene.systems, "boostText", racePicture::boost),
        {{rect.x + edge * 0.5f, bottom - edge * 0.5f}, iconHeight * scale, Anchor::BottomLeft}, uiLayer::hud);
    addTextEntity(
        scene, prefix + "boostLabel", "BOOST",
        {{barLeft, barPosition.y - barSize.y - 0.008f * scale}, labelHeight * scale, Anchor::BottomLeft},
        boostColour, uiLayer::hud);

    auto* carHud = hud->addComponent<CarHUD>();
    carHud->car = kart.getComponent<Car>();
    carHud->speedText = speedText;
    carHud->boostFill = fill->entity->getComponent<Transform2D>();
    carHud->fullBarWidth = barSize.x;
    carHud->fullBarHeight = barSize.y;
    return hud;
}
