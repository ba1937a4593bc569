// The graphics quality presets: names as written in config.ini, the choice
// "auto" makes from the OpenGL renderer's name, and the order F9 cycles them in.
#pragma once

#include <string>

enum class RenderQuality { Low = 0, Medium = 1, High = 2 };

// "low", "medium", "high"; false (and out untouched) for anything else.
bool parseRenderQuality(const std::string& text, RenderQuality& out);
const char* renderQualityName(RenderQuality quality);
// Mesa's software rasterisers: llvmpipe, softpipe and swrast.
bool isSoftwareRenderer(const std::string& glRenderer);
// The preset for a config value: "auto" (or empty) picks low on a software
// renderer and high otherwise. False when the value is not a preset name.
bool resolveRenderQuality(const std::string& setting, const std::string& glRenderer, RenderQuality& out);
// Low, medium, high, then low again.
RenderQuality nextRenderQuality(RenderQuality quality);
