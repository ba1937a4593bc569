// Benchmark of the title screen's loading: the real Game from the frame that shows
// "Loading..." to the frame that shows "Press Space to start", run several times,
// then the loading task's parts on their own (track import, track conventions
// and karts, the rest of the race scene, compiling its programs). The first run also reports the
// resident set once the race is loaded and its peak so far (later runs share
// the process, so only the first one's numbers mean anything).
//
//   race_load [--runs N] [--track FILE]
//   (needs an X display; assets from the source tree; --runs 0 times only the
//   parts, in a fresh process; --track picks the track the runs load, as
//   config.ini's [race] track, e.g. scenes/Dune_Run/Dune_Run.fbx; the parts are
//   always the default track's)
#include "ProcessStats.h"

#include "core/platform/Log.h"
#include "core/render/Renderer.h"
#include "core/resources/ResourceLoader.h"
#include "core/runtime/Engine.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Event.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/ui/Text.h"
#include "game/Game.h"
#include "game/GameAssets.h"
#include "game/GameConfig.h"
#include "game/RaceScene.h"
#include "game/RaceSetup.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// CPU seconds used by the whole process (all threads) so far: on a shared,
// busy machine the wall time says more about the neighbours than about us.
double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The game, watched at the end of each frame.
class TimedGame : public Game {
public:
    void init() override {
        Game::init();
        subscribe(engine->frameListeners, &watcher, &Watcher::onFrame);
    }

    struct Watcher {
        TimedGame* game;
        void onFrame(float) {
            Scene* menu = game->systems->get<SceneManager>()->getScene("menu");
            Entity* entity = menu != nullptr ? menu->findEntity("loadingText") : nullptr;
            const Text* text = entity != nullptr ? entity->getComponent<Text>() : nullptr;
            if (text == nullptr) {
                return;
            }
            const Clock::time_point now = Clock::now();
            if (text->text == "Loading..." && game->loadingShown == Clock::time_point{}) {
                game->loadingShown = now;
                game->loadingCpu = cpuSeconds();
            } else if (text->text != "Loading...") {
                game->loaded = now;
                game->loadedCpu = cpuSeconds();
                game->result = text->text;
                game->residentMb = processStats::residentMegabytes();
                game->peakMb = processStats::peakResidentMegabytes();
                game->engine->quit = true;
            }
        }
    };

    Watcher watcher{this};
    Clock::time_point loadingShown{};
    Clock::time_point loaded{};
    double loadingCpu = 0.0;
    double loadedCpu = 0.0;
    double residentMb = 0.0;
    double peakMb = 0.0;
    std::string result;
};

} // namespace

int main(int argc, char** argv) {
    int runs = 3;
    std::string track;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--runs") {
            runs = std::max(0, std::atoi(argv[i + 1]));
        } else if (std::string(argv[i]) == "--track") {
            track = argv[i + 1];
        }
    }
    std::ofstream("race_load_config.ini")
        << "[window]\nwidth=1280\nheight=800\n[dir]\nassets=" << TW_ASSETS_DIR << "\n"
        << (track.empty() ? std::string() : "[race]\ntrack=" + track + "\n");
    setLogListener([](LogLevel, const std::string&) {});

    std::vector<double> times;
    std::vector<double> cpuTimes;
    for (int run = 0; run < runs; ++run) {
        auto* game = new TimedGame();
        game->configFile = "race_load_config.ini";
        game->run();
        const double loadTime = seconds(game->loadingShown, game->loaded);
        const double cpuTime = game->loadedCpu - game->loadingCpu;
        std::printf("run %d: \"Loading...\" to \"%s\": %.3f s (%.3f s of CPU)\n", run + 1,
                    game->result.c_str(), loadTime, cpuTime);
        if (run == 0) {
            std::printf("memory once loaded: resident %.1f MB, peak %.1f MB\n", game->residentMb,
                        game->peakMb);
        }
        times.push_back(loadTime);
        cpuTimes.push_back(cpuTime);
        delete game;
    }
    std::sort(times.begin(), times.end());
    std::sort(cpuTimes.begin(), cpuTimes.end());
    if (runs > 0) {
        std::printf("median load: %.3f s wall, %.3f s CPU over %d runs\n", times[times.size() / 2],
                    cpuTimes[cpuTimes.size() / 2], runs);
    }

    // The loading task's parts, in a game whose title scene is up.
    struct Parts : Game {
        void init() override {
            Game::init();
            auto* scenes = systems->get<SceneManager>();
            const double titleMb = processStats::residentMegabytes();
            const Clock::time_point begin = Clock::now();
            const double beginCpu = cpuSeconds();
            Scene* scene = scenes->createScene("game");
            registerWaterMaterial(systems.get());
            scene->leftOutNodes = unusedKartNodes(defaultRaceSetup(readGameConfig(systems.get()).numLaps));
            systems->get<ResourceLoader>()->importScene(*scene, raceTrackPath);
            const Clock::time_point imported = Clock::now();
            const double importedCpu = cpuSeconds();
            const double importedMb = processStats::residentMegabytes();
            const bool built = buildRaceScene(*scene);
            const Clock::time_point done = Clock::now();
            const double doneCpu = cpuSeconds();
            const double builtMb = processStats::residentMegabytes();
            systems->get<Renderer>()->precompile(*scene);
            const Clock::time_point compiled = Clock::now();
            const double compiledCpu = cpuSeconds();
            const double compiledMb = processStats::residentMegabytes();
            std::printf("track import: %.3f s (%.3f s CPU), race scene build: %.3f s (%.3f s CPU) (%s), "
                        "programs: %.3f s (%.3f s CPU)\n",
                        seconds(begin, imported), importedCpu - beginCpu, seconds(imported, done),
                        doneCpu - importedCpu, built ? "built" : "failed", seconds(done, compiled),
                        compiledCpu - doneCpu);
            std::printf("resident: %.1f MB on the title, %.1f MB imported, %.1f MB built, %.1f MB compiled\n",
                        titleMb, importedMb, builtMb, compiledMb);
            engine->quit = true;
        }
    };
    auto* parts = new Parts();
    parts->configFile = "race_load_config.ini";
    parts->run();
    delete parts;
    setLogListener(nullptr);
    return 0;
}
