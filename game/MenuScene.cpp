// The title scene, in build order.
#include "game/MenuScene.h"

#include "core/audio/AudioListener.h"
#include "core/audio/AudioSource.h"
#include "core/platform/Log.h"
#include "core/resources/ResourceLoader.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SystemRegistry.h"
#include "core/ui/Text.h"
#include "core/ui/Transform2D.h"
#include "core/ui/UITex.h"
#include "game/GameAssets.h"
#include "game/RaceSettings.h"
#include "game/TitleScreen.h"
#include "game/UiFactory.h"
#include "game/UiLayers.h"

#include <algorithm>

namespace {

const glm::vec4 loadingColour{1.0f, 1.0f, 1.0f, 1.0f};
constexpr float loadingHeight = 0.06f;
const glm::vec4 trackColour{1.0f, 0.85f, 0.2f, 1.0f};

// The track row: the chosen track's preview on the grass right of the karts and
// its name under them, shown only when there is a choice.
void addTrackChoice(Scene& scene, TitleScreen& menu) {
    const auto* loader = scene.systems->get<ResourceLoader>();
    menu.catalog = TrackCatalog::scan(loader != nullptr ? loader->baseDir : "./");
    const std::string saved = RaceSettings::readTrack(menu.configPath);
    if (!saved.empty()) {
        const auto& tracks = menu.catalog.tracks();
        if (std::any_of(tracks.begin(), tracks.end(),
                        [&saved](const TrackInfo& t) { return t.file == saved; })) {
            menu.chooseTrack(saved);
        } else {
            logWarning(menu.configPath, ": no track \"", saved, "\"; racing on ", menu.trackFile());
        }
    }
    if (menu.catalog.tracks().size() < 2) {
        return;
    }
    menu.trackPreview = addPictureEntity(scene, "trackPreview", nullptr,
                                         {{0.985f, 0.86f}, 0.3f, Anchor::BottomRight}, uiLayer::hud);
    menu.trackText = addTextEntity(scene, "trackName", "", {{0.5f, 0.845f}, 0.05f, Anchor::Center},
                                   trackColour, uiLayer::hud);
    menu.showTrack();
}

} // namespace

void buildMenuScene(Scene& scene, const std::string& configPath, const ControlsConfig& controls) {
    SystemRegistry* systems = scene.systems;

    Entity* title = scene.createEntity("");
    title->addComponent<Transform2D>()->setFullScreen();
    title->addComponent<UITex>(cachedTexture(systems, "menu", titlePicturePath))->layer = uiLayer::background;

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
    menu->configPath = configPath;
    menu->music = source;
    menu->controls = controls;
    menu->brightnessText = addTextEntity(scene, "brightnessText", "", {{0.5f, 0.04f}, 0.035f, Anchor::Bottom},
                                         loadingColour, uiLayer::hud);
    addTrackChoice(scene, *menu);
    scene.createEntity("")->addComponent<AudioListener>();
}
