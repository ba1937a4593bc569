// Builds one player's heads-up display in their half of the window: the lap
// count, the speed, and the boost bar with its icon and label.
#pragma once

class Entity;
class Scene;

// hudNumber 1 is player 1 (upper half), 2 is player 2 (lower half). kart is the
// player's kart entity with its Car and RaceProgress. Returns the entity carrying
// the lap text, the LapCounter and the CarHUD.
Entity* buildHud(Scene& scene, Entity& kart, int hudNumber);
