// Title screen flow, setup menu and attract mode.
#include "game/TitleScreen.h"

#include "core/platform/Log.h"
#include "core/render/Renderer.h"
#include "core/resources/ResourceLoader.h"
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
#include "game/RaceFlow.h"
#include "game/RaceScene.h"
#include "game/UiFactory.h"
#include "game/UiLayers.h"

#include <algorithm>

namespace {

constexpr float brightnessStep = 0.1f;
constexpr float rowHeight = 0.04f;
constexpr float firstRowY = 0.64f;
constexpr float rowSpacing = 0.05f;
const glm::vec4 rowColour{1.0f, 1.0f, 1.0f, 1.0f};
const glm::vec4 selectedColour{0.9f, 1.0f, 0.0f, 1.0f};
const glm::vec4 panelColour{0.05f, 0.06f, 0.12f, 0.7f};
const glm::vec2 panelSize{0.42f, rowSpacing*(TitleScreen::rowCount + 1.2f)};

std::string trackName(const std::string& track) {
    const size_t slash = track.find_last_of('/');
    std::string name = slash == std::string::npos ? track : track.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

} // namespace

TitleScreen::TitleScreen(SystemRegistry* systems, Entity* entity, Text* loadingText)
    : Updateable(systems, entity), loadingText(loadingText) {}

void TitleScreen::createMenu(const std::string& path) {
    configPath = path;
    recordsPath = LapRecords::defaultPath();
    setup = readRaceSetup(configPath, defaultRaceSetup(readGameConfig(systems).numLaps));
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
    for (int row = 0; row < rowCount; ++row) {
        rows[static_cast<size_t>(row)] = addTextEntity(
            scene, "setupRow" + std::to_string(row), "",
            {{0.5f, firstRowY + rowSpacing * static_cast<float>(row)}, rowHeight, Anchor::Center}, rowColour,
            uiLayer::hud);
    }
    trackLine = addTextEntity(scene, "trackLine", "",
                              {{0.5f, firstRowY + rowSpacing * rowCount}, rowHeight * 0.8f, Anchor::Center},
                              rowColour, uiLayer::hud);
    showMenu();
}

void TitleScreen::showMenu() {
    const std::array<std::string, rowCount> texts{
        "Players  " + std::to_string(setup.players), "AI karts  " + std::to_string(setup.ai),
        "Laps  " + std::to_string(setup.laps), std::string("AI skill  ") + skillName(setup.skill)};
    for (int row = 0; row < rowCount; ++row) {
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
    if (trackLine != nullptr) {
        const float best = LapRecords(recordsPath).best(setup.track);
        trackLine->text =
            "Track  " + trackName(setup.track) + (best > 0.0f ? "   Best lap  " + formatRaceTime(best) : "");
        trackLine->changed = true;
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
    default:
        break;
    }
}

void TitleScreen::handleMenuKeys() {
    auto* input = systems->get<Input>();
    const bool up = input->getKey(key::up) == KeyState::Pressed;
    const bool down = input->getKey(key::down) == KeyState::Pressed;
    const bool left = input->getKey(key::left) == KeyState::Pressed;
    const bool right = input->getKey(key::right) == KeyState::Pressed;
    if (!(up || down || left || right)) {
        return;
    }
    if (up || down) {
        selectedRow = (selectedRow + (down ? 1 : rowCount - 1)) % rowCount;
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
        renderer->brightness -= brightnessStep;
    }
    if (input->getKey(key::period) == KeyState::Pressed) {
        renderer->brightness += brightnessStep;
    }
}

void TitleScreen::update(float dt) {
    Updateable::update(dt);
    handleBrightnessKeys();
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
        if (input->getKey(key::escape) == KeyState::Pressed || input->getKey(key::q) == KeyState::Pressed) {
            systems->get<Engine>()->quit = true;
        } else if (state == ready && input->getKey(key::space) == KeyState::Pressed) {
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

void TitleScreen::load() {
    auto* sceneManager = systems->get<SceneManager>();
    Scene* scene = sceneManager->createScene("game");
    systems->get<ResourceLoader>()->importScene(*scene, setup.track);
    raceScene = scene;
    loadedSetup = setup;
    if (scene->getEntities().empty()) {
        logError("Race scene: the track \"", setup.track, "\" could not be loaded");
    } else if (buildRaceScene(*scene, setup)) {
        scene->findEntity("gameplay")->getComponent<RaceFlow>()->recordsPath = recordsPath;
        setMessage("Press Space to start");
        state = ready;
        justLoaded = true;
        return;
    }
    setMessage("The race cannot start - press Q to quit");
    state = failed;
    justLoaded = true;
}

void TitleScreen::enterRace() {
    idleTime = 0.0f;
    if (!(setup == loadedSetup)) {
        // Another race than the one built: save the choice, build it, then go.
        if (!(setup == savedSetup) && !configPath.empty() && writeRaceSetup(configPath, setup)) {
            savedSetup = setup;
        }
        setMessage("Loading...");
        state = loading;
        enterWhenLoaded = true;
        invoke([this] { load(); }, 0.0f);
        return;
    }
    refreshOnReturn = true;
    systems->get<SceneManager>()->setScene(raceScene);
    Entity* gameplayEntity = raceScene->findEntity("gameplay");
    if (auto* gameplay = gameplayEntity != nullptr ? gameplayEntity->getComponent<RaceFlow>() : nullptr) {
        gameplay->startRace();
    }
}

void TitleScreen::startAttract() {
    auto* sceneManager = systems->get<SceneManager>();
    if (attractScene == nullptr) {
        RaceSetup attract = setup;
        attract.players = 0;
        attract.ai = RaceSetup::maxKarts;
        attract.skill = AiSkill::hard;
        Scene* scene = sceneManager->createScene("attract");
        systems->get<ResourceLoader>()->importScene(*scene, attract.track);
        if (scene->getEntities().empty() || !buildRaceScene(*scene, attract)) {
            logWarning("Title: the attract race could not be built");
            return;
        }
        scene->createEntity("attractMode")->addComponent<AttractMode>(entity->scene);
        attractScene = scene;
    }
    logInfo("Title: attract mode");
    sceneManager->setScene(attractScene);
    if (Entity* holder = attractScene->findEntity("gameplay")) {
        holder->getComponent<RaceFlow>()->startRace();
    }
}
