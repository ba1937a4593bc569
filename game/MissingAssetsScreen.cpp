// The message screen for a missing assets folder.
#include "game/MissingAssetsScreen.h"

#include "core/resources/ResourceCache.h"
#include "core/resources/Texture2D.h"
#include "core/runtime/Engine.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Input.h"
#include "core/runtime/Keys.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SystemRegistry.h"
#include "core/ui/Transform2D.h"
#include "core/ui/UITex.h"
#include "game/UiFactory.h"
#include "game/UiLayers.h"

#include <algorithm>

namespace {

const glm::vec4 messageColour{1.0f, 0.85f, 0.3f, 1.0f};
const glm::vec4 hintColour{1.0f, 1.0f, 1.0f, 1.0f};
const glm::vec4 backdropColour{0.08f, 0.1f, 0.14f, 1.0f};

} // namespace

void MissingAssetsScreen::update(float dt) {
    Updateable::update(dt);
    Input* input = systems->get<Input>();
    if (input != nullptr &&
        (input->getKey(key::q) == KeyState::Pressed || input->getKey(key::escape) == KeyState::Pressed)) {
        systems->get<Engine>()->quit = true;
    }
}

void MissingAssetsScreen::build(Scene& scene, const std::string& folder) {
    // Nothing else draws here (no camera), so the screen gets a plain backdrop.
    Entity* backdrop = scene.createEntity("missingAssetsBackdrop");
    backdrop->addComponent<Transform2D>()->setFullScreen();
    ResourceCache* cache = scene.systems->get<ResourceCache>();
    auto* cover = backdrop->addComponent<UITex>(cache != nullptr ? cache->get<Texture2D>("white") : nullptr);
    cover->color = backdropColour;
    cover->layer = uiLayer::background;

    addTextEntity(scene, "missingAssets", "Assets folder not found:", {{0.5f, 0.38f}, 0.06f, Anchor::Center},
                  messageColour, uiLayer::screen);
    // Long paths shrink to stay on a 16:10 screen (a character is about 0.6 of its height wide).
    const float pathHeight = std::min(0.045f, 2.2f / static_cast<float>(std::max<size_t>(folder.size(), 1)));
    addTextEntity(scene, "missingAssetsPath", folder, {{0.5f, 0.48f}, pathHeight, Anchor::Center},
                  messageColour, uiLayer::screen);
    addTextEntity(scene, "missingAssetsHint", "Check assets= in config.ini. Press Q to quit.",
                  {{0.5f, 0.6f}, 0.04f, Anchor::Center}, hintColour, uiLayer::screen);
    scene.createEntity("missingAssetsScreen")->addComponent<MissingAssetsScreen>();
}
