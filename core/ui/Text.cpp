// Text layout: glyph quads along a pen, fitted by one matrix into the
// rectangle, then kept in a vertex buffer of the text's own.
#include "core/ui/Text.h"

#include "core/resources/GLContext.h"
#include "core/resources/Texture2D.h"
#include "core/resources/VertexBuffer.h"
#include "core/ui/Font.h"
#include "core/ui/Transform2D.h"
#include "core/ui/UIMaterials.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <limits>
#include <utility>

namespace {

constexpr size_t floatsPerVertex = 6;

} // namespace

Text::Text(SystemRegistry* systems, Entity* entity, Font* font, std::string text)
    : UIElement(systems, entity), font(font), text(std::move(text)),
      material(ensureUIMaterial(systems, "text")) {
    // Room for a line of a HUD's length (a rim and a face per glyph), so that
    // counters and timers that lengthen during a race lay out without allocating.
    const size_t glyphs = std::max<size_t>(this->text.size(), reservedGlyphs);
    quads.reserve(glyphs * 2);
    vertices.reserve(glyphs * 2 * 4 * floatsPerVertex);
    uploaded.reserve(vertices.capacity());
    // Its buffer too: a text first shown mid-race (a timer, a message) then
    // only writes into it.
    if (hasGLContext()) {
        makeBuffer(nullptr, static_cast<uint32_t>(vertices.capacity() / floatsPerVertex));
    }
}

void Text::makeBuffer(const float* data, uint32_t vertexCount) {
    buffer =
        std::make_unique<VertexBuffer>(std::vector<VertexAttribute>{{"position", VertexAttributeType::Vec3},
                                                                    {"uv0", VertexAttributeType::Vec2},
                                                                    {"rim", VertexAttributeType::Float}},
                                       data, vertexCount, true);
}

Text::~Text() = default;

void Text::prepare(float) {
    if (!changed || !isEnabled() || font == nullptr) {
        return;
    }
    items.clear();
    quads.clear();
    vertices.clear();
    Texture2D* atlas = font->getAtlas();
    if (text.empty() || atlas == nullptr) {
        return;
    }
    const float spaceWidth = static_cast<float>(font->getGlyph('A').width) / 2.0f;
    float length = 0.0f;
    for (const char code : text) {
        length += code == ' ' ? spaceWidth : static_cast<float>(font->getGlyph(code).advance / 64);
    }
    const auto pixelSize = static_cast<float>(font->getPixelSize());
    if (length <= 0.0f || pixelSize <= 0.0f) {
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
    // Rims on the first pass, glyphs on the second.
    for (const bool rims : {true, false}) {
        if (rims && !outlined) {
            continue;
        }
        const float reach = rims ? font->outlineReach() : 0.0f;
        float pen = 0.0f;
        for (const char code : text) {
            if (code == ' ') {
                pen += spaceWidth;
                continue;
            }
            const Glyph glyph = font->getGlyph(code);
            if (glyph.width > 0 && glyph.height > 0) {
                const glm::vec2 size(static_cast<float>(glyph.width), static_cast<float>(glyph.height));
                const glm::vec2 low(pen + static_cast<float>(glyph.bearingX),
                                    static_cast<float>(glyph.bearingY) - size.y);
                // Atlas rows run top to bottom: the quad's top edge takes uvLow.y.
                const glm::vec2 uvPerPixel = (glyph.uvHigh - glyph.uvLow) / size;
                addQuad(placed, low - reach, low + size + reach, glyph.uvLow - reach * uvPerPixel,
                        glyph.uvHigh + reach * uvPerPixel, rims);
            }
            pen += static_cast<float>(glyph.advance / 64);
        }
    }
    upload();
    if (buffer == nullptr || quads.empty()) {
        return;
    }
    UIDrawItem item;
    item.material = material;
    item.texture = atlas;
    item.color = color;
    item.rimColor = glm::vec4(glm::vec3(outlineColor), outlineColor.a * color.a);
    item.layer = layer;
    item.quads = buffer.get();
    item.quadCount = std::min(static_cast<uint32_t>(quads.size()), maxQuads);
    items.push_back(item);
}

void Text::addQuad(const glm::mat4& placed, glm::vec2 low, glm::vec2 high, glm::vec2 uvLow, glm::vec2 uvHigh,
                   bool rim) {
    Quad quad;
    quad.low = glm::vec2(std::numeric_limits<float>::max());
    quad.high = glm::vec2(std::numeric_limits<float>::lowest());
    quad.rim = rim;
    // Bottom-left, bottom-right, top-right, top-left: the order the UI's
    // quad indices draw.
    const glm::vec2 corners[4] = {{low.x, low.y}, {high.x, low.y}, {high.x, high.y}, {low.x, high.y}};
    const glm::vec2 uvs[4] = {
        {uvLow.x, uvHigh.y}, {uvHigh.x, uvHigh.y}, {uvHigh.x, uvLow.y}, {uvLow.x, uvLow.y}};
    for (int corner = 0; corner < 4; ++corner) {
        const glm::vec4 at = placed * glm::vec4(corners[corner], 0.0f, 1.0f);
        quad.low = glm::min(quad.low, glm::vec2(at));
        quad.high = glm::max(quad.high, glm::vec2(at));
        vertices.insert(vertices.end(), {at.x, at.y, 0.0f, uvs[corner].x, uvs[corner].y, rim ? 1.0f : 0.0f});
    }
    quads.push_back(quad);
}

void Text::upload() {
    // Texts are laid out again every frame, but their quads rarely move: the
    // buffer is only written when they did.
    if (vertices == uploaded && buffer != nullptr) {
        return;
    }
    if (!hasGLContext() || vertices.empty()) {
        return;
    }
    const auto count = static_cast<uint32_t>(vertices.size() / floatsPerVertex);
    if (buffer == nullptr) {
        makeBuffer(vertices.data(), count);
    } else {
        buffer->update(vertices.data(), count);
    }
    uploaded = vertices;
}
