// Pictures of the karts' effects in the real game, for people to look at: a
// kart sliding into a boost (thick smoke and the flame), the other kart
// steered into the barrier (sparks), then a kart dropped into the sea (splash,
// mist and sparks) with the sky and the water around it. They are written to
// the build folder's "screenshots". Only the frames around each picture are
// drawn; the race runs every frame as a player's would.
#include "DrivingWorld.h"
#include "GameHarness.h"

#include "core/physics/PhysicsWorld.h"
#include "core/physics/RigidBodyDynamic.h"
#include "core/render/Camera.h"
#include "core/render/ParticleSystem.h"
#include "core/runtime/Engine.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Input.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/runtime/Transform.h"
#include "core/ui/Text.h"
#include "game/Car.h"
#include "game/CarParticles.h"
#include "game/FollowCamera.h"
#include "support/LogCapture.h"
#include "support/TestEngine.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string screenshotPath(const std::string& name) {
    const fs::path dir = fs::path(TW_BINARY_DIR) / "screenshots";
    fs::create_directories(dir);
    return (dir / name).string();
}

// The script's view of the game, advanced once per frame.
struct EffectsScript {
    enum class Phase { loading, countdown, boosting, drying, falling, done };

    ScriptedGame* game = nullptr;
    Input* input = nullptr;
    Scene* race = nullptr;
    Phase phase = Phase::loading;
    float phaseStart = 0.0f;
    float splashTime = -1.0f;
    bool boostShot = false;
    bool splashShot = false;
    bool flameSeen = false;
    float sparksTime = -1.0f;
    bool sparksShot = false;
    int splashParticles = 0;
    std::vector<std::string> shots;

    float now() const { return game->engine->time; }
    Entity* kart(const char* name) const { return race->findEntity(name); }
    CarParticles* effects(const char* name) const { return kart(name)->getComponent<CarParticles>(); }

    void enter(Phase next) {
        phase = next;
        phaseStart = now();
    }

    void views(bool on) const {
        for (const char* name : {"cam0", "cam1"}) {
            race->findEntity(name)->getComponent<Camera>()->setEnabled(on);
        }
    }

    void shoot(const std::string& name) {
        game->screenshotPath = screenshotPath(name);
        shots.push_back(name);
    }

    void keys(std::initializer_list<int> list, int action) const {
        for (int key : list) {
            input->queueKey(key, action);
        }
    }

    void frame() {
        const float t = now() - phaseStart;
        switch (phase) {
        case Phase::loading: {
            Scene* menu = game->systems->get<SceneManager>()->getScene("menu");
            Entity* loading = menu != nullptr ? menu->findEntity("loadingText") : nullptr;
            if (loading != nullptr && loading->getComponent<Text>()->text == "Press Space to start") {
                race = game->systems->get<SceneManager>()->getScene("game");
                input = game->systems->get<Input>();
                keys({GLFW_KEY_SPACE}, GLFW_PRESS);
                enter(Phase::countdown);
            }
            break;
        }
        case Phase::countdown:
            keys({GLFW_KEY_SPACE}, GLFW_RELEASE);
            views(false);
            if (kart("P1")->getComponent<Car>()->controlsEnabled) {
                keys({GLFW_KEY_W, GLFW_KEY_UP}, GLFW_PRESS);
                enter(Phase::boosting);
            }
            break;
        case Phase::boosting:
            boosting(t);
            break;
        case Phase::drying:
            if (t > 0.5f) {
                dropIntoTheSea();
                views(true);
                enter(Phase::falling);
            }
            break;
        case Phase::falling:
            falling();
            break;
        case Phase::done:
            game->engine->quit = true;
            break;
        }
        if (t > 20.0f) {
            ADD_FAILURE() << "the script got stuck";
            game->engine->quit = true;
        }
    }

    // Up to speed; then player 1 turns hard and boosts, and player 2 steers
    // into the barrier on its right.
    void boosting(float t) {
        if (t > 1.7f) {
            views(true);
        }
        if (t > 2.0f && t < 2.05f) {
            keys({GLFW_KEY_D, GLFW_KEY_E, GLFW_KEY_RIGHT}, GLFW_PRESS);
        }
        flameSeen = flameSeen || !effects("P1")->boostFlame->finished;
        if (t > 2.2f && !boostShot) {
            shoot("effects_boost.png");
            boostShot = true;
        }
        for (const char* name : {"P1", "P2"}) {
            const bool sparking = !effects(name)->collisionSparks->getComponent<ParticleSystem>()->finished;
            if (sparking && sparksTime < 0.0f && t > 2.0f) {
                sparksTime = now();
            }
        }
        if (sparksTime >= 0.0f && now() - sparksTime > 0.1f && !sparksShot) {
            shoot("effects_sparks.png");
            sparksShot = true;
        }
        if ((sparksShot && boostShot) || t > 5.0f) {
            keys({GLFW_KEY_D, GLFW_KEY_E, GLFW_KEY_W, GLFW_KEY_UP, GLFW_KEY_RIGHT}, GLFW_RELEASE);
            views(false);
            enter(Phase::drying);
        }
    }

    // Player 1 put down a few metres above the nearest sea to its left.
    void dropIntoTheSea() {
        Entity* p1 = kart("P1");
        Transform* transform = p1->getComponent<Transform>();
        const glm::vec3 start = transform->getWorldPosition();
        const glm::quat rotation = transform->getGlobalRotation();
        const glm::vec3 left = rotation * glm::vec3(-1, 0, 0);
        for (float distance = 4.0f; distance < 200.0f; distance += 2.0f) {
            const glm::vec3 probe = start + glm::vec3(left.x, 0.0f, left.z) * distance;
            RaycastHit hit;
            const bool ground = race->getPhysicsWorld()->raycast(probe + glm::vec3(0, 50, 0), {0, -1, 0}, 200.0f, hit);
            if (!ground || hit.point.y < -2.0f) {
                // A little further out, so that the splash is clear of the shore.
                const glm::vec3 drop = start + glm::vec3(left.x, 0.0f, left.z) * (distance + 12.0f);
                auto* body = p1->getComponent<RigidBodyDynamic>();
                body->teleport({drop.x, 2.5f, drop.z}, rotation);
                body->setLinearVelocity(glm::vec3(0.0f));
                body->setAngularVelocity(glm::vec3(0.0f));
                return;
            }
        }
        ADD_FAILURE() << "no sea found beside the kart";
    }

    void falling() {
        const float t = now() - phaseStart;
        if (t < 0.1f) {
            // The camera follows to where the kart was put down.
            race->findEntity("cam0")->getComponent<FollowCamera>()->snapToTarget();
        }
        ParticleSystem* splash = effects("P1")->splashBurst;
        if (splashTime < 0.0f && !splash->finished) {
            splashTime = now();
        }
        if (splashTime >= 0.0f && now() - splashTime > 0.15f && !splashShot) {
            splashParticles = splash->liveCount;
            shoot("effects_splash.png");
            splashShot = true;
        }
        if (splashShot && now() - splashTime > 0.25f) {
            enter(Phase::done);
        }
    }
};

} // namespace

TEST(EffectsPictureTest, BoostFlameSmokeSparksAndASplashUnderTheSky) {
    TW_REQUIRE_DISPLAY();
    TW_REQUIRE_TRACK();
    ScratchGameFolder folder("effects");
    folder.writeConfig(640, 400);
    LogCapture log;

    EffectsScript script;
    auto* game = new ScriptedGame(folder.configPath(), [&](ScriptedGame&) { script.frame(); });
    script.game = game;
    game->run();
    delete game;

    EXPECT_EQ(script.shots.size(), 3u);
    EXPECT_GE(script.sparksTime, 0.0f) << "no kart hit anything";
    EXPECT_TRUE(script.flameSeen);
    EXPECT_GT(script.splashParticles, 0);
    for (const LoggedLine& line : log.lines) {
        EXPECT_NE(line.level, LogLevel::Error) << line.text;
    }
}
