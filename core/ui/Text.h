// A line of text: one textured quad per character, laid out with a Font and
// fitted as a whole into the rectangle of the entity's Transform2D. The
// transform's aspect becomes the string's width / height, so aspect mode
// HeightFollowsWidth keeps the glyphs' proportions.
#pragma once

#include "core/ui/UIElement.h"

#include <string>

class Font;

class Text : public UIElement {
public:
    Text(SystemRegistry* systems, Entity* entity, Font* font = nullptr, std::string text = "");

    void prepare(float dt) override;

    Font* font = nullptr;
    std::string text;
};
