// A textured rectangle of the UI: one quad showing a 2D texture tinted by the
// element's colour. Its transform's aspect follows the texture's proportions.
#pragma once

#include "core/ui/UIElement.h"

class Texture2D;

class UITex : public UIElement {
public:
    UITex(SystemRegistry* systems, Entity* entity, Texture2D* texture = nullptr);

    void prepare(float dt) override;

    // Without a texture the element draws nothing.
    Texture2D* texture = nullptr;
};
