// One textured quad of the UI: what to draw, where, and in which layer. Elements
// rebuild theirs every frame and the UI system copies and sorts them.
#pragma once

#include <glm/glm.hpp>

#include <cstdint>

class Material;
class Texture;

struct UIDrawItem {
    Material* material = nullptr;
    Texture* texture = nullptr;
    // Multiplies the texture.
    glm::vec4 color{1.0f};
    // Maps the 1 x 1 quad centred on the origin to window pixels.
    glm::mat4 model{1.0f};
    // Lower layers are drawn first, so higher layers cover them.
    uint32_t layer = 0;
    // Non-zero for the rim of an outlined glyph (the "text" material's "rim"):
    // xy how far the quad reaches past the glyph on each side, zw how far the
    // rim is shifted, both as shares of the glyph's width and height.
    glm::vec4 rim{0.0f};
};
