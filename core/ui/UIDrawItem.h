// One draw of the UI: a textured quad, or a text's quads, and where and in which
// layer. Elements rebuild theirs every frame and the UI system copies and sorts them.
#pragma once

#include <glm/glm.hpp>

#include <cstdint>

class Material;
class Texture;
class VertexBuffer;

struct UIDrawItem {
    Material* material = nullptr;
    Texture* texture = nullptr;
    // Multiplies the texture.
    glm::vec4 color{1.0f};
    // Maps the 1 x 1 quad centred on the origin, or the quads below, to window pixels.
    glm::mat4 model{1.0f};
    // Lower layers are drawn first, so higher layers cover them.
    uint32_t layer = 0;
    // Quads of the item's own, four vertices each, drawn in order in one draw
    // in place of the 1 x 1 quad (a text's glyphs); null for the 1 x 1 quad.
    VertexBuffer* quads = nullptr;
    uint32_t quadCount = 0;
    // The colour of a text's outline (the "text" material's "rimColor").
    glm::vec4 rimColor{0.0f};
};
