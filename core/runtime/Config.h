// Start-up settings read from config.ini, handed to the engine by value.
#pragma once

#include <string>
#include <vector>

class ConfigFile;

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
    // Pictures (asset paths) the first frame shows: they decode on worker threads
    // while the window and its OpenGL context are made. Set by the game, not read.
    std::vector<std::string> firstFramePictures;
    // [graphics] render_scale: the share of the window's width and height the 3D
    // views are drawn at, 0.25 to 1; 0 (unset) leaves it to the preset.
    float renderScale = 0.0f;
    // Whether the window gets a depth buffer of its own. Only 3D views drawn
    // straight into the window need one (at a render scale of 1); views drawn
    // offscreen first leave it untouched memory, 4 MB at 1280 x 800. read() asks
    // for one for the high preset and for render_scale = 1; "auto" picks high
    // only on graphics hardware, where drawing offscreen first costs little.
    bool windowDepth = false;

    // Takes the [window] and [dir] settings that file names. A width or height
    // outside minSide..maxSide or a refresh rate below 1 warns, naming the key,
    // and keeps the value this config had.
    void read(const ConfigFile& file);

    static constexpr int minSide = 320;
    static constexpr int maxSide = 16384;
};
