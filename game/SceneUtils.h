// Short on-screen messages of the race scene, for one player's half of the
// window, removed after their time or, when they have none, by clear().
#pragma once

#include "core/runtime/Component.h"

#include <glm/glm.hpp>

#include <string>
#include <vector>

class Entity;

class SceneUtils : public Component {
public:
    using Component::Component;

    // Fades the text in while it grows. Player 0 gets the upper half, player 1
    // the lower. A duration of 0 keeps the message until clear(). Returns the
    // message's entity.
    Entity* showMessage(const std::string& text, int player, bool small, const glm::vec3& colour, float duration);

    // Destroys every message shown without a duration.
    void clear();

    std::vector<Entity*> persistentMessages;
};
