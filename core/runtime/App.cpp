// Start-up, main loop and shutdown of the application.
#include "core/runtime/App.h"

#include "core/platform/Log.h"
#include "core/render/Graphics.h"
#include "core/render/Renderer.h"
#include "core/runtime/ConfigFile.h"
#include "core/runtime/Engine.h"
#include "core/runtime/Input.h"

namespace {
constexpr int keyComma = 44;
constexpr int keyFullStop = 46;
constexpr int keyEnter = 257;
constexpr int keyF11 = 300;
constexpr int keyLeftAlt = 342;
constexpr int keyRightAlt = 346;
constexpr float brightnessStep = 0.1f;
} // namespace

App::App() = default;

App::~App() {
    if (engine != nullptr) {
        engine->quit = true;
    }
    logInfo("App::~");
    systems.reset();
    engine = nullptr;
}

void App::readConfig() {
    const ConfigFile reader(configFile);
    if (reader.missing()) {
        logWarning("Failed to load config file: ", configFile);
        return;
    }
    config.read(reader);
}

void App::handleBrightnessKeys() {
    Input* input = systems->get<Input>();
    Renderer* renderer = systems->get<Renderer>();
    if (input == nullptr || renderer == nullptr) {
        return;
    }
    if (input->getKey(keyFullStop) == KeyState::Pressed) {
        renderer->brightness += brightnessStep;
    } else if (input->getKey(keyComma) == KeyState::Pressed) {
        renderer->brightness -= brightnessStep;
    }
}

void App::handleFullscreenKeys() {
    Input* input = systems->get<Input>();
    Graphics* graphics = systems->get<Graphics>();
    if (input == nullptr || graphics == nullptr) {
        return;
    }
    const bool alt = input->isKeyDown(keyLeftAlt) || input->isKeyDown(keyRightAlt);
    if (input->getKey(keyF11) == KeyState::Pressed || (alt && input->getKey(keyEnter) == KeyState::Pressed)) {
        graphics->toggleFullscreen();
    }
}

int App::run() {
    configure();
    readConfig();
    systems = std::make_unique<SystemRegistry>();
    engine = systems->add<Engine>();
    engine->init(config);
    const Graphics* graphics = systems->get<Graphics>();
    if (graphics == nullptr || !graphics->hasWindow()) {
        // Nothing could ever close a loop without a window: say why and stop.
        const std::string reason = Graphics::failureReason();
        logError("Cannot run without an OpenGL 4.3 window", reason.empty() ? "" : ": ", reason);
        return 1;
    }
    init();
    while (!engine->quit) {
        handleBrightnessKeys();
        handleFullscreenKeys();
        engine->update();
    }
    return 0;
}
