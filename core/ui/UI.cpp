// UI gathering and drawing.
#include "core/ui/UI.h"

#include "core/render/Graphics.h"
#include "core/resources/IndexBuffer.h"
#include "core/resources/Material.h"
#include "core/resources/Mesh.h"
#include "core/resources/Primitives.h"
#include "core/resources/Shader.h"
#include "core/resources/ShaderProgram.h"
#include "core/resources/Texture.h"
#include "core/runtime/Engine.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/ui/Text.h"
#include "core/ui/UIElement.h"
#include "core/ui/UIMaterials.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>

UI::UI(SystemRegistry* systems) : System(systems), engine(get<Engine>()), graphics(get<Graphics>()) {
    ensureUIMaterial(systems, "ui");
    quad = std::make_unique<Mesh>(systems);
    primitives::quad(*quad, 1.0f, 1.0f);
    quad->finalize();
    if (graphics != nullptr && graphics->hasWindow()) {
        std::vector<uint16_t> indices;
        indices.reserve(Text::maxQuads * 6);
        for (uint32_t first = 0; first < Text::maxQuads * 4; first += 4) {
            for (const uint32_t corner : {0u, 1u, 2u, 0u, 2u, 3u}) {
                indices.push_back(static_cast<uint16_t>(first + corner));
            }
        }
        quadIndices = std::make_unique<IndexBuffer>(indices.data(), static_cast<uint32_t>(indices.size()));
    }
}

UI::~UI() = default;

void UI::readyFor(Scene& scene) {
    size_t sceneElements = 0;
    for (Component* component : scene.getComponents()) {
        sceneElements += dynamic_cast<UIElement*>(component) != nullptr ? 1 : 0;
    }
    makeRoom(sceneElements);
}

void UI::makeRoom(size_t sceneElements) {
    // Two items each, and half as much again for elements that come and go
    // (a countdown's digits): a HUD that shows more of itself later in a race
    // then allocates nothing.
    const size_t room = sceneElements * 2;
    if (items.capacity() < room) {
        elementScratch.reserve(room);
        items.reserve(room * 3 / 2);
        order.reserve(room * 3 / 2);
        sorted.reserve(room * 3 / 2);
    }
}

void UI::update(Scene& scene, float dt) {
    items.clear();
    std::vector<UIElement*>& elements = elementScratch;
    elements.clear();
    size_t sceneElements = 0;
    for (Component* component : scene.getComponents()) {
        auto* element = dynamic_cast<UIElement*>(component);
        sceneElements += element != nullptr ? 1 : 0;
        if (element != nullptr && element->isEnabled() && element->entity != nullptr &&
            element->entity->active) {
            elements.push_back(element);
        }
    }
    makeRoom(sceneElements);
    for (UIElement* element : elements) {
        element->prepare(dt);
        const std::vector<UIDrawItem>& own = element->getItems();
        items.insert(items.end(), own.begin(), own.end());
    }
    // Equal layers keep the scene's order (its creation order) from frame to
    // frame: the index breaks ties, as stable as std::stable_sort without the
    // buffer it allocates every frame.
    order.resize(items.size());
    for (size_t i = 0; i < order.size(); ++i) {
        order[i] = static_cast<uint32_t>(i);
    }
    std::sort(order.begin(), order.end(), [this](uint32_t a, uint32_t b) {
        return items[a].layer != items[b].layer ? items[a].layer < items[b].layer : a < b;
    });
    sorted.clear();
    for (uint32_t index : order) {
        sorted.push_back(items[index]);
    }
    items.swap(sorted);
}

void UI::draw() {
    if (!enabled || graphics == nullptr || !graphics->hasWindow() || quad->getIndexBuffer() == nullptr ||
        items.empty()) {
        return;
    }
    const int width = graphics->width;
    const int height = graphics->height;
    graphics->setViewport(0, 0, width, height);
    const glm::mat4 projection =
        glm::ortho(0.0f, static_cast<float>(width), 0.0f, static_cast<float>(height), -1.0f, 1.0f);
    // The brightness setting is for the 3D views: scaling the HUD with it washes
    // its white text out against a brightened sky.
    const float brightness = 1.0f;
    // Fonts may have made their atlases since the renderer last bound any texture.
    graphics->forgetTextures();
    static const UniformId worldViewProjection("worldViewProjection");
    static const UniformId color("color");
    static const UniformId rimColor("rimColor");
    Material* current = nullptr;
    bool usable = false;
    // Items of one colour in a row send it once.
    const glm::vec4* lastColor = nullptr;
    const glm::vec4* lastRim = nullptr;
    for (const UIDrawItem& item : items) {
        if (item.material != current) {
            current = item.material;
            usable = applyMaterial(current, brightness);
            lastColor = nullptr;
            lastRim = nullptr;
        }
        // A texture is needed for every item; an item without one is skipped.
        if (!usable || item.texture == nullptr) {
            continue;
        }
        graphics->setUniform(worldViewProjection, projection * item.model);
        if (lastColor == nullptr || item.color != *lastColor) {
            graphics->setUniform(color, item.color);
            lastColor = &item.color;
        }
        if (lastRim == nullptr || item.rimColor != *lastRim) {
            graphics->setUniform(rimColor, item.rimColor);
            lastRim = &item.rimColor;
        }
        // Through the cache: the texts of one font share its atlas.
        graphics->bindTexture(0, item.texture);
        if (item.quads != nullptr) {
            if (quadIndices == nullptr) {
                continue;
            }
            VertexStreams streams;
            streams.push_back(item.quads);
            graphics->bindBuffers(streams, quadIndices.get());
            graphics->drawIndexed(std::min(item.quadCount, Text::maxQuads) * 6);
        } else {
            graphics->bindBuffers(quad->getVertexBuffers(), quad->getIndexBuffer());
            graphics->drawIndexed(quad->getIndexBuffer()->count);
        }
    }
}

bool UI::applyMaterial(Material* material, float brightness) {
    Shader* shader = material != nullptr ? material->getShader() : nullptr;
    ShaderProgram* program = shader != nullptr ? shader->getProgram(std::string()) : nullptr;
    // A shader that failed to build was reported when it was compiled; its items are skipped.
    if (program == nullptr || !program->isLinked()) {
        return false;
    }
    material->applyRenderState(*graphics, false);
    graphics->useProgram(program);
    // The same for every item: sent once per material rather than per item.
    // Names interned once: building them per item allocated every frame.
    static const UniformId tex("tex");
    static const UniformId brightnessName("brightness");
    graphics->setUniform(tex, 0);
    graphics->setUniform(brightnessName, brightness);
    return true;
}
