// The players' own keys on the pause screen's help picture: the picture shows
// the default keys, so each row whose keys were rebound gets a dark patch over
// the old names and the bound ones written on it. With the default keys it adds
// nothing. Placed for the window's size each time it is shown.
#pragma once

#include "core/runtime/Component.h"
#include "game/PlayerKeys.h"

#include <glm/glm.hpp>

#include <array>
#include <string>
#include <vector>

class Text;
class Texture2D;
class UITex;

class HelpKeys : public Component {
public:
    using Component::Component;

    // Labels for the rows of keys that differ from the defaults, hidden.
    void build(const std::array<PlayerKeys, 2>& keys, Texture2D* fill);
    // Shows or hides the labels, placed over the help picture (centred, 0.9 of
    // the window's height, square).
    void show(bool visible);

    // "RightControl" -> "RIGHT CTRL", as the help picture writes keys.
    static std::string displayName(int key);

    struct Label {
        UITex* patch = nullptr;
        Text* text = nullptr;
        // Left end of the row's key column on the 1024 x 1024 picture, at its baseline.
        glm::vec2 at{0.0f};
        float width = 0.0f;
    };
    std::vector<Label> labels;
};
