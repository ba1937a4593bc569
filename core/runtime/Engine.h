// The engine system: holds the settings, creates every other system in a fixed
// order and runs one frame per update(): clock, input, scene transition, early
// update, fixed steps, update, late update, audio, rendering, UI, buffer swap,
// fps count and, every few seconds, the heap's upkeep.
#pragma once

#include "core/runtime/Config.h"
#include "core/runtime/Event.h"
#include "core/runtime/System.h"

#include <cstdint>
#include <functional>

class Engine : public System {
public:
    explicit Engine(SystemRegistry* systems);
    ~Engine() override;

    void init(Config config);
    void update();

    // The millisecond clock the frame reads; tests drive frames with chosen readings.
    std::function<uint32_t()> clock;

    Event<> secondListeners;
    Event<float> frameListeners;
    Event<float> fixedListeners;
    bool quit = false;
    int32_t fps = 0;
    Config config;
    float time = 0.0f;
    uint32_t lastTimeMs = 0;
    float fixedAccumulator = 0.0f;
    // Scales the frame time fed to the fixed steps (a replay's x0.25 to x4): more
    // or fewer steps per frame, each still exactly fixedStep long.
    float stepRate = 1.0f;
    uint32_t frameCount = 0;
    uint32_t fpsFrameCount = 0;
    float fpsTimer = 0.0f;

    // Seconds between two trims of the heap while frames run (see keepHeapLean).
    float heapTrimTimer = 0.0f;

    static constexpr float fixedStep = 1.0f / 60.0f;
    static constexpr uint32_t firstFrameMs = 16;

private:
    float advanceClock();
    void runScene(float dt);
    void render(float dt);
    void countFps(float dt);
    void keepHeapLean(float dt);
};
