// Builds the race scene "game" over the imported track, in this order: track
// conventions, the Sun's shadows, both karts, their follow cameras, the race
// flow entities, both HUDs, the debug camera and the sky.
#pragma once

#include "game/TrackCatalog.h"

#include <string>
#include <vector>

class Scene;

// The track file the title screen loads into the race scene.
constexpr const char* raceTrackPath = "scenes/Track_01_LM.fbx";

// The track's nodes that the race cannot do without, and which of them scene
// lacks (each logged as an error line naming it).
std::vector<std::string> requiredTrackNodes();
std::vector<std::string> missingTrackNodes(const Scene& scene);

// False, with an error line per missing node and nothing built, when the
// imported track lacks a node the race needs. The track's description gives the
// sky and the fog (by default the island circuit's).
bool buildRaceScene(Scene& scene, const TrackInfo& track = TrackInfo());
