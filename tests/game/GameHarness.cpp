// See GameHarness.h.
#include "GameHarness.h"

#include "core/render/Graphics.h"
#include "core/runtime/Engine.h"
#include "core/runtime/Event.h"

#include <unistd.h>

#include <fstream>

namespace fs = std::filesystem;

ScratchGameFolder::ScratchGameFolder(const std::string& tag) {
    dir = fs::temp_directory_path() / ("torquewind_" + tag + "_" + std::to_string(getpid()));
    fs::remove_all(dir);
    assets = dir / "assets";
    fs::create_directories(assets);
    for (const auto& entry : fs::directory_iterator(TW_ASSETS_DIR)) {
        fs::create_symlink(entry.path(), assets / entry.path().filename());
    }
}

ScratchGameFolder::~ScratchGameFolder() {
    std::error_code ignored;
    fs::remove_all(dir, ignored);
}

fs::path ScratchGameFolder::unlinkParents(const std::string& relative) {
    fs::path at = assets;
    const fs::path parent = fs::path(relative).parent_path();
    for (const fs::path& part : parent) {
        at /= part;
        if (fs::is_symlink(at)) {
            const fs::path target = fs::read_symlink(at);
            fs::remove(at);
            fs::create_directory(at);
            for (const auto& entry : fs::directory_iterator(target)) {
                fs::create_symlink(entry.path(), at / entry.path().filename());
            }
        }
    }
    return assets / relative;
}

void ScratchGameFolder::writeAsset(const std::string& relative, const std::string& content) {
    const fs::path path = unlinkParents(relative);
    fs::remove(path);
    std::ofstream(path) << content;
}

void ScratchGameFolder::removeAsset(const std::string& relative) { fs::remove(unlinkParents(relative)); }

void ScratchGameFolder::writeConfig(int width, int height) const {
    std::ofstream(configPath()) << "[window]\nwidth=" << width << "\nheight=" << height << "\n[dir]\nassets="
                                << assets.string() << "/\n";
}

ScriptedGame::ScriptedGame(const fs::path& configPath, Script script) : script(std::move(script)) {
    configFile = configPath.string();
}

void ScriptedGame::init() {
    Game::init();
    engine->clock = [this] { return clockMs; };
    subscribe(engine->frameListeners, &hook, &Hook::onFrame);
    if (Graphics* graphics = systems->get<Graphics>()) {
        subscribe(graphics->beforeSwap, &hook, &Hook::beforeSwap);
    }
}

void ScriptedGame::Hook::beforeSwap() {
    if (!game->screenshotPath.empty()) {
        game->screenshotSaved = game->systems->get<Graphics>()->saveScreenshot(game->screenshotPath);
        game->screenshotPath.clear();
    }
}

void ScriptedGame::Hook::onFrame(float) {
    game->frames += 1;
    game->clockMs += game->frameMs;
    if (game->script) {
        game->script(*game);
    }
}
