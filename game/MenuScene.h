// Builds the title scene "menu": the title picture, its music, the loading
// line, the track row (when there is a choice) and the TitleScreen that loads the race
// behind it. configPath is the config file that keeps the chosen track.
#pragma once

#include <string>

class Scene;

void buildMenuScene(Scene& scene, const std::string& configPath = "config.ini");
