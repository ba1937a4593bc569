// Builds one player's heads-up display in their half of the window: the lap
// count, the speed, and the boost bar with its icon and label.
#pragma once

#include <glm/glm.hpp>

class Entity;
class Scene;

// Where a HUD goes when it is not one of the two-player race's halves.
struct HudView {
    // x, y, width, height in fractions of the window from its top-left corner.
    glm::vec4 rect{0.0f, 0.0f, 1.0f, 0.5f};
    // Off: the two-player race's half given by the HUD's number, as it always was.
    // On: in rect, scaled to it, with the race position under the lap count.
    bool own = false;
};

// hudNumber 1 is player 1 (upper half), 2 is player 2 (lower half). kart is the
// player's kart entity with its Car and RaceProgress. Returns the entity carrying
// the lap text, the LapCounter and the CarHUD.
Entity* buildHud(Scene& scene, Entity& kart, int hudNumber, const HudView& view = {});
