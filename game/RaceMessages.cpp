// Player and centre messages.
#include "game/RaceMessages.h"

#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/ui/Animator2D.h"
#include "core/ui/Text.h"
#include "game/UiFactory.h"
#include "game/UiLayers.h"

#include <algorithm>

namespace {

constexpr float durationEpsilon = 0.00001f;
constexpr float centerHeight = 0.2f;
constexpr float emphasisedHeight = 0.24f;

glm::vec2 playerMessagePosition(int player) {
    if (player == 0) {
        return {0.5f, 0.25f};
    }
    if (player == 1) {
        return {0.5f, 0.75f};
    }
    return {0.5f, 0.5f};
}

} // namespace

RaceMessages::RaceMessages(SystemRegistry* systems, Entity* entity) : Component(systems, entity) {}

Entity* RaceMessages::showMessage(const std::string& text, int player, bool small, const glm::vec3& colour,
                                  float duration) {
    Scene& scene = *entity->scene;
    UiPlacement placement{playerMessagePosition(player), small ? smallHeight : largeHeight, Anchor::Center};
    if (!playerViews.empty()) {
        // Only players have views; an AI kart's messages go unseen.
        if (player < 0 || static_cast<size_t>(player) >= playerViews.size()) {
            return nullptr;
        }
        const glm::vec4& view = playerViews[static_cast<size_t>(player)];
        // Above the kart and clear of the middle, where the end screen and results go.
        placement.position = {view.x + 0.5f * view.z, view.y + 0.3f * view.w};
        placement.height *= std::clamp(std::min(view.w / 0.5f, view.z / 0.7f), 0.6f, 1.4f);
    }
    Text* label = addTextEntity(scene, "", text, placement, glm::vec4(colour, 0.0f), uiLayer::playerMessage);
    Entity* message = label->entity;
    auto* animator = message->addComponent<Animator2D>();
    animator->duration = fadeInDuration;
    animator->targetAlpha = 1.0f;
    animator->targetFirstScale = grownScale;
    animator->targetSecondScale = grownScale;
    if (duration > durationEpsilon) {
        scene.destroyEntity(message, duration);
    } else {
        persistentMessages.push_back(message);
    }
    return message;
}

Entity* RaceMessages::showCenterMessage(const std::string& text, const glm::vec4& colour, bool emphasised) {
    Scene& scene = *entity->scene;
    const float lifetime = emphasised ? emphasisedDuration : centerDuration;
    const UiPlacement placement{{0.5f, 0.5f}, emphasised ? emphasisedHeight : centerHeight, Anchor::Center};
    Text* label = addTextEntity(scene, "", text, placement, colour, uiLayer::centreMessage);
    auto* animator = label->entity->addComponent<Animator2D>();
    animator->duration = lifetime;
    animator->targetAlpha = 0.0f;
    animator->targetFirstScale = emphasised ? 2.0f : grownScale;
    animator->targetSecondScale = animator->targetFirstScale;
    scene.destroyEntity(label->entity, lifetime);
    return label->entity;
}

void RaceMessages::clear() {
    for (Entity* message : persistentMessages) {
        entity->scene->destroyEntity(message);
    }
    persistentMessages.clear();
}
