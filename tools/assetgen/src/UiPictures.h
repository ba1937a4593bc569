// The pictures of the game's screens under "textures/ui/": the title art
// "menu.png", the end-of-race banner "gameOver.png", the pause overlay
// "helpScreen.png" with both players' controls and the developer keys, the HUD's
// boost bar "fill.png" and boost icon "boost.png".
#pragma once

#include <glm/glm.hpp>

#include <string>

class UiPictures {
public:
    static void generate(const std::string& outDir, const glm::vec3& sunDirection);
};
