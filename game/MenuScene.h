// Builds the title scene "menu": the title picture, its music, the loading
// line and the TitleScreen that loads the race behind it.
#pragma once

class Scene;

void buildMenuScene(Scene& scene);
