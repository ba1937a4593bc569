// Benchmark of the split-screen race: the real Game at 1280 x 800, Space pressed
// on the title, both karts driven round the track by the tests' race driver.
// First the frame time of the game's own loop (median and 99th percentile), then
// the same frames taken apart step by step, with the GL work of each drawing
// step finished before the next so that it is counted where it was asked for:
// for drawing steps, "submit" is the time spent in our code and the driver's
// calls, "finish" the time the driver still needed to rasterise.
//
// Each step's CPU time (all threads, the driver's rasteriser threads included)
// is printed next to its wall time: on a shared machine it is the steadier figure.
//
// The worst frame of the first five seconds after "Go!" tells whether anything
// was left to compile or upload when the race began.
//
// With --no-effects the particle systems and the sky are switched off once the
// race has loaded, so that two runs tell what the effects cost. --quality picks
// the graphics preset (as config.ini's [graphics] quality; auto by default),
// --render-scale overrides the preset's render scale (0.25 to 1), and
// --no-prepass leaves the depth pre-pass out, so that two runs tell what it saves.
// --steady-clock makes every frame from the start of the race 1/30 s long
// whatever it took, so that two runs end on the same picture (for screenshots
// to compare; the frame times are still measured).
//
// Also counted: heap allocations per frame of the game's loop (through a
// replaced global operator new), GL calls per draw call (the ones that go
// through Graphics), and fragments that pass the depth test in the main pass
// per pixel of the window (an occlusion query): about 1 when each pixel is
// shaded once. The last line sums it all up for scripts/bench.sh.
//
//   race_frame [--frames N] [--width W --height H] [--no-effects] [--quality auto|low|medium|high]
//              [--render-scale S] [--no-prepass] [--steady-clock] [--track FILE]
//              [--screenshot file.png]
//   (--track picks the track, as config.ini's [race] track, e.g. scenes/Dune_Run/Dune_Run.fbx)
//   (needs an X display; the screenshot is the last frame taken apart)
#include "RaceDriver.h"

#include "core/audio/Audio.h"
#include "core/platform/Log.h"
#include "core/render/Graphics.h"
#include "core/render/ParticleSystem.h"
#include "core/render/RenderQuality.h"
#include "core/render/Renderer.h"
#include "core/render/Skybox.h"
#include "core/render/View.h"
#include "core/runtime/Engine.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Event.h"
#include "core/runtime/Input.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/ui/Text.h"
#include "core/ui/UI.h"
#include "game/Car.h"
#include "game/Game.h"
#include "game/RaceFlow.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {
std::atomic<uint64_t> allocationCount{0};
} // namespace

// GCC pairs the inlined free with this new and warns; they do match.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    allocationCount.fetch_add(1, std::memory_order_relaxed);
    if (void* memory = std::malloc(size != 0 ? size : 1)) {
        return memory;
    }
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
#pragma GCC diagnostic pop

namespace {

using Clock = std::chrono::steady_clock;

double ms(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// CPU time of every thread of the process (the driver's rasteriser threads
// included): on a shared machine it moves less with the load than wall time.
double cpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto toMs = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_usec) / 1000.0;
    };
    return toMs(usage.ru_utime) + toMs(usage.ru_stime);
}

// CPU time of the calling thread only (the game's main thread when called from the loop).
double threadCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const auto index = static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

class RaceGame : public Game {
public:
    RaceGame(int frames, bool effects) : measuredFrames(frames), effects(effects) {
        frameTimes.reserve(static_cast<size_t>(frames) + 1);
        frameAllocations.reserve(static_cast<size_t>(frames) + 1);
        this->frames.reserve(static_cast<size_t>(frames) + 1);
    }

    void init() override {
        Game::init();
        subscribe(engine->frameListeners, &hook, &Hook::onFrame);
    }

    struct Hook {
        RaceGame* game;
        void onFrame(float dt) { game->onFrame(dt); }
    };

    void onFrame(float dt) {
        auto* input = systems->get<Input>();
        auto* scenes = systems->get<SceneManager>();
        if (race == nullptr) {
            Scene* menu = scenes->getScene("menu");
            Entity* loading = menu->findEntity("loadingText");
            if (loading->getComponent<Text>()->text == "Press Space to start") {
                race = scenes->getScene("game");
                input->queueKey(GLFW_KEY_SPACE, GLFW_PRESS);
                if (steadyClock) {
                    steadyMs = engine->lastTimeMs;
                    // What the title's frames left behind differs from run to run.
                    engine->fixedAccumulator = 0.0f;
                    engine->time = 0.0f;
                    engine->clock = [this] { return steadyMs += steadyStepMs; };
                }
                if (!effects) {
                    switchEffectsOff();
                }
                if (!prePass) {
                    systems->get<Renderer>()->depthPrePassEnabled = false;
                }
            } else if (loading->getComponent<Text>()->text != "Loading...") {
                std::printf("the race did not load\n");
                engine->quit = true;
            }
            return;
        }
        input->queueKey(GLFW_KEY_SPACE, GLFW_RELEASE);
        auto* gameplay = race->findEntity("gameplay")->getComponent<RaceFlow>();
        if (drivers.empty()) {
            if (gameplay->state != RaceFlow::racing) {
                return;
            }
            drivers.push_back(std::make_unique<RaceDriver>(
                *gameplay, *race->findEntity("P1")->getComponent<Car>(),
                KartKeys{GLFW_KEY_W, GLFW_KEY_S, GLFW_KEY_A, GLFW_KEY_D}, -2.5f));
            drivers.push_back(std::make_unique<RaceDriver>(
                *gameplay, *race->findEntity("P2")->getComponent<Car>(),
                KartKeys{GLFW_KEY_UP, GLFW_KEY_DOWN, GLFW_KEY_LEFT, GLFW_KEY_RIGHT}, 2.5f));
            last = Clock::now();
            lastAllocations = allocationCount.load();
            cpuAtStart = cpuMs();
            lastCpu = cpuAtStart;
            lastMainCpu = threadCpuMs();
            return;
        }
        drive(dt);
        const Clock::time_point now = Clock::now();
        const uint64_t allocations = allocationCount.load();
        frameTimes.push_back(ms(last, now));
        frameAllocations.push_back(static_cast<double>(allocations - lastAllocations));
        // The counters still hold the frame drawn before this one.
        const auto* graphics = systems->get<Graphics>();
        drawCallSum += graphics->drawCalls;
        triangleSum += graphics->triangles;
        const double cpu = cpuMs();
        const double mainCpu = threadCpuMs();
        frames.push_back({frameTimes.back(), cpu - lastCpu, mainCpu - lastMainCpu, graphics->drawCalls,
                          graphics->triangles});
        lastCpu = cpu;
        lastMainCpu = mainCpu;
        lastAllocations = allocations;
        last = now;
        if (static_cast<int>(frameTimes.size()) >= measuredFrames) {
            cpuPerFrame = (cpuMs() - cpuAtStart) / static_cast<double>(frameTimes.size());
            engine->quit = true;
        }
    }

    void drive(float dt) {
        for (auto& driver : drivers) {
            driver->drive(*systems->get<Input>(), dt);
        }
    }

    void switchEffectsOff() {
        for (Component* component : race->getComponents()) {
            if (dynamic_cast<ParticleSystem*>(component) != nullptr ||
                dynamic_cast<Skybox*>(component) != nullptr) {
                component->setEnabled(false);
            }
        }
        systems->get<Renderer>()->skyTexture = nullptr;
    }

    Hook hook{this};
    int measuredFrames;
    bool effects;
    bool prePass = true;
    bool steadyClock = false;
    static constexpr uint32_t steadyStepMs = 33;
    uint32_t steadyMs = 0;
    Scene* race = nullptr;
    std::vector<std::unique_ptr<RaceDriver>> drivers;
    std::vector<double> frameTimes;
    std::vector<double> frameAllocations;
    // What each measured frame did, to tell a slow frame that worked more (CPU
    // time up, or more draws) from one that waited for the machine.
    struct FrameRecord {
        double wallMs;
        double cpuMs;
        double mainThreadCpuMs;
        uint32_t draws;
        uint32_t triangles;
    };
    std::vector<FrameRecord> frames;
    double lastCpu = 0.0;
    double lastMainCpu = 0.0;
    uint64_t lastAllocations = 0;
    uint64_t drawCallSum = 0;
    uint64_t triangleSum = 0;
    double cpuAtStart = 0.0;
    double cpuPerFrame = 0.0;
    Clock::time_point last;
};

// One frame as Engine::update runs it, timed step by step.
class StepTimer {
public:
    void beginFrame() { ++frame; }
    void start() {
        mark = Clock::now();
        cpuMark = cpuMs();
    }
    // A step timed more than once in a frame (once per view) adds up.
    void lap(const std::string& step) {
        const Clock::time_point now = Clock::now();
        const double cpuNow = cpuMs();
        std::vector<double>& times = totals[step];
        std::vector<double>& cpu = cpuTotals[step];
        if (!times.empty() && lastFrame[step] == frame) {
            times.back() += ms(mark, now);
            cpu.back() += cpuNow - cpuMark;
        } else {
            times.push_back(ms(mark, now));
            cpu.push_back(cpuNow - cpuMark);
            lastFrame[step] = frame;
        }
        cpuMark = cpuNow;
        if (std::find(order.begin(), order.end(), step) == order.end()) {
            order.push_back(step);
        }
        mark = now;
    }
    // GL work asked for so far: the submitting step, then the driver's remainder.
    void glLap(const std::string& step) {
        lap(step + " submit");
        glFinish();
        lap(step + " finish");
    }

    std::map<std::string, std::vector<double>> totals;
    // CPU time of all threads in each step: on a shared machine, what a step
    // costs moves less with the load than its wall time.
    std::map<std::string, std::vector<double>> cpuTotals;
    std::vector<std::string> order;

private:
    Clock::time_point mark;
    double cpuMark = 0.0;
    int frame = 0;
    std::map<std::string, int> lastFrame;
};

// Fragments that passed the depth test in the main passes of one frame.
struct FragmentCounter {
    GLuint query = 0;
    double lastSamples = 0.0;
    double counting = 0.0;
    void beginFrame() { counting = 0.0; }
    void begin() {
        if (query == 0) {
            glGenQueries(1, &query);
        }
        glBeginQuery(GL_SAMPLES_PASSED, query);
    }
    void end() { glEndQuery(GL_SAMPLES_PASSED); }
    // After the pass has finished, so that waiting for the count costs no time.
    void read() {
        GLuint64 samples = 0;
        glGetQueryObjectui64v(query, GL_QUERY_RESULT, &samples);
        counting += static_cast<double>(samples);
        lastSamples = counting;
    }
};

void instrumentedFrame(RaceGame& game, StepTimer& timer, float dt, float& accumulator,
                       const std::string& screenshot, FragmentCounter& fragments) {
    SystemRegistry& systems = *game.systems;
    Scene& scene = *systems.get<SceneManager>()->current;
    auto* renderer = systems.get<Renderer>();
    auto* graphics = systems.get<Graphics>();
    auto* ui = systems.get<UI>();
    timer.beginFrame();
    timer.start();
    game.drive(dt);
    systems.get<Input>()->update();
    systems.get<SceneManager>()->update(dt);
    timer.lap("input");
    accumulator += dt;
    while (accumulator >= Engine::fixedStep) {
        accumulator -= Engine::fixedStep;
        scene.fixedUpdate(Engine::fixedStep);
    }
    timer.lap("fixed steps (karts, physics)");
    scene.update(dt);
    scene.lateUpdate(dt);
    timer.lap("update and late update");
    systems.get<Audio>()->update();
    timer.lap("audio");
    graphics->beginFrame();
    renderer->syncViews(scene);
    for (const auto& view : renderer->getViews()) {
        renderer->prepare(*view, scene, dt);
    }
    timer.lap("render: collect, cull, sort");
    // View by view, as the renderer does: the views share the shadow maps.
    fragments.beginFrame();
    for (const auto& view : renderer->getViews()) {
        renderer->renderShadowMaps(*view);
        timer.glLap("render: shadow maps");
        renderer->renderDepthPrePass(*view);
        timer.glLap("render: depth pre-pass");
        fragments.begin();
        renderer->renderMainPass(*view);
        fragments.end();
        timer.glLap("render: main pass");
        fragments.read();
        timer.start();
    }
    renderer->presentViews();
    timer.glLap("render: upscale");
    timer.start();
    ui->update(scene, dt);
    ui->draw();
    timer.glLap("UI");
    if (!screenshot.empty()) {
        graphics->saveScreenshot(screenshot);
        timer.start();
    }
    graphics->endFrame();
    timer.lap("swap");
}

} // namespace

int main(int argc, char** argv) {
    int frames = 300;
    int width = 1280;
    int height = 800;
    std::string screenshot;
    bool effects = true;
    bool prePass = true;
    bool steadyClock = false;
    std::string quality = "auto";
    std::string renderScale = "0";
    std::string track;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--no-effects") {
            effects = false;
        } else if (arg == "--frames" && hasValue) {
            frames = std::max(10, std::atoi(argv[++i]));
        } else if (arg == "--width" && hasValue) {
            width = std::atoi(argv[++i]);
        } else if (arg == "--height" && hasValue) {
            height = std::atoi(argv[++i]);
        } else if (arg == "--screenshot" && hasValue) {
            screenshot = argv[++i];
        } else if (arg == "--quality" && hasValue) {
            quality = argv[++i];
        } else if (arg == "--steady-clock") {
            steadyClock = true;
        } else if (arg == "--no-prepass") {
            prePass = false;
        } else if (arg == "--render-scale" && hasValue) {
            renderScale = argv[++i];
        } else if (arg == "--track" && hasValue) {
            track = argv[++i];
        }
    }
    std::ofstream("race_frame_config.ini")
        << "[window]\nwidth=" << width << "\nheight=" << height << "\n[dir]\nassets=" << TW_ASSETS_DIR
        << "\n[graphics]\nquality=" << quality << "\nrender_scale=" << renderScale << "\n"
        << (track.empty() ? std::string() : "[race]\ntrack=" + track + "\n");
    setLogListener([](LogLevel, const std::string&) {});

    auto* game = new RaceGame(frames, effects);
    game->prePass = prePass;
    game->steadyClock = steadyClock;
    game->configFile = "race_frame_config.ini";
    game->run();
    if (game->frameTimes.empty()) {
        delete game;
        return 1;
    }
    const auto* graphics = game->systems->get<Graphics>();
    const char* preset = renderQualityName(game->systems->get<Renderer>()->getQuality());
    const double medianMs = percentile(game->frameTimes, 0.5);
    const double p99Ms = percentile(game->frameTimes, 0.99);
    double allocations = 0.0;
    for (double count : game->frameAllocations) {
        allocations += count;
    }
    allocations /= static_cast<double>(std::max<size_t>(game->frameAllocations.size(), 1));
    const uint32_t drawCalls = graphics->drawCalls;
    const uint32_t triangles = graphics->triangles;
    const double callsPerDraw =
        static_cast<double>(graphics->glCalls) / std::max(1.0, static_cast<double>(drawCalls));
    std::printf("split-screen race at %d x %d, quality %s, effects %s, %zu frames of the game's loop:\n",
                graphics->width, graphics->height, preset, effects ? "on" : "off", game->frameTimes.size());
    std::printf("  median %.1f ms (%.1f fps), p99 %.1f ms\n", medianMs, 1000.0 / medianMs, p99Ms);
    std::printf("  CPU time per frame, all threads: %.1f ms (mean)\n", game->cpuPerFrame);
    std::printf("  draw calls %u, triangles %u in the last frame\n", drawCalls, triangles);
    const auto measured = static_cast<double>(game->frameTimes.size());
    std::printf("  draw calls %.0f, triangles %.0f per frame on average\n",
                static_cast<double>(game->drawCallSum) / measured,
                static_cast<double>(game->triangleSum) / measured);
    std::printf("  of them state changes %u, attribute pointers %u\n", graphics->stateCalls,
                graphics->attributePointerCalls);
    std::printf("  GL calls per draw call %.2f (%u calls), heap allocations per frame %.2f (max %.0f)\n",
                callsPerDraw, graphics->glCalls, allocations,
                *std::max_element(game->frameAllocations.begin(), game->frameAllocations.end()));
    // Frames are counted from "Go!": a program or texture first needed in the race
    // shows here as one slow frame.
    double elapsed = 0.0;
    double worst = 0.0;
    for (size_t i = 0; i < game->frameTimes.size() && elapsed < 5000.0; ++i) {
        worst = std::max(worst, game->frameTimes[i]);
        elapsed += game->frameTimes[i];
    }
    std::printf("  worst frame of the first %.1f s after Go!: %.1f ms (%.2f times the median)\n",
                elapsed / 1000.0, worst, worst / medianMs);
    // The frames at and above the 99th percentile next to the median frame's
    // figures (the draw counts are those of the frame drawn before).
    std::vector<RaceGame::FrameRecord> slowest;
    for (const RaceGame::FrameRecord& frame : game->frames) {
        if (frame.wallMs >= p99Ms) {
            slowest.push_back(frame);
        }
    }
    std::vector<double> cpuTimes;
    std::vector<double> mainTimes;
    for (const RaceGame::FrameRecord& frame : game->frames) {
        cpuTimes.push_back(frame.cpuMs);
        mainTimes.push_back(frame.mainThreadCpuMs);
    }
    std::printf("  median frame: cpu %.1f ms (main thread %.1f ms)\n", percentile(cpuTimes, 0.5),
                percentile(mainTimes, 0.5));
    for (const RaceGame::FrameRecord& frame : slowest) {
        std::printf("  slow frame: %.1f ms, cpu %.1f ms (main thread %.1f ms), %u draws, %u triangles\n",
                    frame.wallMs, frame.cpuMs, frame.mainThreadCpuMs, frame.draws, frame.triangles);
    }

    StepTimer timer;
    FragmentCounter fragments;
    std::vector<double> fragmentsPerPixel;
    float accumulator = 0.0f;
    Clock::time_point previous = Clock::now();
    const int taken = std::max(10, frames / 3);
    for (int i = 0; i < taken; ++i) {
        const Clock::time_point now = Clock::now();
        const auto dt = steadyClock ? static_cast<float>(RaceGame::steadyStepMs) / 1000.0f
                                    : static_cast<float>(ms(previous, now) / 1000.0);
        previous = now;
        instrumentedFrame(*game, timer, i == 0 ? Engine::fixedStep : dt, accumulator,
                          i + 1 == taken ? screenshot : std::string(), fragments);
        fragmentsPerPixel.push_back(fragments.lastSamples /
                                    std::max(1.0, static_cast<double>(graphics->width) * graphics->height));
    }
    double total = 0.0;
    for (const std::string& step : timer.order) {
        total += percentile(timer.totals[step], 0.5);
    }
    std::printf("where the time goes (median of %d frames, each GL step finished before the next;\n"
                "wall time, share, then CPU time of all threads):\n",
                taken);
    for (const std::string& step : timer.order) {
        const double median = percentile(timer.totals[step], 0.5);
        std::printf("  %-36s %7.2f ms  %5.1f %%  cpu %7.2f ms\n", step.c_str(), median,
                    100.0 * median / total, percentile(timer.cpuTotals[step], 0.5));
    }
    std::printf("  %-36s %7.2f ms\n", "sum of medians", total);
    const double shaded = percentile(fragmentsPerPixel, 0.5);
    std::printf("main pass: %.2f fragments pass the depth test per window pixel (median)\n", shaded);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    std::printf("peak resident memory %.0f MB\n", peakMb);
    std::printf(
        "RESULT quality=%s fps=%.1f median_ms=%.1f p99_ms=%.1f draws=%u triangles=%u calls_per_draw=%.2f "
        "allocs_per_frame=%.2f fragments_per_pixel=%.2f peak_mb=%.0f cpu_ms_per_frame=%.1f\n",
        preset, 1000.0 / medianMs, medianMs, p99Ms, drawCalls, triangles, callsPerDraw, allocations, shaded,
        peakMb, game->cpuPerFrame);
    delete game;
    setLogListener(nullptr);
    return 0;
}
