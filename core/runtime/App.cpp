// Start-up, main loop and shutdown of the application.
#include "core/runtime/App.h"

#include "core/platform/Log.h"
#include "core/render/Renderer.h"
#include "core/runtime/ConfigFile.h"
#include "core/runtime/Engine.h"
#include "core/runtime/Input.h"


namespace {
constexpr int keyComma = 44;
constexpr int keyFullStop = 46;
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
    config.width = static_cast<int>(reader.GetInteger("window", "width", config.width));
    config.height = static_cast<int>(reader.GetInteger("window", "height", config.height));
    config.title = reader.Get("window", "title", config.title);
    config.fullscreen = reader.GetBoolean("window", "fullscreen", config.fullscreen);
    config.refreshRate = static_cast<int>(reader.GetInteger("window", "refreshRate", config.refreshRate));
    config.assetsDir = reader.Get("dir", "assets", config.assetsDir);
    config.quality = reader.Get("graphics", "quality", config.quality);
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

void App::run() {
    configure();
    readConfig();
    systems = std::make_unique<SystemRegistry>();
    engine = systems->add<Engine>();
    engine->init(config);
    init();
    while (!engine->quit) {
        handleBrightnessKeys();
        engine->update();
    }
}
