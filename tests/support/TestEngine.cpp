// Test engine set-up.
#include "support/TestEngine.h"

#include <cstdlib>

bool hasDisplay() {
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && display[0] != '\0';
}

Config testConfig(int width, int height) {
    Config config;
    config.title = "Torquewind test";
    config.width = width;
    config.height = height;
    config.assetsDir = TW_ASSETS_DIR;
    // The tests drive the renderer's passes one at a time and read the window.
    config.windowDepth = true;
    return config;
}

TestEngine::TestEngine(Config config, bool withSystems) : systems(std::make_unique<SystemRegistry>()) {
    engine = systems->add<Engine>();
    engine->clock = [this] { return clockMs; };
    if (withSystems) {
        engine->init(config);
    } else {
        engine->config = config;
    }
}

TestEngine::~TestEngine() {
    systems.reset();
}

void TestEngine::frame(uint32_t frameMs) {
    if (engine->lastTimeMs != 0) {
        clockMs += frameMs;
    }
    engine->update();
}

void TestEngine::runFor(float seconds, uint32_t frameMs) {
    const auto frames = static_cast<int>(seconds * 1000.0f / static_cast<float>(frameMs) + 0.5f);
    for (int i = 0; i < frames; ++i) {
        frame(frameMs);
    }
}
