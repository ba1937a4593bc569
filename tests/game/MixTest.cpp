// The race's sound as players hear it, rendered sample-exact through the
// loopback device: from Space on the title through the countdown, "Go!", both
// karts driving at full throttle, a boost each and a drop into the sea. No
// sample of the mix may reach full scale; the level and peak of each stretch
// are printed for whoever tunes the mix.
#include "GameHarness.h"

#include "core/physics/RigidBodyDynamic.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "game/RaceFlow.h"
#include "support/TestEngine.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Stretch {
    std::string name;
    double squares = 0.0;
    size_t samples = 0;
    float peak = 0.0f;

    static double decibels(double level) { return 20.0 * std::log10(std::max(level, 1e-9)); }
};

} // namespace

TEST(RaceMixTest, NoSampleClipsFromTheCountdownThroughAStartAtFullThrottle) {
    TW_REQUIRE_DISPLAY();
    ScratchGameFolder folder("mix");
    folder.writeConfig(320, 200);
    auto* game = new ScriptedGame(folder.configPath());
    game->loopbackSound = true;
    Scene* race = nullptr;
    RaceFlow* gameplay = nullptr;
    std::vector<Stretch> stretches;
    float mark = 0.0f;
    const auto begin = [&](const std::string& name) {
        stretches.push_back({name});
        mark = game->now();
    };

    game->everyFrame = [&] {
        const std::vector<float>& mix = game->renderSound(game->frameMs);
        if (!stretches.empty()) {
            Stretch& now = stretches.back();
            for (const float v : mix) {
                now.squares += static_cast<double>(v) * v;
                now.peak = std::max(now.peak, std::abs(v));
            }
            now.samples += mix.size();
        }
    };
    game->titleStep("race loads", 10.0f);
    game->tapStep("Space", {GLFW_KEY_SPACE});
    game->step("race scene", 1.0f, [&] {
        race = game->scene("game");
        gameplay = race->findEntity("gameplay")->getComponent<RaceFlow>();
        begin("music and idling engines");
        return game->current() == race;
    });
    game->step("countdown begins", 3.0f, [&] {
        if (gameplay->state != RaceFlow::countingDown) {
            return false;
        }
        begin("countdown 3, 2, 1");
        return true;
    });
    game->step("Go!", 4.0f, [&] {
        if (gameplay->state != RaceFlow::racing) {
            return false;
        }
        begin("Go! and full throttle");
        game->startDriving();
        return true;
    });
    game->step("driving", 5.0f, [&] { return game->now() - mark > 3.0f; });
    game->step("boosts", 1.0f, [&] {
        game->tap(GLFW_KEY_E);
        game->tap(GLFW_KEY_RIGHT_CONTROL);
        begin("boosts");
        return true;
    });
    game->step("boosting", 3.0f, [&] { return game->now() - mark > 1.5f; });
    game->step("into the sea", 1.0f, [&] {
        // Sunk where it is: the water's check takes it off with a splash.
        auto* body = race->findEntity("P1")->getComponent<RigidBodyDynamic>();
        body->teleport(body->getGlobalPosition() - glm::vec3(0.0f, 8.0f, 0.0f), body->getGlobalRotation());
        begin("splash");
        return true;
    });
    game->step("splashing", 3.0f, [&] { return game->now() - mark > 1.0f; });
    const bool played = game->play();
    delete game;

    ASSERT_TRUE(played);
    ASSERT_EQ(stretches.size(), 5u);
    for (const Stretch& stretch : stretches) {
        const double rms =
            std::sqrt(stretch.squares / static_cast<double>(std::max<size_t>(stretch.samples, 1)));
        std::printf("mix: %-26s RMS %6.1f dBFS, peak %6.1f dBFS\n", stretch.name.c_str(),
                    Stretch::decibels(rms), Stretch::decibels(stretch.peak));
        EXPECT_LT(stretch.peak, 1.0f) << stretch.name << " clips";
        EXPECT_GT(rms, 0.01) << stretch.name << " is nearly silent";
    }
}
