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
#include "core/ui/UIElement.h"
#include "core/ui/UIMaterials.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>

UI::UI(SystemRegistry* systems) : System(systems), engine(get<Engine>()), graphics(get<Graphics>()) {
    ensureUIMaterial(systems, "ui");
    quad = std::make_unique<Mesh>(systems);
    primitives::quad(*quad, 1.0f, 1.0f);
    quad->finalize();
}

UI::~UI() = default;

void UI::update(Scene& scene, float dt) {
    items.clear();
    std::vector<UIElement*> elements;
    for (Component* component : scene.getComponents()) {
        auto* element = dynamic_cast<UIElement*>(component);
        if (element != nullptr && element->isEnabled() && element->entity != nullptr &&
            element->entity->active) {
            elements.push_back(element);
        }
    }
    for (UIElement* element : elements) {
        element->prepare(dt);
        const std::vector<UIDrawItem>& own = element->getItems();
        items.insert(items.end(), own.begin(), own.end());
    }
    // Stable, so equal layers keep the scene's order (its creation order) from frame to frame.
    std::stable_sort(items.begin(), items.end(),
                     [](const UIDrawItem& a, const UIDrawItem& b) { return a.layer < b.layer; });
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
    graphics->bindBuffers(quad->getVertexBuffers(), quad->getIndexBuffer());
    Material* current = nullptr;
    bool usable = false;
    for (const UIDrawItem& item : items) {
        if (item.material != current) {
            current = item.material;
            usable = applyMaterial(current);
        }
        // A texture is needed for every item; an item without one is skipped.
        if (usable && item.texture != nullptr) {
            drawItem(item, projection, brightness);
        }
    }
}

bool UI::applyMaterial(Material* material) {
    Shader* shader = material != nullptr ? material->getShader() : nullptr;
    ShaderProgram* program = shader != nullptr ? shader->getProgram(std::string()) : nullptr;
    // A shader that failed to build was reported when it was compiled; its items are skipped.
    if (program == nullptr || !program->isLinked()) {
        return false;
    }
    material->applyRenderState(*graphics, false);
    graphics->useProgram(program);
    return true;
}

void UI::drawItem(const UIDrawItem& item, const glm::mat4& projection, float brightness) {
    // Interned once: building the names per item allocated every frame.
    static const UniformId worldViewProjection("worldViewProjection");
    static const UniformId color("color");
    static const UniformId tex("tex");
    static const UniformId brightnessName("brightness");
    graphics->setUniform(worldViewProjection, projection * item.model);
    graphics->setUniform(color, item.color);
    graphics->setUniform(tex, 0);
    graphics->setUniform(brightnessName, brightness);
    item.texture->bind(0);
    graphics->drawIndexed(quad->getIndexBuffer()->count);
}
