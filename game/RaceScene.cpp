// The race scene, in build order.
#include "game/RaceScene.h"

#include "core/audio/AudioListener.h"
#include "core/audio/AudioSource.h"
#include "core/platform/Log.h"
#include "core/render/Camera.h"
#include "core/render/Light.h"
#include "core/render/Renderer.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SystemRegistry.h"
#include "core/runtime/Transform.h"
#include "core/ui/UITex.h"
#include "core/render/Skybox.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/TextureCube.h"
#include "game/BasicController.h"
#include "game/Car.h"
#include "game/CarAudio.h"
#include "game/CarParticles.h"
#include "game/FollowCamera.h"
#include "game/GameAssets.h"
#include "game/GameConfig.h"
#include "game/GameMenu.h"
#include "game/Gameplay.h"
#include "game/Hud.h"
#include "game/RaceSceneBuilder.h"
#include "game/SceneUtils.h"
#include "game/Spawner.h"
#include "game/UiFactory.h"
#include "game/UiLayers.h"

#include <array>

namespace {

const std::array<const char*, 2> kartPrefixes{"P1", "P2"};

AudioSource* addSound(Entity& entity, const std::string& name, const std::string& path, float volume, bool loop,
                      bool is3D = false) {
    auto* source = entity.addComponent<AudioSource>();
    source->sound = cachedSound(entity.systems, name, path, is3D);
    source->volume = volume;
    source->loop = loop;
    return source;
}

void setUpSun(Scene& scene) {
    if (auto* light = scene.findEntity("Sun")->getComponent<Light>()) {
        light->shadowDistance = 20.0f;
    } else {
        logWarning("Race scene: \"Sun\" has no light; the track is drawn without its sun");
    }
}

Entity* setUpKart(Scene& scene, int index) {
    Car* car = RaceSceneBuilder::setUpKart(scene, RaceSceneBuilder::kartNodes(kartPrefixes[index]), index);
    if (car == nullptr) {
        return nullptr;
    }
    Entity* kart = car->entity;
    CarAudio::addTo(*kart, index);
    kart->addComponent<CarParticles>()->createEffects();
    auto* spawner = kart->addComponent<Spawner>();
    spawner->splashSource = addSound(*kart, "splash", "sounds/splash.wav", 4.0f, false, true);
    return kart;
}

FollowCamera* createFollowCamera(Scene& scene, int player, Transform* target) {
    Entity* entity = scene.createEntity("cam" + std::to_string(player));
    entity->addComponent<Transform>();
    entity->addComponent<AudioListener>();
    auto* camera = entity->addComponent<Camera>();
    camera->fov = 90.0f;
    camera->near = 0.1f;
    camera->far = 600.0f;
    // Player 1 above, player 2 below.
    if (player == 0) {
        camera->setViewport(0.0f, 0.5f, 1.0f, 0.5f);
    } else {
        camera->setViewport(0.0f, 0.0f, 1.0f, 0.5f);
    }
    // Where the sky cannot be drawn, the horizon's haze colour stands in for it.
    if (const auto* renderer = scene.systems->get<Renderer>()) {
        camera->clearColor = renderer->fogColor;
    }
    auto* follow = entity->addComponent<FollowCamera>(target);
    follow->snapToTarget();
    return follow;
}

Gameplay* buildRaceFlow(Scene& scene, Entity& kart1, Entity& kart2) {
    SystemRegistry* systems = scene.systems;
    Entity* entity = scene.createEntity("gameplay");
    auto* utils = entity->addComponent<SceneUtils>();
    utils->winSound = addSound(*entity, "win", "sounds/win.wav", 0.7f, false);

    auto* gameplay = entity->addComponent<Gameplay>();
    gameplay->countSound = addSound(*entity, "count", "sounds/count.wav", 0.6f, false);
    gameplay->goSound = addSound(*entity, "go", "sounds/go.wav", 0.6f, false);
    gameplay->numLaps = readGameConfig(systems).numLaps;
    RaceSceneBuilder::findCheckpoints(scene, *gameplay);
    gameplay->setKarts(&kart1, &kart2);

    UITex* endScreen = addPictureEntity(scene, "endScreen",
                                        cachedTexture(systems, "gameOver", "textures/ui/gameOver.png"),
                                        {{0.5f, 0.5f}, 0.09f, Anchor::Center}, uiLayer::screen);
    endScreen->setEnabled(false);
    utils->endScreen = endScreen;

    UITex* help = addPictureEntity(scene, "helpScreen",
                                   cachedTexture(systems, "helpScreen", "textures/ui/helpScreen.png"),
                                   {{0.5f, 0.5f}, 0.9f, Anchor::Center}, uiLayer::overlay);
    help->entity->active = false;

    auto* menu = scene.createEntity("gameMenu")->addComponent<GameMenu>();
    menu->helpScreen = help->entity;
    menu->createOverlay();

    Entity* raceMusic = scene.createEntity("bgMusic");
    gameplay->raceMusic = addSound(*raceMusic, "bgMusicGame", "sounds/ZVB_InGame_Music.wav", 0.4f, true);
    Entity* endMusic = scene.createEntity("winMusic");
    gameplay->endMusic = addSound(*endMusic, "bg", "sounds/ZVB_Menu_Music.wav", 0.4f, true);
    return gameplay;
}

void createDebugCamera(Scene& scene) {
    Entity* entity = scene.createEntity("debugController");
    entity->active = false;
    entity->addComponent<Transform>()->setPosition({0.0f, 2.0f, 0.0f});
    auto* camera = entity->addComponent<Camera>();
    camera->near = 0.1f;
    camera->far = 800.0f;
    entity->addComponent<BasicController>()->moveSpeed = 25.0f;
    entity->addComponent<AudioListener>();
}

void createSkybox(Scene& scene) {
    auto* cache = scene.systems->get<ResourceCache>();
    auto* sky = cache->get<TextureCube>("skybox");
    if (sky == nullptr) {
        sky = cache->create<TextureCube>("skybox");
        sky->load({"skyboxes/DSk04-mod/DSk04_Left.png", "skyboxes/DSk04-mod/DSk04_Right.png",
                   "skyboxes/DSk04-mod/DSk04_Up_Rotated.png", "skyboxes/DSk04-mod/DSk04_Down.png",
                   "skyboxes/DSk04-mod/DSk04_Front.png", "skyboxes/DSk04-mod/DSk04_Back.png"});
    }
    scene.createEntity("Skybox")->addComponent<Skybox>()->setTexture(sky);
}

} // namespace

std::vector<std::string> requiredTrackNodes() {
    std::vector<std::string> names;
    for (const char* prefix : kartPrefixes) {
        const RaceSceneBuilder::KartNodes nodes = RaceSceneBuilder::kartNodes(prefix);
        names.push_back(nodes.kart);
        names.push_back(nodes.collider);
        names.insert(names.end(), nodes.wheels.begin(), nodes.wheels.end());
    }
    names.emplace_back("Sun");
    // The start/finish line: without it no lap is ever counted.
    names.emplace_back("Checkpoint-0");
    return names;
}

std::vector<std::string> missingTrackNodes(const Scene& scene) {
    std::vector<std::string> missing;
    for (const std::string& name : requiredTrackNodes()) {
        if (scene.findEntity(name) == nullptr) {
            missing.push_back(name);
        }
    }
    return missing;
}

bool buildRaceScene(Scene& scene) {
    const std::vector<std::string> missing = missingTrackNodes(scene);
    for (const std::string& name : missing) {
        logError("Race scene: the track has no node \"", name, "\"");
    }
    if (!missing.empty()) {
        return false;
    }
    RaceSceneBuilder::applyTrackConventions(scene);
    setUpSun(scene);
    Entity* kart1 = setUpKart(scene, 0);
    Entity* kart2 = setUpKart(scene, 1);
    if (kart1 == nullptr || kart2 == nullptr) {
        return false;
    }
    std::array<Entity*, 2> karts{kart1, kart2};
    for (int player = 0; player < 2; ++player) {
        Entity* kart = karts[static_cast<size_t>(player)];
        FollowCamera* camera = createFollowCamera(scene, player, kart->getComponent<Transform>());
        kart->getComponent<Spawner>()->followCamera = camera;
    }
    buildRaceFlow(scene, *kart1, *kart2);
    buildHud(scene, *kart1, 1);
    buildHud(scene, *kart2, 2);
    createDebugCamera(scene);
    createSkybox(scene);
    return true;
}
