// The race scene: the track conventions, each kart's set-up and the checkpoints,
// then everything else the race needs, in build order.
#include "game/RaceScene.h"

#include "core/audio/AudioListener.h"
#include "core/audio/AudioSource.h"
#include "core/physics/CollisionShape.h"
#include "core/physics/PhysicsMaterial.h"
#include "core/physics/PhysicsWorld.h"
#include "core/physics/RigidBodyDynamic.h"
#include "core/physics/RigidBodyStatic.h"
#include "core/platform/Log.h"
#include "core/platform/Memory.h"
#include "core/render/Camera.h"
#include "core/render/Light.h"
#include "core/render/MeshRenderer.h"
#include "core/render/Renderer.h"
#include "core/render/Skybox.h"
#include "core/resources/Material.h"
#include "core/resources/Mesh.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/Texture2D.h"
#include "core/resources/TextureCube.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SystemRegistry.h"
#include "core/runtime/Transform.h"
#include "core/ui/UI.h"
#include "core/ui/UITex.h"
#include "game/AiDriver.h"
#include "game/Car.h"
#include "game/CarAudio.h"
#include "game/CarParticles.h"
#include "game/Checkpoint.h"
#include "game/FollowCamera.h"
#include "game/FreeCamera.h"
#include "game/GameAssets.h"
#include "game/GameConfig.h"
#include "game/GhostKart.h"
#include "game/GhostRecorder.h"
#include "game/HelpKeys.h"
#include "game/Hud.h"
#include "game/LeaderCamera.h"
#include "game/OverviewMap.h"
#include "game/PlayerDriver.h"
#include "game/RaceFlow.h"
#include "game/RaceKeys.h"
#include "game/RaceMessages.h"
#include "game/RaceProgress.h"
#include "game/RaceSetup.h"
#include "game/RacingLine.h"
#include "game/ReplayRecorder.h"
#include "game/ResultsTable.h"
#include "game/Spawner.h"
#include "game/UiFactory.h"
#include "game/UiLayers.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace {

// The nodes every track has; P3 to P8 are optional places on the grid.
const std::array<const char*, 2> kartPrefixes{"P1", "P2"};
constexpr int maxKartPlaces = RaceSetup::maxKarts;

std::string kartPrefix(int index) {
    return "P" + std::to_string(index + 1);
}

bool hasKartNodes(const Scene& scene, int index) {
    const RaceSceneBuilder::KartNodes nodes = RaceSceneBuilder::kartNodes(kartPrefix(index));
    if (scene.findEntity(nodes.kart) == nullptr || scene.findEntity(nodes.collider) == nullptr) {
        return false;
    }
    for (const std::string& wheel : nodes.wheels) {
        if (scene.findEntity(wheel) == nullptr) {
            return false;
        }
    }
    return true;
}

// The setup's karts that the track has places for: AI karts give way first.
RaceSetup fitToGrid(const Scene& scene, const RaceSetup& wanted) {
    int places = 0;
    while (places < maxKartPlaces && hasKartNodes(scene, places)) {
        ++places;
    }
    RaceSetup setup = wanted;
    if (setup.karts() > places) {
        setup.ai = std::max(0, places - setup.players);
        setup.players = std::min(setup.players, places);
        logWarning("Race setup: the track has places for ", places, " karts, not ", wanted.karts(),
                   "; racing ", setup.players, " players and ", setup.ai, " AI karts");
    }
    return setup;
}

// Viewports as the camera takes them: from the bottom-left, fractions of the window.
glm::vec4 playerViewport(int player, int players) {
    if (players <= 1) {
        return {0.0f, 0.0f, 1.0f, 1.0f};
    }
    if (players == 2) {
        return player == 0 ? glm::vec4(0.0f, 0.5f, 1.0f, 0.5f) : glm::vec4(0.0f, 0.0f, 1.0f, 0.5f);
    }
    const float x = (player % 2 == 0) ? 0.0f : 0.5f;
    const float y = (player < 2) ? 0.5f : 0.0f;
    return {x, y, 0.5f, 0.5f};
}

// The same rectangle for the UI, which measures from the top-left.
glm::vec4 uiRect(const glm::vec4& viewport) {
    return {viewport.x, 1.0f - viewport.y - viewport.w, viewport.z, viewport.w};
}

AudioSource* addSound(Entity& entity, const std::string& name, const std::string& path, float volume,
                      bool loop, bool is3D = false) {
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

// keys is null for an AI kart.
Entity* setUpKart(Scene& scene, int index, const PlayerKeys* keys) {
    Car* car =
        RaceSceneBuilder::setUpKart(scene, RaceSceneBuilder::kartNodes(kartPrefix(index)), index, keys);
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

FollowCamera* createFollowCamera(Scene& scene, int player, int players, Transform* target) {
    Entity* entity = scene.createEntity("cam" + std::to_string(player));
    entity->addComponent<Transform>();
    entity->addComponent<AudioListener>();
    auto* camera = entity->addComponent<Camera>();
    camera->fov = 90.0f;
    camera->near = 0.1f;
    camera->far = 600.0f;
    const glm::vec4 view = playerViewport(player, players);
    camera->setViewport(view.x, view.y, view.z, view.w);
    // Where the sky cannot be drawn, the horizon's haze colour stands in for it.
    if (const auto* renderer = scene.systems->get<Renderer>()) {
        camera->clearColor = renderer->fogColor;
    }
    auto* follow = entity->addComponent<FollowCamera>(target);
    follow->snapToTarget();
    return follow;
}

RaceFlow* buildRaceFlow(Scene& scene, const std::vector<Entity*>& karts, const RaceSetup& setup,
                        const ControlsConfig& controls) {
    SystemRegistry* systems = scene.systems;
    Entity* entity = scene.createEntity("gameplay");
    entity->addComponent<RaceMessages>();
    AudioSource* winSound = addSound(*entity, "win", "sounds/win.wav", 0.7f, false);

    auto* gameplay = entity->addComponent<RaceFlow>();
    gameplay->winSound = winSound;
    gameplay->countSound = addSound(*entity, "count", "sounds/count.wav", 0.6f, false);
    gameplay->goSound = addSound(*entity, "go", "sounds/go.wav", 0.6f, false);
    gameplay->numLaps = setup.laps;
    RaceSceneBuilder::findCheckpoints(scene, *gameplay);
    gameplay->setKarts(karts, setup.players);

    UITex* endScreen =
        addPictureEntity(scene, "endScreen", cachedTexture(systems, "gameOver", racePicture::gameOver),
                         {{0.5f, 0.5f}, 0.09f, Anchor::Center}, uiLayer::screen);
    endScreen->setEnabled(false);
    gameplay->endScreen = endScreen;
    gameplay->track = setup.track;
    gameplay->results = scene.createEntity("results")->addComponent<ResultsTable>();
    gameplay->results->build(karts.size());

    // Its picture is read when the race is paused (RaceKeys::setPaused).
    UITex* help = addPictureEntity(scene, "helpScreen", unloadedTexture(systems, "helpScreen"),
                                   {{0.5f, 0.5f}, 0.9f, Anchor::Center}, uiLayer::overlay);
    help->entity->active = false;

    auto* menu = scene.createEntity("gameMenu")->addComponent<RaceKeys>();
    menu->race = gameplay;
    gameplay->raceKeys = menu;
    menu->helpScreen = help->entity;
    menu->helpKeys = menu->entity->addComponent<HelpKeys>();
    menu->helpKeys->build({controls.players[0], controls.players[1]},
                          cachedTexture(systems, "fill", "textures/ui/fill.png"));
    menu->createOverlay();

    Entity* raceMusic = scene.createEntity("bgMusic");
    gameplay->raceMusic = addSound(*raceMusic, "bgMusicGame", "sounds/ZVB_InGame_Music.wav", 0.4f, true);
    Entity* endMusic = scene.createEntity("winMusic");
    gameplay->endMusic = addSound(*endMusic, "bg", "sounds/ZVB_Menu_Music.wav", 0.4f, true);
    return gameplay;
}

// After the karts, so that each step it reads what they took in that step.
void addReplayRecorder(Scene& scene, RaceFlow& race, const RaceSetup& setup) {
    auto* recorder = race.entity->addComponent<ReplayRecorder>();
    recorder->record(race, setup);
    recorder->hint = addTextEntity(scene, "replayHint", "", {{0.5f, 0.6f}, 0.04f, Anchor::Center},
                                   glm::vec4(1.0f), uiLayer::screen);
}

// Every race with players keeps their best lap; a race of one player (or with
// the ghost asked for) races it against player 1.
void addGhost(Scene& scene, RaceFlow& race, const RaceSetup& setup, const std::vector<Entity*>& karts) {
    if (setup.players < 1) {
        return;
    }
    Entity* entity = scene.createEntity("ghost");
    auto* recorder = entity->addComponent<GhostRecorder>();
    recorder->watch(race, setup.players, setup.track);
    if (setup.players == 1 || setup.ghost) {
        recorder->ghostKart = entity->addComponent<GhostKart>();
        recorder->ghostKart->build(scene, *karts.front());
    }
}

Entity* createDebugCamera(Scene& scene) {
    Entity* entity = scene.createEntity("debugController");
    entity->active = false;
    entity->addComponent<Transform>()->setPosition({0.0f, 2.0f, 0.0f});
    auto* camera = entity->addComponent<Camera>();
    camera->near = 0.1f;
    camera->far = 800.0f;
    entity->addComponent<FreeCamera>()->moveSpeed = 25.0f;
    entity->addComponent<AudioListener>();
    return entity;
}

void createSkybox(Scene& scene, const std::string& prefix) {
    auto* cache = scene.systems->get<ResourceCache>();
    const std::string name = prefix == TrackInfo().skyPrefix ? std::string("skybox") : "skybox:" + prefix;
    auto* sky = cache->get<TextureCube>(name);
    if (sky == nullptr) {
        sky = cache->create<TextureCube>(name);
        sky->load({prefix + "Left.png", prefix + "Right.png", prefix + "Up_Rotated.png", prefix + "Down.png",
                   prefix + "Front.png", prefix + "Back.png"});
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

RaceFlow* buildRaceScene(Scene& scene) {
    return buildRaceScene(scene, defaultRaceSetup(readGameConfig(scene.systems).numLaps));
}

void readyRaceForDrawing(Scene& scene) {
    if (auto* renderer = scene.systems->get<Renderer>()) {
        renderer->precompile(scene);
    }
    if (auto* ui = scene.systems->get<UI>()) {
        ui->readyFor(scene);
    }
    if (auto* cache = scene.systems->get<ResourceCache>()) {
        for (Mesh* mesh : cache->getAll<Mesh>()) {
            mesh->releaseDrawOnlyData();
        }
    }
    returnFreedMemory();
}

std::vector<std::string> unusedKartNodes(const RaceSetup& setup) {
    std::vector<std::string> names;
    // The places every track must have stay: the race checks them before it is built.
    const int kept = std::max(setup.karts(), static_cast<int>(kartPrefixes.size()));
    for (int place = kept; place < RaceSceneBuilder::gridKarts; ++place) {
        names.push_back(kartPrefix(place));
    }
    return names;
}

std::vector<std::string> racePictures(const ResourceCache& cache) {
    std::vector<std::pair<std::string, std::string>> all{{"waterNormal", racePicture::waterNormal}};
    for (const auto& picture : CarParticles::pictures()) {
        all.push_back(picture);
    }
    // The help picture is not among them: it is read when the race is paused.
    all.insert(all.end(), {{"gameOver", racePicture::gameOver}, {"boostText", racePicture::boost}});
    std::vector<std::string> files;
    for (const auto& [name, file] : all) {
        if (!cache.exists<Texture2D>(name)) {
            files.push_back(file);
        }
    }
    return files;
}

RaceFlow* buildRaceScene(Scene& scene, const RaceSetup& wanted, const TrackInfo& track,
                         const ControlsConfig& controls) {
    const std::vector<std::string> missing = missingTrackNodes(scene);
    for (const std::string& name : missing) {
        logError("Race scene: the track has no node \"", name, "\"");
    }
    if (!missing.empty()) {
        return nullptr;
    }
    const RaceSetup setup = fitToGrid(scene, wanted);
    RaceSceneBuilder::removeUnusedKarts(scene, setup.karts());
    RaceSceneBuilder::applyTrackConventions(scene);
    setUpSun(scene);
    if (auto* renderer = scene.systems->get<Renderer>()) {
        renderer->fogColor = track.fog;
    }
    std::vector<Entity*> karts;
    for (int index = 0; index < setup.karts(); ++index) {
        const PlayerKeys* keys =
            index < setup.players ? &controls.players[static_cast<size_t>(index)] : nullptr;
        Entity* kart = setUpKart(scene, index, keys);
        if (kart == nullptr) {
            return nullptr;
        }
        karts.push_back(kart);
    }
    // With nobody driving, one camera follows the leading AI kart over the whole window.
    const int views = std::max(setup.players, 1);
    std::vector<glm::vec4> uiViews;
    std::vector<Entity*> cameras;
    for (int player = 0; player < views; ++player) {
        Entity* kart = karts[static_cast<size_t>(player)];
        FollowCamera* camera = createFollowCamera(scene, player, views, kart->getComponent<Transform>());
        kart->getComponent<Spawner>()->followCamera = camera;
        cameras.push_back(camera->entity);
        uiViews.push_back(uiRect(playerViewport(player, views)));
    }
    RaceFlow* race = buildRaceFlow(scene, karts, setup, controls);
    if (!race->isDuel()) {
        race->entity->getComponent<RaceMessages>()->playerViews = uiViews;
    }
    const auto line = std::make_shared<const RacingLine>(race->checkpoints);
    for (int index = setup.players; index < setup.karts(); ++index) {
        // Every other AI kart a little to the other side, so that the field spreads.
        const float lane =
            (index % 2 == 0 ? -1.0f : 1.0f) * 0.8f * static_cast<float>((index - setup.players + 1) / 2);
        karts[static_cast<size_t>(index)]->addComponent<AiDriver>(line, setup.skill, lane)->race = race;
    }
    if (setup.players == 0) {
        scene.createEntity("leaderCamera")
            ->addComponent<LeaderCamera>(cameras.front()->getComponent<FollowCamera>(), race);
    }
    if (views == 3) {
        scene.createEntity("overview")
            ->addComponent<OverviewMap>()
            ->build(*line, karts, uiRect(playerViewport(3, 4)));
    }
    for (int player = 0; player < setup.players; ++player) {
        buildHud(scene, *karts[static_cast<size_t>(player)], player + 1, race,
                 race->isDuel() ? HudView{} : HudView{uiViews[static_cast<size_t>(player)], true});
    }
    race->raceKeys->playerCameras = cameras;
    race->raceKeys->freeCamera = createDebugCamera(scene);
    addReplayRecorder(scene, *race, setup);
    addGhost(scene, *race, setup, karts);
    createSkybox(scene, track.skyPrefix);
    return race;
}

namespace RaceSceneBuilder {

namespace {

constexpr int maxCheckpoints = 20;
constexpr float coneMass = 0.001f;
const glm::vec3 coneSize(1.5f, 2.0f, 1.5f);
// Just below the box, so that a ray never starts inside the ground the box rests on.
constexpr float rayStartBelowBox = 0.0001f;

bool has(const std::string& name, const char* marker) {
    return name.find(marker) != std::string::npos;
}

Transform* transformOf(Entity& entity) {
    auto* transform = entity.getComponent<Transform>();
    return transform != nullptr ? transform : entity.addComponent<Transform>();
}

glm::vec3 worldScale(Entity& entity) {
    return transformOf(entity)->getGlobalScale();
}

// Every mesh collider's body, their shapes cooked together.
void addMeshColliders(const std::vector<Entity*>& entities) {
    std::vector<CollisionShape::MeshOfShape> shapes;
    for (Entity* entity : entities) {
        if (!has(entity->name, "_MC_")) {
            continue;
        }
        auto* body = entity->addComponent<RigidBodyStatic>();
        const auto* renderer = entity->getComponent<MeshRenderer>();
        const Mesh* mesh = renderer != nullptr ? renderer->getMesh() : nullptr;
        if (mesh == nullptr) {
            logWarning("No mesh for the collider of ", entity->name);
            continue;
        }
        shapes.push_back({body->addCollisionShape(), mesh});
    }
    CollisionShape::setMeshes(shapes);
}

void addInvisibleBox(Entity& entity) {
    const glm::vec3 halfExtents = worldScale(entity);
    entity.addComponent<RigidBodyStatic>()->addCollisionShape()->setBox(2.0f * halfExtents);
    transformOf(entity)->setScale(glm::vec3(1.0f));
    entity.removeComponents<MeshRenderer>();
}

// The road, the kerbs and everything else on the island lie on the ground's
// tiles: their materials are drawn after the rest.
void markUnderlay(Entity& entity) {
    if (const auto* renderer = entity.getComponent<MeshRenderer>()) {
        for (Material* material : renderer->getMaterials()) {
            if (material != nullptr) {
                material->setUnderlay(true);
            }
        }
    }
}

// The parent's dynamic body, else its static one, else a new static one.
RigidBody* bodyOf(Entity& parent) {
    if (auto* dynamicBody = parent.getComponent<RigidBodyDynamic>()) {
        return dynamicBody;
    }
    if (auto* staticBody = parent.getComponent<RigidBodyStatic>()) {
        return staticBody;
    }
    return parent.addComponent<RigidBodyStatic>();
}

void addBoxToParent(Entity& entity, bool trigger) {
    Transform* parentTransform = transformOf(entity)->getParent();
    if (parentTransform == nullptr || parentTransform->entity == nullptr) {
        logWarning("No parent to take the box of ", entity.name);
        return;
    }
    CollisionShape* shape = bodyOf(*parentTransform->entity)->addCollisionShape();
    shape->setBox(2.0f * worldScale(entity));
    if (trigger) {
        shape->setTrigger(true);
    }
}

void addCone(Entity& entity) {
    auto* body = entity.addComponent<RigidBodyDynamic>();
    body->setMass(coneMass);
    // So light a body would otherwise tunnel through a kart's box.
    body->setContinuousCollision(true);
    body->addCollisionShape()->setBox(coneSize);
}

PhysicsMaterial* carMaterial(SystemRegistry* systems) {
    auto* cache = systems != nullptr ? systems->get<ResourceCache>() : nullptr;
    if (cache == nullptr) {
        return nullptr;
    }
    if (auto* existing = cache->get<PhysicsMaterial>("car")) {
        return existing;
    }
    return cache->create<PhysicsMaterial>("car", 0.5f, 0.5f, 1.0f);
}

Entity* require(Scene& scene, const std::string& name) {
    Entity* found = scene.findEntity(name);
    if (found == nullptr) {
        logError("Kart set-up: node not found: ", name);
    }
    return found;
}

bool hasTrigger(const Entity& entity) {
    for (const RigidBody* body : entity.getComponents<RigidBody>()) {
        for (const auto& shape : body->getShapes()) {
            if (shape->isTrigger()) {
                return true;
            }
        }
    }
    return false;
}

void placeRays(Car& car, const glm::vec3& s) {
    const float y = -s.y - rayStartBelowBox;
    car.wheels[Car::frontLeft].localOffset = glm::vec3(-s.x, y, -s.z);
    car.wheels[Car::frontRight].localOffset = glm::vec3(s.x, y, -s.z);
    car.wheels[Car::rearRight].localOffset = glm::vec3(s.x, y, s.z);
    car.wheels[Car::rearLeft].localOffset = glm::vec3(-s.x, y, s.z);
}

} // namespace

KartNodes kartNodes(const std::string& prefix) {
    return {prefix,
            prefix + "BuggyCollider",
            {prefix + "Wheel_FL", prefix + "Wheel_FR", prefix + "Wheel_RR", prefix + "Wheel_RL"}};
}

void removeUnusedKarts(Scene& scene, int usedKarts) {
    for (int n = usedKarts + 1; n <= gridKarts; ++n) {
        Entity* kart = scene.findEntity("P" + std::to_string(n));
        if (kart == nullptr) {
            continue;
        }
        std::vector<Entity*> doomed{kart};
        for (size_t i = 0; i < doomed.size(); ++i) {
            if (const auto* transform = doomed[i]->getComponent<Transform>()) {
                for (const Transform* child : transform->getChildren()) {
                    if (child->entity != nullptr) {
                        doomed.push_back(child->entity);
                    }
                }
            }
        }
        // Destruction waits for the next update; until then they must not be drawn.
        for (Entity* entity : doomed) {
            entity->active = false;
            scene.destroyEntity(entity);
        }
    }
}

void applyTrackConventions(Scene& scene) {
    applyMarkers(scene);
    if (auto* cache = scene.systems != nullptr ? scene.systems->get<ResourceCache>() : nullptr) {
        applyMaterialConventions(*cache);
    }
}

void applyMarkers(Scene& scene) {
    std::vector<Entity*> entities;
    for (const auto& entity : scene.getEntities()) {
        entities.push_back(entity.get());
    }
    // First: no other marker changes what a mesh collider is made of (its mesh
    // and world scale), and a parent, whose body a child's box joins, comes
    // before its children anyway.
    addMeshColliders(entities);
    std::vector<Entity*> boxGivers;
    for (Entity* entity : entities) {
        const std::string& name = entity->name;
        if (has(name, "_NOOP_")) {
            // Recognised so that a designer can mark a node as deliberately plain.
        }
        if (has(name, "_RD_")) {
            entity->addComponent<RigidBodyDynamic>();
        }
        if (has(name, "_BCS_")) {
            addInvisibleBox(*entity);
        } else if (has(name, "_BC_")) {
            addBoxToParent(*entity, has(name, "_TR_"));
            boxGivers.push_back(entity);
        }
        if (has(name, "_RM_")) {
            entity->removeComponents<MeshRenderer>();
        }
        if (has(name, "Cone_Signaling")) {
            addCone(*entity);
        }
        if (name.rfind("Ground", 0) == 0) {
            markUnderlay(*entity);
        }
    }
    for (Entity* entity : boxGivers) {
        scene.destroyEntity(entity);
    }
}

void applyMaterialConventions(ResourceCache& cache) {
    cache.dump();
    if (cache.exists<Material>("StartLine")) {
        Material* startLine = cache.get<Material>("StartLine");
        startLine->addDefine("CUTOUT");
        startLine->setUniform("albedo", glm::vec4(0.9f, 0.9f, 0.9f, 0.4f));
        startLine->setReceivesShadows(true);
    }
    for (Material* material : cache.getAll<Material>()) {
        material->setCastsShadows(false);
    }
    for (Material* material : cache.getAll<Material>()) {
        const std::string& name = material->getName();
        if (name == "Beam" || name == "Wheel" || name.rfind("Buggy_", 0) == 0) {
            material->setCastsShadows(true);
        }
        // The asphalt's and the grass's relief is a grain that a scaled-down
        // picture blurs away (sand keeps its ripples, rock its cracks).
        const bool grass =
            name == "Grass" || (name.size() > 6 && name.compare(name.size() - 6, 6, "_Grass") == 0);
        if (name == "Road" || grass) {
            material->setFineRelief(true);
        }
    }
}

Car* setUpKart(Scene& scene, const KartNodes& nodes, int index, const PlayerKeys* keys) {
    Entity* kart = require(scene, nodes.kart);
    Entity* collider = require(scene, nodes.collider);
    if (kart == nullptr || collider == nullptr) {
        return nullptr;
    }
    const glm::vec3 halfExtents = transformOf(*collider)->getScale();
    auto* body = kart->addComponent<RigidBodyDynamic>();
    CollisionShape* box = body->addCollisionShape();
    box->setMaterial(carMaterial(scene.systems));
    box->setBox(2.0f * halfExtents);
    scene.destroyEntity(collider);

    auto* car = kart->addComponent<Car>();
    car->playerIndex = index;
    placeRays(*car, halfExtents);
    for (size_t i = 0; i < nodes.wheels.size(); ++i) {
        if (Entity* wheel = require(scene, nodes.wheels[i])) {
            car->wheelTransforms[i] = transformOf(*wheel);
            car->wheelRestPositions[i] = car->wheelTransforms[i]->getPosition();
        }
    }
    if (keys != nullptr) {
        kart->addComponent<PlayerDriver>(*keys);
    }
    kart->addComponent<RaceProgress>()->playerIndex = static_cast<unsigned>(index);
    return car;
}

void findCheckpoints(Scene& scene, RaceFlow& gameplay) {
    int previous = -1;
    for (int n = 0; n < maxCheckpoints; ++n) {
        const std::string name = "Checkpoint-" + std::to_string(n);
        Entity* entity = scene.findEntity(name);
        if (entity == nullptr) {
            continue;
        }
        // Without a trigger no kart can ever touch it, and the laps would stop counting there.
        if (!hasTrigger(*entity)) {
            logWarning("Track: ", name, " has no trigger; the race leaves it out");
            continue;
        }
        if (n != previous + 1) {
            logWarning("Track: ", name, " follows ",
                       previous < 0 ? std::string("no Checkpoint-0")
                                    : "Checkpoint-" + std::to_string(previous),
                       "; the race counts the checkpoints that exist, in order");
        }
        previous = n;
        auto* checkpoint = entity->addComponent<Checkpoint>();
        checkpoint->index = n;
        gameplay.checkpoints.push_back(checkpoint);
    }
}

} // namespace RaceSceneBuilder
