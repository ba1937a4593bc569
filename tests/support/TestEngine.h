// A real engine for tests: the registry, every system and (with a display) a
// small window, driven frame by frame with chosen clock readings.
#pragma once

#include "core/runtime/Config.h"
#include "core/runtime/Engine.h"
#include "core/runtime/SystemRegistry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

// GL tests skip, with the reason, when there is no X display to open a window on.
#define TW_REQUIRE_DISPLAY()                                                                                 \
    do {                                                                                                     \
        if (!::hasDisplay()) {                                                                               \
            GTEST_SKIP() << "X11: The DISPLAY environment variable is missing";                              \
        }                                                                                                    \
    } while (false)

bool hasDisplay();

Config testConfig(int width = 320, int height = 200);

class TestEngine {
public:
    explicit TestEngine(Config config = testConfig(), bool withSystems = true);
    ~TestEngine();

    template <typename T> T* get() const { return systems->get<T>(); }

    // Runs one frame whose length is frameMs milliseconds of the driven clock.
    void frame(uint32_t frameMs = 16);
    // Runs frames of frameMs until seconds of driven time have passed.
    void runFor(float seconds, uint32_t frameMs = 16);

    std::unique_ptr<SystemRegistry> systems;
    Engine* engine = nullptr;
    uint32_t clockMs = 100000;
};
