// Builds the title scene "menu": the title picture, its music, the loading
// line and the TitleScreen that loads the race behind it.
#pragma once

#include <string>

class Scene;

// configPath: the settings file whose [race] the setup menu reads and writes.
void buildMenuScene(Scene& scene, const std::string& configPath = "config.ini");
