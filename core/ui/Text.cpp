// Text layout: glyph quads along a pen, then one matrix that fits the string.
#include "core/ui/Text.h"

#include "core/resources/Texture2D.h"
#include "core/ui/Font.h"
#include "core/ui/Transform2D.h"
#include "core/ui/UIMaterials.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <iterator>
#include <utility>

Text::Text(SystemRegistry* systems, Entity* entity, Font* font, std::string text)
    : UIElement(systems, entity), font(font), text(std::move(text)) {
    ensureUIMaterial(systems, "text");
}

void Text::prepare(float) {
    if (!changed || !isEnabled() || font == nullptr) {
        return;
    }
    items.clear();
    if (text.empty()) {
        return;
    }
    Material* material = ensureUIMaterial(systems, "text");
    const float spaceWidth = static_cast<float>(font->getGlyph('A').width) / 2.0f;
    float pen = 0.0f;
    for (const char code : text) {
        if (code == ' ') {
            pen += spaceWidth;
            continue;
        }
        const Glyph glyph = font->getGlyph(code);
        // A font without this glyph and without "a" (one that failed to load)
        // has nothing to show: the character is skipped.
        if (glyph.texture != nullptr) {
            const auto width = static_cast<float>(glyph.width);
            const auto height = static_cast<float>(glyph.height);
            const glm::vec3 centre(pen + static_cast<float>(glyph.bearingX) + width / 2.0f,
                                   static_cast<float>(glyph.bearingY) - height + height / 2.0f, 0.0f);
            UIDrawItem item;
            item.material = material;
            item.texture = glyph.texture;
            item.color = color;
            item.layer = layer;
            // The negative height turns FreeType's top-down rows upright.
            item.model = glm::scale(glm::translate(glm::mat4(1.0f), centre), glm::vec3(width, -height, 1.0f));
            items.push_back(item);
        }
        pen += static_cast<float>(glyph.advance / 64);
    }
    const float length = pen;
    const auto pixelSize = static_cast<float>(font->getPixelSize());
    if (length <= 0.0f || pixelSize <= 0.0f) {
        items.clear();
        return;
    }
    // Maps the laid-out string (baseline y = 0, cap height about the pixel size)
    // onto the 1 x 1 square centred on the origin, baseline on its bottom edge.
    const glm::mat4 normalise = glm::scale(glm::translate(glm::mat4(1.0f), glm::vec3(-0.5f, -0.5f, 0.0f)),
                                           glm::vec3(1.0f / length, 1.0f / pixelSize, 1.0f));
    if (Transform2D* transform = getTransform()) {
        transform->setAspect(length / pixelSize);
    }
    const glm::mat4 placed = transformMatrix() * normalise;
    for (UIDrawItem& item : items) {
        item.model = placed * item.model;
    }
    if (outlined) {
        addOutline(glm::length(glm::vec3(placed[1])) * pixelSize);
    }
}

void Text::addOutline(float heightPixels) {
    // The rim is the glyph shifted a little in eight directions and drawn dark,
    // every rim before the glyphs themselves so that no rim covers a
    // neighbouring letter. One quad per glyph, grown to take in the shifts, has
    // the shader sum the eight: a draw per glyph instead of eight, and a draw
    // is what a small quad costs most on a software rasteriser.
    const float shift = std::max(1.0f, outlineWidth * heightPixels);
    const float reach = 1.4f * shift;
    const size_t glyphs = items.size();
    items.reserve(glyphs * 2);
    for (size_t i = 0; i < glyphs; ++i) {
        UIDrawItem rim = items[i];
        const glm::vec2 size(glm::length(glm::vec3(rim.model[0])), glm::length(glm::vec3(rim.model[1])));
        if (size.x <= 0.0f || size.y <= 0.0f) {
            continue;
        }
        rim.rim = glm::vec4(reach / size, shift / size);
        rim.model =
            rim.model * glm::scale(glm::mat4(1.0f), glm::vec3(1.0f + 2.0f * glm::vec2(rim.rim), 1.0f));
        rim.color = glm::vec4(glm::vec3(outlineColor), outlineColor.a * color.a);
        items.push_back(rim);
    }
    // Rims first, glyphs last.
    std::rotate(items.begin(), items.begin() + static_cast<std::ptrdiff_t>(glyphs), items.end());
}
