// A line of text, fitted as a whole into the rectangle of the entity's
// Transform2D: its glyphs laid out with a Font and drawn from the font's atlas
// as one mesh in one draw. The transform's aspect becomes the string's width /
// height, so aspect mode HeightFollowsWidth keeps the glyphs' proportions. An
// outlined text has a thin dark rim under its glyphs, so that it reads on bright
// sky and dark road.
#pragma once

#include "core/ui/UIElement.h"

#include <glm/glm.hpp>

#include <memory>
#include <string>
#include <vector>

class Font;
class Material;
class VertexBuffer;

class Text : public UIElement {
public:
    Text(SystemRegistry* systems, Entity* entity, Font* font = nullptr, std::string text = "");
    ~Text() override;

    void prepare(float dt) override;

    // One glyph's quad as drawn, in window pixels from the bottom-left corner.
    struct Quad {
        glm::vec2 low{0.0f};
        glm::vec2 high{0.0f};
        bool rim = false;
    };
    // The rims of an outlined text first, so that no rim covers a neighbouring
    // letter, then the glyphs; as the last prepare laid them out.
    const std::vector<Quad>& getQuads() const { return quads; }

    // At most this many quads (rims and glyphs) are drawn.
    static constexpr uint32_t maxQuads = 4096;
    // Glyphs a text has room for from the start.
    static constexpr size_t reservedGlyphs = 24;

    Font* font = nullptr;
    std::string text;
    bool outlined = false;
    // Its reach and opacity are the font's (Font::outlineShare, outlineOpacity);
    // the alpha here scales the latter.
    glm::vec4 outlineColor{0.0f, 0.0f, 0.0f, 1.0f};

private:
    void addQuad(const glm::mat4& placed, glm::vec2 low, glm::vec2 high, glm::vec2 uvLow, glm::vec2 uvHigh,
                 bool rim);
    void upload();
    void makeBuffer(const float* data, uint32_t vertexCount);

    // Found once: texts are laid out every frame.
    Material* material = nullptr;
    std::vector<Quad> quads;
    // Four per quad: position, atlas coordinates and whether it is a rim.
    std::vector<float> vertices;
    std::vector<float> uploaded;
    std::unique_ptr<VertexBuffer> buffer;
};
