// Builds the title scene "menu": the title picture, its music, the loading
// line, the brightness level and the TitleScreen with its setup menu that loads the race
// behind it. configPath is the config file that keeps the chosen track.
#pragma once

#include "game/ControlsConfig.h"

#include <string>

class Scene;

// The title picture, the one picture the first frame needs.
constexpr const char* titlePicturePath = "textures/ui/menu.png";

// configPath: the settings file whose [race] the setup menu reads and writes;
// controls: the players' keys, handed on to the race the title builds.
void buildMenuScene(Scene& scene, const std::string& configPath = "config.ini",
                    const ControlsConfig& controls = {});
