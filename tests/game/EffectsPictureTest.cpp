// Pictures of the karts' effects in the real game, for people to look at: a
// kart sliding into a boost (thick smoke and the flame), the other kart
// steered into the barrier (sparks), then a kart dropped into the sea (splash,
// mist and sparks) with the sky and the water around it. They are written to
// the build folder's "screenshots". Only the frames around each picture are
// drawn; the race runs every frame as a player's would.
#include "GameHarness.h"
#include "RaceWorld.h"

#include "core/physics/PhysicsWorld.h"
#include "core/render/ParticleSystem.h"
#include "core/runtime/Engine.h"
#include "core/ui/Text.h"
#include "game/CarParticles.h"
#include "game/FollowCamera.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

namespace {

// Player 1 put down a few metres above the nearest sea to its left.
void dropIntoTheSea(Scene& race) {
    auto* body = race.findEntity("P1")->getComponent<RigidBodyDynamic>();
    Transform* transform = body->entity->getComponent<Transform>();
    const glm::vec3 start = transform->getWorldPosition();
    const glm::quat rotation = transform->getGlobalRotation();
    const glm::vec3 left = rotation * glm::vec3(-1, 0, 0);
    const glm::vec3 across = glm::normalize(glm::vec3(left.x, 0.0f, left.z));
    for (float distance = 4.0f; distance < 200.0f; distance += 2.0f) {
        RaycastHit hit;
        const glm::vec3 probe = start + across * distance + glm::vec3(0, 50, 0);
        if (!race.getPhysicsWorld()->raycast(probe, {0, -1, 0}, 200.0f, hit) || hit.point.y < -2.0f) {
            // A little further out, so that the splash is clear of the shore.
            const glm::vec3 drop = start + across * (distance + 12.0f);
            body->teleport({drop.x, 2.5f, drop.z}, rotation);
            body->setLinearVelocity(glm::vec3(0.0f));
            body->setAngularVelocity(glm::vec3(0.0f));
            return;
        }
    }
    ADD_FAILURE() << "no sea found beside the kart";
}

} // namespace

TEST(EffectsPictureTest, BoostFlameSmokeSparksAndASplashUnderTheSky) {
    TW_REQUIRE_DISPLAY();
    TW_REQUIRE_TRACK();
    ScratchGameFolder folder("effects");
    folder.writeConfig(640, 400);
    LogCapture log;
    auto* game = new ScriptedGame(folder.configPath());
    Scene* race = nullptr;
    const auto effects = [&](const char* kart) { return race->findEntity(kart)->getComponent<CarParticles>(); };
    bool flameSeen = false;
    bool boostShot = false;
    float sparksTime = -1.0f;
    float splashTime = -1.0f;
    int splashParticles = 0;

    game->step("race loads", 5.0f, [&] {
        Text* loading = ScriptedGame::text(game->scene("menu"), "loadingText");
        if (loading == nullptr || loading->text != "Press Space to start") {
            return false;
        }
        race = game->scene("game");
        game->tap(GLFW_KEY_SPACE);
        return true;
    });
    game->step("countdown", 7.0f, [&] {
        if (race->findEntity("gameplay")->getComponent<Gameplay>()->state != Gameplay::racing) {
            return false;
        }
        game->press(GLFW_KEY_W);
        game->press(GLFW_KEY_UP);
        return true;
    });
    // Up to speed; then player 1 turns hard and boosts, and player 2 steers
    // into the barrier on its right.
    game->step("boost and sparks", 5.0f, [&] {
        const float t = game->stepTime();
        game->drawViews = t > 1.7f;
        if (t > 2.0f && t < 2.05f) {
            for (int key : {GLFW_KEY_D, GLFW_KEY_E, GLFW_KEY_RIGHT}) {
                game->press(key);
            }
        }
        flameSeen = flameSeen || !effects("P1")->boostFlame->finished;
        if (t > 2.2f && !boostShot) {
            game->shoot("effects_boost.png");
            boostShot = true;
            return false;
        }
        for (const char* kart : {"P1", "P2"}) {
            if (sparksTime < 0.0f && t > 2.0f &&
                !effects(kart)->collisionSparks->getComponent<ParticleSystem>()->finished) {
                sparksTime = game->now();
            }
        }
        if (!boostShot || sparksTime < 0.0f || game->now() - sparksTime <= 0.1f) {
            return false;
        }
        game->shoot("effects_sparks.png");
        for (int key : {GLFW_KEY_D, GLFW_KEY_E, GLFW_KEY_W, GLFW_KEY_UP, GLFW_KEY_RIGHT}) {
            game->release(key);
        }
        return true;
    });
    game->step("settle", 1.0f, [&] {
        game->drawViews = false;
        if (game->stepTime() <= 0.5f) {
            return false;
        }
        dropIntoTheSea(*race);
        game->drawViews = true;
        return true;
    });
    game->step("splash", 2.0f, [&] {
        if (game->stepTime() < 0.1f) {
            // The camera follows to where the kart was put down.
            race->findEntity("cam0")->getComponent<FollowCamera>()->snapToTarget();
        }
        ParticleSystem* splash = effects("P1")->splashBurst;
        if (splashTime < 0.0f && !splash->finished) {
            splashTime = game->now();
        }
        if (splashTime < 0.0f || game->now() - splashTime <= 0.15f) {
            return false;
        }
        splashParticles = splash->liveCount;
        game->shoot("effects_splash.png");
        return true;
    });
    game->step("splash drawn", 1.0f, [&] { return game->stepTime() > 0.1f; });
    const bool finished = game->play();
    delete game;

    EXPECT_TRUE(finished);
    EXPECT_TRUE(flameSeen);
    EXPECT_GT(splashParticles, 0);
    expectNoErrors(log);
}
