// The title scene, in build order.
#include "game/MenuScene.h"

#include "core/audio/AudioListener.h"
#include "core/audio/AudioSource.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SystemRegistry.h"
#include "core/ui/Text.h"
#include "core/ui/Transform2D.h"
#include "core/ui/UITex.h"
#include "game/GameAssets.h"
#include "game/TitleScreen.h"
#include "game/UiFactory.h"
#include "game/UiLayers.h"

namespace {

const glm::vec4 loadingColour{1.0f, 1.0f, 1.0f, 1.0f};
constexpr float loadingHeight = 0.06f;
} // namespace

void buildMenuScene(Scene& scene, const std::string& configPath, const ControlsConfig& controls) {
    SystemRegistry* systems = scene.systems;

    Entity* title = scene.createEntity("");
    title->addComponent<Transform2D>()->setFullScreen();
    auto* picture = title->addComponent<UITex>(cachedTexture(systems, "menu", titlePicturePath));
    picture->layer = uiLayer::background;

    // Its sound is read after the first frame (TitleScreen::load): six megabytes
    // of wave the first picture need not wait for.
    Entity* music = scene.createEntity("bg");
    auto* source = music->addComponent<AudioSource>();
    source->loop = true;
    source->volume = 0.5f;

    Text* loadingText =
        addTextEntity(scene, "loadingText", "Loading...", {{0.5f, 0.92f}, loadingHeight, Anchor::Center},
                      loadingColour, uiLayer::hud);

    auto* menu = scene.createEntity("")->addComponent<TitleScreen>(loadingText);
    menu->music = source;
    menu->titlePicture = picture;
    menu->controls = controls;
    menu->brightnessText = addTextEntity(scene, "brightnessText", "", {{0.5f, 0.04f}, 0.035f, Anchor::Bottom},
                                         loadingColour, uiLayer::hud);
    menu->createMenu(configPath);
    scene.createEntity("")->addComponent<AudioListener>();
}
