// Soak benchmark: the real Game races restart after restart, both karts driven by
// the tests' race driver, for a given number of minutes. Every minute it prints
// the resident set and the GL objects alive, and at the end of each race the
// resident set; at the end, how both grew from the end of the first race to the
// end of the last, both taken at the same moment of a race. Every second restart
// goes back to the title (Q) and in again (Space); the others restart from the
// pause screen (P, Space), as a player does.
//
//   race_soak [--minutes N] [--race-seconds S] [--width W --height H] [--quality auto|low|medium|high]
//   (needs an X display; run it niced on a shared machine)
#include "ProcessStats.h"
#include "RaceDriver.h"

#include "core/platform/Log.h"
#include "core/runtime/Engine.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Event.h"
#include "core/runtime/Input.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/ui/Text.h"
#include "game/Car.h"
#include "game/Game.h"
#include "game/RaceFlow.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

struct Sample {
    double minute;
    double residentMb;
    processStats::GlObjects gl;
    int races;
};

class SoakGame : public Game {
public:
    SoakGame(double minutes, double raceSeconds) : minutes(minutes), raceSeconds(raceSeconds) {}

    void init() override {
        Game::init();
        subscribe(engine->frameListeners, &hook, &Hook::onFrame);
        started = Clock::now();
    }

    struct Hook {
        SoakGame* game;
        void onFrame(float dt) { game->onFrame(dt); }
    };

    // Pressed now, released a frame later: a press and a release read in the same
    // frame would be lost.
    void tap(int key) {
        systems->get<Input>()->queueKey(key, GLFW_PRESS);
        releaseNext.push_back(key);
    }

    void onFrame(float dt) {
        auto* scenes = systems->get<SceneManager>();
        for (int key : releaseNext) {
            systems->get<Input>()->queueKey(key, GLFW_RELEASE);
        }
        releaseNext.clear();
        const Clock::time_point now = Clock::now();
        if (seconds(started, now) >= 60.0 * static_cast<double>(samples.size())) {
            sample(now);
        }
        if (seconds(started, now) >= 60.0 * minutes) {
            engine->quit = true;
            return;
        }
        if (race == nullptr || scenes->current != race) {
            // On the title: wait for the track, then go in.
            Text* prompt = scenes->getScene("menu")->findEntity("loadingText")->getComponent<Text>();
            if (prompt->text == "Press Space to start") {
                race = scenes->getScene("game");
                // Every few frames, so that each tap is seen whole.
                if (++titleFrames % 4 == 0) {
                    tap(GLFW_KEY_SPACE);
                }
                drivers.clear();
            } else if (prompt->text != "Loading...") {
                std::printf("the race did not load\n");
                engine->quit = true;
            }
            return;
        }
        auto* gameplay = race->findEntity("gameplay")->getComponent<RaceFlow>();
        if (drivers.empty()) {
            if (gameplay->state != RaceFlow::racing) {
                return;
            }
            for (int player = 0; player < 2; ++player) {
                drivers.push_back(std::make_unique<RaceDriver>(
                    *gameplay, *race->findEntity(player == 0 ? "P1" : "P2")->getComponent<Car>(),
                    RaceDriver::playerKeys(player), player == 0 ? -2.5f : 2.5f));
            }
            raceStart = now;
            return;
        }
        if (pausePending) {
            pausePending = false;
            tap(GLFW_KEY_SPACE);
            drivers.clear();
            return;
        }
        for (auto& driver : drivers) {
            driver->drive(*systems->get<Input>(), dt);
        }
        if (seconds(raceStart, now) >= raceSeconds || gameplay->state == RaceFlow::raceOver) {
            for (auto& driver : drivers) {
                driver->release(*systems->get<Input>());
            }
            ++races;
            // Taken at the same point of every race, so that the first and the
            // last compare like with like.
            lastRaceEnd = Sample{seconds(started, now) / 60.0, processStats::residentMegabytes(),
                                 processStats::liveGlObjects(), races};
            if (races == 1) {
                firstRaceEnd = lastRaceEnd;
            }
            const processStats::HeapUse heap = processStats::heapUse();
            std::printf(
                "race %d ended at minute %.1f: resident %.1f MB (heap %.1f MB in use, %.1f MB free)\n", races,
                lastRaceEnd.minute, lastRaceEnd.residentMb, heap.inUseMb, heap.freeMb);
            std::fflush(stdout);
            if (races % 2 == 0) {
                tap(GLFW_KEY_Q);
                drivers.clear();
            } else {
                tap(GLFW_KEY_P);
                pausePending = true;
            }
        }
    }

    void sample(Clock::time_point now) {
        Sample s{seconds(started, now) / 60.0, processStats::residentMegabytes(),
                 processStats::liveGlObjects(), races};
        std::printf("minute %4.1f: resident %7.1f MB (peak %7.1f), GL objects %5d (textures %d, buffers %d, "
                    "programs %d, shaders %d, framebuffers %d, vertex arrays %d), %d races\n",
                    s.minute, s.residentMb, processStats::peakResidentMegabytes(), s.gl.total(),
                    s.gl.textures, s.gl.buffers, s.gl.programs, s.gl.shaders, s.gl.framebuffers,
                    s.gl.vertexArrays, s.races);
        std::fflush(stdout);
        samples.push_back(s);
    }

    Hook hook{this};
    double minutes;
    double raceSeconds;
    Clock::time_point started;
    Clock::time_point raceStart;
    Scene* race = nullptr;
    std::vector<std::unique_ptr<RaceDriver>> drivers;
    bool pausePending = false;
    std::vector<int> releaseNext;
    int titleFrames = 0;
    int races = 0;
    std::vector<Sample> samples;
    Sample firstRaceEnd{};
    Sample lastRaceEnd{};
};

} // namespace

int main(int argc, char** argv) {
    double minutes = 1.0;
    double raceSeconds = 40.0;
    int width = 640;
    int height = 400;
    std::string quality = "auto";
    for (int i = 1; i + 1 < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--minutes") {
            minutes = std::max(0.1, std::atof(argv[++i]));
        } else if (arg == "--race-seconds") {
            raceSeconds = std::max(5.0, std::atof(argv[++i]));
        } else if (arg == "--width") {
            width = std::atoi(argv[++i]);
        } else if (arg == "--height") {
            height = std::atoi(argv[++i]);
        } else if (arg == "--quality") {
            quality = argv[++i];
        }
    }
    std::ofstream("race_soak_config.ini")
        << "[window]\nwidth=" << width << "\nheight=" << height << "\n[graphics]\nquality=" << quality
        << "\n[dir]\nassets=" << TW_ASSETS_DIR << "\n";
    setLogListener([](LogLevel, const std::string&) {});

    auto* game = new SoakGame(minutes, raceSeconds);
    game->configFile = "race_soak_config.ini";
    game->run();
    game->sample(Clock::now());
    const Sample& first = game->firstRaceEnd;
    const Sample& last = game->lastRaceEnd;
    if (last.races >= 2) {
        std::printf("after the first race (its end at minute %.1f to the end of race %d at minute %.1f): "
                    "resident %+.1f MB (%.1f to %.1f), GL objects %+d\n",
                    first.minute, last.races, last.minute, last.residentMb - first.residentMb,
                    first.residentMb, last.residentMb, last.gl.total() - first.gl.total());
    } else {
        std::printf("too short to measure growth after the first race (%d races)\n", game->races);
    }
    delete game;
    setLogListener(nullptr);
    return 0;
}
