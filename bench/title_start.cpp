// Benchmark of start-up: launches the real Game as a fresh process several times
// and reports, for each launch, the time from the process's start to the first
// title frame being handed to the swap (and the CPU time spent by then), and to
// the race being loaded behind it ("Press Space to start"), with the resident
// set at both moments. Then the empty-window baseline: the game started on an
// empty assets folder (window, GL context, libraries and the fallback font,
// nothing loaded), whose peak resident set the race's memory is measured against.
//
//   title_start [--runs N]       (needs an X display; assets from the source tree)
#include "ProcessStats.h"

#include "core/platform/Log.h"
#include "core/render/Graphics.h"
#include "core/runtime/Engine.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Event.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/ui/Text.h"
#include "game/Game.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// CPU seconds used by the whole process (all threads) so far: on a shared, busy
// machine the wall time says more about the neighbours than about us.
double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Seconds since this process started, from the kernel's start time (in clock
// ticks since boot) and the boot-time clock.
double secondsSinceProcessStart() {
    std::ifstream stat("/proc/self/stat");
    std::string line;
    std::getline(stat, line);
    // Field 22; the command name (field 2) may hold spaces, so count after its ')'.
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
    }
    const double startTicks = std::atof(field.c_str());
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9 -
           startTicks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

class StartGame : public Game {
public:
    void init() override {
        Game::init();
        subscribe(systems->get<Graphics>()->beforeSwap, &hook, &Hook::beforeSwap);
        subscribe(engine->frameListeners, &hook, &Hook::onFrame);
    }

    struct Hook {
        StartGame* game;
        void beforeSwap() {
            if (game->firstFrame == 0.0) {
                game->firstFrame = secondsSinceProcessStart();
                game->firstFrameCpu = cpuSeconds();
                game->firstFrameMb = processStats::residentMegabytes();
            }
        }
        void onFrame(float) {
            if (game->framesLeft >= 0) {
                game->engine->quit = --game->framesLeft <= 0;
                return;
            }
            Scene* menu = game->systems->get<SceneManager>()->getScene("menu");
            Entity* entity = menu != nullptr ? menu->findEntity("loadingText") : nullptr;
            const Text* text = entity != nullptr ? entity->getComponent<Text>() : nullptr;
            if (text != nullptr && text->text != "Loading...") {
                game->loaded = secondsSinceProcessStart();
                game->loadedMb = processStats::residentMegabytes();
                game->engine->quit = true;
            }
        }
    };

    Hook hook{this};
    // Set for the baseline: the game quits after this many frames.
    int framesLeft = -1;
    double firstFrame = 0.0;
    double firstFrameCpu = 0.0;
    double loaded = 0.0;
    double firstFrameMb = 0.0;
    double loadedMb = 0.0;
};

// Frames the baseline runs: long enough for the title's first frames and whatever
// the game does when it finds nothing to load.
constexpr int baselineFrames = 60;

int child(bool empty) {
    setLogListener([](LogLevel, const std::string&) {});
    auto* game = new StartGame();
    game->configFile = empty ? "title_start_empty.ini" : "title_start_config.ini";
    game->framesLeft = empty ? baselineFrames : -1;
    game->run();
    // On stderr: the game's log lines take stdout.
    std::fprintf(stderr, "%.4f %.4f %.4f %.1f %.1f %.1f\n", game->firstFrame, game->firstFrameCpu,
                 game->loaded, game->firstFrameMb, game->loadedMb, processStats::peakResidentMegabytes());
    delete game;
    setLogListener(nullptr);
    return 0;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    int runs = 5;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--child" || arg == "--empty-child") {
            return child(arg == "--empty-child");
        }
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        }
    }
    std::ofstream("title_start_config.ini")
        << "[window]\nwidth=1280\nheight=800\n[dir]\nassets=" << TW_ASSETS_DIR << "\n";
    std::vector<double> firstFrames, firstCpus, loads, peaks;
    for (int run = 0; run < runs; ++run) {
        const std::string command = "\"" + std::string(argv[0]) + "\" --child 2>&1 >/dev/null";
        FILE* pipe = popen(command.c_str(), "r");
        double firstFrame = 0.0, firstCpu = 0.0, loaded = 0.0, firstMb = 0.0, loadedMb = 0.0, peakMb = 0.0;
        const int read = pipe != nullptr ? std::fscanf(pipe, "%lf %lf %lf %lf %lf %lf", &firstFrame,
                                                       &firstCpu, &loaded, &firstMb, &loadedMb, &peakMb)
                                         : 0;
        if (pipe != nullptr) {
            pclose(pipe);
        }
        if (read != 6) {
            std::printf("run %d: the game did not report\n", run + 1);
            continue;
        }
        std::printf("run %d: first title frame %.3f s (%.3f s of CPU, resident %.1f MB), race loaded %.3f s "
                    "(resident "
                    "%.1f MB, peak %.1f MB)\n",
                    run + 1, firstFrame, firstCpu, firstMb, loaded, loadedMb, peakMb);
        firstFrames.push_back(firstFrame);
        firstCpus.push_back(firstCpu);
        loads.push_back(loaded);
        peaks.push_back(peakMb);
    }
    std::printf(
        "median of %zu launches: first title frame %.3f s (%.3f s of CPU), race loaded %.3f s, peak resident "
        "%.1f MB\n",
        firstFrames.size(), median(firstFrames), median(firstCpus), median(loads), median(peaks));

    char folder[] = "/tmp/title_start_emptyXXXXXX";
    if (mkdtemp(folder) == nullptr) {
        return 0;
    }
    std::ofstream("title_start_empty.ini")
        << "[window]\nwidth=1280\nheight=800\n[dir]\nassets=" << folder << "/\n";
    std::vector<double> baselines;
    for (int run = 0; run < runs; ++run) {
        const std::string command = "\"" + std::string(argv[0]) + "\" --empty-child 2>&1 >/dev/null";
        FILE* pipe = popen(command.c_str(), "r");
        double values[6] = {};
        const int read = pipe != nullptr
                             ? std::fscanf(pipe, "%lf %lf %lf %lf %lf %lf", &values[0], &values[1],
                                           &values[2], &values[3], &values[4], &values[5])
                             : 0;
        if (pipe != nullptr) {
            pclose(pipe);
        }
        if (read == 6) {
            baselines.push_back(values[5]);
        }
    }
    rmdir(folder);
    std::printf(
        "empty-window baseline (empty assets folder, %d frames): peak resident %.1f MB, median of %zu\n",
        baselineFrames, median(baselines), baselines.size());
    return 0;
}
