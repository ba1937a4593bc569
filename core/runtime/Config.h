// Start-up settings read from config.ini, handed to the engine by value.
#pragma once

#include <string>

struct Config {
    std::string title = "Game";
    int width = 1280;
    int height = 800;
    bool fullscreen = false;
    int refreshRate = 60;
    std::string assetsDir = "../assets/";
    // [graphics] quality: auto, low, medium or high; the game applies it once the
    // OpenGL renderer is known.
    std::string quality = "auto";
};
