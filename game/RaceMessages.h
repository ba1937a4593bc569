// On-screen messages of the race scene, on the entity "gameplay": short texts
// for one player's half of the window or for the middle of the window, removed
// after their time or, for lasting ones, when the next race starts.
#pragma once

#include "core/runtime/Component.h"

#include <glm/glm.hpp>

#include <string>
#include <vector>

class Entity;

class RaceMessages : public Component {
public:
    RaceMessages(SystemRegistry* systems, Entity* entity);

    // A message for player 0 (upper half) or 1 (lower half), or for a player's
    // view (see playerViews; null for a kart without one), that fades in while it
    // grows to one and a half times its height (0.14 of the window, 0.08 when small).
    // It is destroyed after duration seconds; a duration of 0 keeps it until clear().
    Entity* showMessage(const std::string& text, int player, bool small, const glm::vec3& colour,
                        float duration);

    // A message in the middle of the window, seen by both players, that grows and
    // fades out within its lifetime. An emphasised one is larger and lasts longer
    // (the countdown shows plain numbers and an emphasised "Go!").
    Entity* showCenterMessage(const std::string& text, const glm::vec4& colour, bool emphasised);

    // Destroys every lasting message.
    void clear();

    std::vector<Entity*> persistentMessages;
    // Each player's view (x, y, width, height from the window's top-left) outside
    // the two-player race: messages go above the middle of their view, scaled to it,
    // and none to karts without a view. Empty: the two halves.
    std::vector<glm::vec4> playerViews;

    static constexpr float largeHeight = 0.14f;
    static constexpr float smallHeight = 0.08f;
    static constexpr float fadeInDuration = 0.3f;
    static constexpr float grownScale = 1.5f;
    static constexpr float centerDuration = 1.0f;
    static constexpr float emphasisedDuration = 1.5f;
};
