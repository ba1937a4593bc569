// The application base: reads config.ini, creates the systems registry and the
// engine, gives the subclass its two hooks and runs the main loop until quit.
#pragma once

#include "core/runtime/Config.h"
#include "core/runtime/SystemRegistry.h"

#include <memory>
#include <string>

class Engine;

class App {
public:
    App();
    virtual ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // Called first in run(), before config.ini is read.
    virtual void configure() {}
    // Called once every system exists, before the first frame.
    virtual void init() {}

    // The exit status: 0 after the player quit, 1 when no window or OpenGL 4.3
    // context could be had (logged with the reason, before init()).
    int run();

    std::string configFile = "config.ini";
    Config config;
    std::unique_ptr<SystemRegistry> systems;
    Engine* engine = nullptr;

private:
    void readConfig();
    void handleBrightnessKeys();
    void handleFullscreenKeys();
};
