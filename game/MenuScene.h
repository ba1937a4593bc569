// Builds the title scene "menu": the title picture, its music, the loading
// line and the TitleScreen that loads the race behind it.
#pragma once

#include "game/ControlsConfig.h"

class Scene;

// controls: the players' keys, handed on to the race the title builds.
void buildMenuScene(Scene& scene, const ControlsConfig& controls = {});
