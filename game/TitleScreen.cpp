// Title screen flow, setup menu and attract mode.
#include "game/TitleScreen.h"

#include "core/audio/AudioSource.h"
#include "core/platform/Log.h"
#include "core/render/Renderer.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/ResourceLoader.h"
#include "core/resources/Texture2D.h"
#include "core/runtime/Engine.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Input.h"
#include "core/runtime/Keys.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/runtime/SystemRegistry.h"
#include "core/ui/Text.h"
#include "core/ui/Transform2D.h"
#include "core/ui/UITex.h"
#include "game/AttractMode.h"
#include "game/GameAssets.h"
#include "game/GameConfig.h"
#include "game/LapRecords.h"
#include "game/MenuScene.h"
#include "game/RaceFlow.h"
#include "game/RaceKeys.h"
#include "game/RaceScene.h"
#include "game/RaceSettings.h"
#include "game/UiFactory.h"
#include "game/UiLayers.h"

#include <algorithm>

namespace {

constexpr float rowHeight = 0.04f;
constexpr float firstRowY = 0.64f;
constexpr float rowSpacing = 0.05f;
const glm::vec4 rowColour{1.0f, 1.0f, 1.0f, 1.0f};
const glm::vec4 selectedColour{0.9f, 1.0f, 0.0f, 1.0f};
const glm::vec4 trackColour{1.0f, 0.85f, 0.2f, 1.0f};
const glm::vec4 panelColour{0.05f, 0.06f, 0.12f, 0.7f};
const glm::vec2 panelSize{0.42f, rowSpacing*(TitleScreen::trackRow + 1.2f)};

bool pressed(Input& input, int key, int button) {
    return input.getKey(key) == KeyState::Pressed || input.anyGamepadButtonPressed(button);
}

} // namespace

TitleScreen::TitleScreen(SystemRegistry* systems, Entity* entity, Text* loadingText)
    : Updateable(systems, entity), loadingText(loadingText) {}

void TitleScreen::createMenu(const std::string& path) {
    configPath = path;
    recordsPath = LapRecords::defaultPath();
    const auto* loader = systems->get<ResourceLoader>();
    catalog = TrackCatalog::scan(loader != nullptr ? loader->baseDir : "./");
    setup = readRaceSetup(configPath, defaultRaceSetup(readGameConfig(systems).numLaps));
    const auto& tracks = catalog.tracks();
    const std::string defaultTrack = RaceSetup().track;
    if (setup.track != defaultTrack && std::none_of(tracks.begin(), tracks.end(), [this](const TrackInfo& t) {
            return t.file == setup.track;
        })) {
        logWarning(configPath, ": no track \"", setup.track, "\"; racing on ", defaultTrack);
        setup.track = defaultTrack;
    }
    savedSetup = setup;
    Scene& scene = *entity->scene;
    // A dark panel keeps the rows readable over the title picture.
    UITex* panel = addPictureEntity(
        scene, "setupPanel", cachedTexture(systems, "fill", "textures/ui/fill.png"),
        {{0.5f, firstRowY - rowSpacing * 0.6f}, panelSize.y, Anchor::Top}, uiLayer::hudPanel);
    auto* panelPlace = panel->entity->getComponent<Transform2D>();
    panelPlace->setAspectMode(AspectMode::None);
    panelPlace->setSize(panelSize);
    panel->color = panelColour;
    for (int row = 0; row < trackRow; ++row) {
        rows[static_cast<size_t>(row)] = addTextEntity(
            scene, "setupRow" + std::to_string(row), "",
            {{0.5f, firstRowY + rowSpacing * static_cast<float>(row)}, rowHeight, Anchor::Center}, rowColour,
            uiLayer::hud);
    }
    // The track's name under the rows, its best lap under that and its preview on
    // the grass right of the karts; the name is a row of its own when there is a choice.
    trackText = addTextEntity(scene, "trackName", "", {{0.5f, 0.845f}, 0.05f, Anchor::Center}, trackColour,
                              uiLayer::hud);
    trackBestText = addTextEntity(scene, "trackBest", "", {{0.5f, 0.89f}, rowHeight * 0.8f, Anchor::Center},
                                  rowColour, uiLayer::hud);
    trackPreview = addPictureEntity(scene, "trackPreview", nullptr,
                                    {{0.985f, 0.86f}, 0.3f, Anchor::BottomRight}, uiLayer::hud);
    // With a choice of tracks the track row is where the title starts, as the
    // arrows chose the track before the other rows existed.
    selectedRow = tracks.size() > 1 ? trackRow : playersRow;
    showMenu();
}

int TitleScreen::selectableRows() const {
    return catalog.tracks().size() > 1 ? rowCount : trackRow;
}

void TitleScreen::showMenu() {
    const std::array<std::string, trackRow> texts{
        "Players  " + std::to_string(setup.players), "AI karts  " + std::to_string(setup.ai),
        "Laps  " + std::to_string(setup.laps), std::string("AI skill  ") + skillName(setup.skill)};
    for (int row = 0; row < trackRow; ++row) {
        Text* text = rows[static_cast<size_t>(row)];
        if (text == nullptr) {
            continue;
        }
        const bool selected = row == selectedRow;
        text->text =
            selected ? "< " + texts[static_cast<size_t>(row)] + " >" : texts[static_cast<size_t>(row)];
        text->color = selected ? selectedColour : rowColour;
        text->changed = true;
    }
    const TrackInfo track = catalog.find(setup.track);
    if (trackText != nullptr) {
        trackText->text =
            selectableRows() > trackRow && selectedRow == trackRow ? "< " + track.name + " >" : track.name;
        trackText->changed = true;
    }
    if (trackBestText != nullptr) {
        const float best = LapRecords(recordsPath).best(setup.track);
        trackBestText->text = best > 0.0f ? "Best lap  " + formatRaceTime(best) : "";
        trackBestText->changed = true;
    }
    if (trackPreview != nullptr) {
        Texture2D* preview =
            track.preview.empty() ? nullptr : unloadedTexture(systems, "preview:" + track.file);
        if (preview != trackPreview->texture) {
            // Only the chosen track's preview stays in memory.
            showOccasionalPicture(*trackPreview, "", false);
            trackPreview->texture = preview;
            showOccasionalPicture(*trackPreview, track.preview, true);
        }
        trackPreview->setEnabled(preview != nullptr);
    }
}

void TitleScreen::change(int row, int by) {
    switch (row) {
    case playersRow:
        // The menu offers one to four; none is for the attract mode and config.ini.
        setup.players = std::clamp(setup.players + by, std::min(setup.players, 1), RaceSetup::maxPlayers);
        setup.ai = std::min(setup.ai, RaceSetup::maxKarts - setup.players);
        break;
    case aiRow:
        setup.ai = std::clamp(setup.ai + by, setup.players == 0 ? 1 : 0,
                              std::min(RaceSetup::maxAi, RaceSetup::maxKarts - setup.players));
        break;
    case lapsRow:
        setup.laps = static_cast<unsigned>(
            std::clamp(static_cast<int>(setup.laps) + by, 1, static_cast<int>(RaceSetup::maxLaps)));
        break;
    case skillRow:
        setup.skill = static_cast<AiSkill>(std::clamp(static_cast<int>(setup.skill) + by, 0, 2));
        break;
    case trackRow:
        changeTrack(by);
        break;
    default:
        break;
    }
}

void TitleScreen::handleMenuKeys() {
    auto* input = systems->get<Input>();
    const bool up = pressed(*input, key::up, pad::dpadUp);
    const bool down = pressed(*input, key::down, pad::dpadDown);
    const bool left = pressed(*input, key::left, pad::dpadLeft);
    const bool right = pressed(*input, key::right, pad::dpadRight);
    if (!(up || down || left || right)) {
        return;
    }
    const int count = selectableRows();
    if (up || down) {
        selectedRow = (selectedRow + (down ? 1 : count - 1)) % count;
    }
    if (left || right) {
        change(selectedRow, right ? 1 : -1);
    }
    showMenu();
}

void TitleScreen::handleBrightnessKeys() const {
    auto* input = systems->get<Input>();
    auto* renderer = systems->get<Renderer>();
    if (input == nullptr || renderer == nullptr) {
        return;
    }
    if (input->getKey(key::comma) == KeyState::Pressed) {
        renderer->brightness -= RaceKeys::brightnessStep;
    }
    if (input->getKey(key::period) == KeyState::Pressed) {
        renderer->brightness += RaceKeys::brightnessStep;
    }
}

void TitleScreen::showBrightness() {
    const auto* renderer = systems->get<Renderer>();
    if (renderer == nullptr || brightnessText == nullptr || renderer->brightness == shownBrightness) {
        return;
    }
    const bool first = shownBrightness < 0.0f;
    shownBrightness = renderer->brightness;
    if (first) {
        return;
    }
    brightnessText->text = RaceKeys::brightnessLabel(shownBrightness);
    brightnessText->changed = true;
    const unsigned showing = ++brightnessShowing;
    invoke(
        [this, showing] {
            if (showing == brightnessShowing) {
                brightnessText->text.clear();
                brightnessText->changed = true;
            }
        },
        RaceKeys::statusDuration);
}

void TitleScreen::onSceneActive(bool active) {
    if (titlePicture != nullptr) {
        showOccasionalPicture(*titlePicture, titlePicturePath, active);
    }
    if (trackPreview != nullptr) {
        showOccasionalPicture(*trackPreview, catalog.find(setup.track).preview, active);
    }
}

void TitleScreen::update(float dt) {
    Updateable::update(dt);
    handleBrightnessKeys();
    showBrightness();
    auto* input = systems->get<Input>();
    switch (state) {
    case created:
        state = loading;
        invoke([this] { load(); }, 0.0f);
        break;
    case ready:
    case failed:
        // The loading ran in this frame's physics step: a key that went down while
        // the player still saw "Loading..." is not an answer to the new prompt.
        if (justLoaded) {
            justLoaded = false;
            if (enterWhenLoaded && state == ready) {
                enterWhenLoaded = false;
                enterRace();
            }
            break;
        }
        // A pad's Back quits, its A or Start races.
        if (input->getKey(key::escape) == KeyState::Pressed || input->getKey(key::q) == KeyState::Pressed ||
            input->anyGamepadButtonPressed(pad::back)) {
            systems->get<Engine>()->quit = true;
        } else if (state == ready &&
                   (input->getKey(key::space) == KeyState::Pressed ||
                    input->anyGamepadButtonPressed(pad::a) || input->anyGamepadButtonPressed(pad::start))) {
            enterRace();
        } else if (state == ready) {
            if (refreshOnReturn) {
                // Back from a race, which may have set a new best lap.
                refreshOnReturn = false;
                showMenu();
            }
            handleMenuKeys();
            idleTime = input->anyKeyPressed() ? 0.0f : idleTime + dt;
            if (idleTime > attractDelay) {
                idleTime = 0.0f;
                startAttract();
            }
        }
        break;
    default:
        break;
    }
}

void TitleScreen::setMessage(const std::string& message) {
    if (loadingText != nullptr) {
        loadingText->text = message;
        loadingText->changed = true;
    }
}

void TitleScreen::changeTrack(int step) {
    const std::vector<TrackInfo>& tracks = catalog.tracks();
    const auto count = static_cast<long>(tracks.size());
    long index = step > 0 ? 0 : count - 1;
    for (long i = 0; i < count; ++i) {
        if (tracks[static_cast<size_t>(i)].file == setup.track) {
            index = (i + step + count) % count;
        }
    }
    setup.track = tracks[static_cast<size_t>(index)].file;
    if (RaceSettings::saveTrack(configPath, setup.track)) {
        savedSetup.track = setup.track;
    }
    // The next frame draws "Loading..." and the one after loads the new track.
    setMessage("Loading...");
    state = created;
}

void TitleScreen::load() {
    if (music != nullptr && music->sound == nullptr) {
        music->sound = cachedSound(systems, "bg", "sounds/ZVB_Menu_Music.wav", false);
        music->play();
    }
    auto* sceneManager = systems->get<SceneManager>();
    Scene* scene = sceneManager->createScene("game");
    const std::string file = setup.track;
    auto* loader = systems->get<ResourceLoader>();
    // Decoded on worker threads while the main thread imports the track.
    loader->prefetchImages(racePictures(*systems->get<ResourceCache>()));
    // Before the import, which keeps a material the game registered under the file's name.
    registerWaterMaterial(systems);
    scene->leftOutNodes = unusedKartNodes(setup);
    loader->importScene(*scene, file);
    raceScene = scene;
    loadedSetup = setup;
    if (scene->getEntities().empty()) {
        logError("Race scene: the track \"", file, "\" could not be loaded");
    } else if ((race = buildRaceScene(*scene, setup, catalog.find(file), controls)) != nullptr) {
        race->recordsPath = recordsPath;
        loader->prefetchImages({});
        readyRaceForDrawing(*scene);
        setMessage("Press Space to start");
        state = ready;
        justLoaded = true;
        return;
    }
    loader->prefetchImages({});
    setMessage("The race cannot start - press Q to quit");
    state = failed;
    justLoaded = true;
}

void TitleScreen::enterRace() {
    idleTime = 0.0f;
    if (!(setup == savedSetup) && !configPath.empty() && writeRaceSetup(configPath, setup)) {
        savedSetup = setup;
    }
    if (!(setup == loadedSetup)) {
        // Another race than the one built: build it, then go.
        setMessage("Loading...");
        state = loading;
        enterWhenLoaded = true;
        invoke([this] { load(); }, 0.0f);
        return;
    }
    refreshOnReturn = true;
    systems->get<SceneManager>()->setScene(raceScene);
    if (race != nullptr) {
        race->startRace();
    }
}

void TitleScreen::startAttract() {
    auto* sceneManager = systems->get<SceneManager>();
    // Built again when another track has been chosen since; the new scene replaces the old.
    if (attractRace == nullptr || attractTrack != setup.track) {
        RaceSetup attract = setup;
        attract.players = 0;
        attract.ai = RaceSetup::maxKarts;
        attract.skill = AiSkill::hard;
        attractRace = nullptr;
        Scene* scene = sceneManager->createScene("attract");
        systems->get<ResourceLoader>()->importScene(*scene, attract.track);
        RaceFlow* built = scene->getEntities().empty()
                              ? nullptr
                              : buildRaceScene(*scene, attract, catalog.find(attract.track), controls);
        if (built == nullptr) {
            logWarning("Title: the attract race could not be built");
            return;
        }
        scene->createEntity("attractMode")->addComponent<AttractMode>(entity->scene, built);
        attractRace = built;
        attractTrack = setup.track;
    }
    logInfo("Title: attract mode");
    sceneManager->setScene(attractRace->entity->scene);
    attractRace->startRace();
}
