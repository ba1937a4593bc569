// A steady race frame allocates nothing: the real Game through its own loop,
// both karts driven round the track and both 3D views drawn, with the global
// operator new of this executable replaced by one that counts. Allocations are
// counted over frames well after "Go!", once every program, emitter and list
// has been made and has reached its working size.
#include "../game/GameHarness.h"
#include "../game/RaceDriver.h"

#include "core/render/RenderQuality.h"
#include "core/render/Renderer.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Input.h"
#include "core/runtime/Scene.h"
#include "core/ui/Text.h"
#include "game/Car.h"
#include "game/RaceFlow.h"
#include "support/TestEngine.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <vector>

namespace {
std::atomic<uint64_t> allocations{0};
} // namespace

// GCC pairs the inlined free with this new and warns; they do match.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* memory = std::malloc(size != 0 ? size : 1)) {
        return memory;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}
#pragma GCC diagnostic pop

namespace {

// Frames before counting starts: the script turns the views' drawing on at
// "Go!", so its first frames do what the game does in the countdown (the
// first draw of each program and list). From then on a lengthening timer, a
// key first pressed or an emitter's first burst must find room made at load.
constexpr int warmFrames = 10;
constexpr int countedFrames = 140;

void raceAndCount(const std::string& quality) {
    ScratchGameFolder folder("alloc_" + quality);
    std::ofstream(folder.configPath())
        << "[window]\nwidth=480\nheight=320\n[dir]\nassets=" << folder.assets.string()
        << "/\n[graphics]\nquality=" << quality << "\n";
    auto* game = new ScriptedGame(folder.configPath());
    Scene* race = nullptr;
    RaceFlow* flow = nullptr;
    std::vector<RaceDriver> drivers;
    drivers.reserve(2);
    int frame = 0;
    std::vector<uint64_t> perFrame;
    perFrame.reserve(countedFrames);
    uint64_t last = 0;
    game->everyFrame = [&] {
        for (RaceDriver& driver : drivers) {
            driver.drive(*game->systems->get<Input>(), static_cast<float>(game->frameMs) / 1000.0f);
        }
    };
    game->step("race loads", 20.0f, [&] {
        Text* loading = ScriptedGame::text(game->scene("menu"), "loadingText");
        if (loading == nullptr || loading->text != "Press Space to start") {
            return false;
        }
        race = game->scene("game");
        flow = race->findEntity("gameplay")->getComponent<RaceFlow>();
        game->tap(GLFW_KEY_SPACE);
        return true;
    });
    game->step("countdown", 10.0f,
               [&] { return game->current() == race && flow->state == RaceFlow::racing; });
    game->step("karts drive, views drawn", 1.0f, [&] {
        for (int player = 0; player < 2; ++player) {
            Car* kart = race->findEntity(player == 0 ? "P1" : "P2")->getComponent<Car>();
            drivers.emplace_back(*flow, *kart, RaceDriver::playerKeys(player), player == 0 ? -2.5f : 2.5f);
        }
        game->drawViews = true;
        game->frameMs = 33;
        return true;
    });
    game->step("steady frames", 120.0f, [&] {
        ++frame;
        const uint64_t now = allocations.load(std::memory_order_relaxed);
        if (frame > warmFrames) {
            perFrame.push_back(now - last);
        }
        last = now;
        return frame >= warmFrames + countedFrames;
    });
    const bool finished = game->play();
    const std::string chosen = renderQualityName(game->systems->get<Renderer>()->getQuality());
    delete game;
    ASSERT_TRUE(finished);
    EXPECT_EQ(chosen, quality);
    ASSERT_EQ(perFrame.size(), static_cast<size_t>(countedFrames));
    uint64_t total = 0;
    std::string frames;
    for (size_t i = 0; i < perFrame.size(); ++i) {
        total += perFrame[i];
        if (perFrame[i] != 0) {
            frames += " " + std::to_string(i) + ":" + std::to_string(perFrame[i]);
        }
    }
    EXPECT_EQ(total, 0u) << "allocations in " << countedFrames << " steady frames at " << quality
                         << " (frame:count)" << frames;
}

} // namespace

// Low and high between them take every path of the frame: shadow maps, the
// depth pre-pass, the offscreen picture and its upscale.
TEST(SteadyFrameAllocation, ARaceFrameAllocatesNothingAtLowOrHigh) {
    TW_REQUIRE_DISPLAY();
    if (!std::filesystem::exists(std::string(TW_ASSETS_DIR) + "scenes/Track_01_LM.fbx")) {
        GTEST_SKIP() << "the track has not been generated (build the assets target)";
    }
    raceAndCount("low");
    raceAndCount("high");
}
