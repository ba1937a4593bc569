// Builds the race scene "game" over the imported track, in this order: track
// conventions, the Sun's shadows, the karts, their follow cameras, the race
// flow entities, the AI drivers, the players' HUDs, the debug camera and the sky.
#pragma once

#include "game/ControlsConfig.h"
#include "game/PlayerKeys.h"
#include "game/TrackCatalog.h"

#include <array>
#include <string>
#include <vector>

class Car;
class RaceFlow;
class ResourceCache;
class Scene;
struct RaceSetup;

// The track file the title screen loads into the race scene.
constexpr const char* raceTrackPath = "scenes/Track_01_LM.fbx";

// The track's nodes that the race cannot do without, and which of them scene
// lacks (each logged as an error line naming it).
std::vector<std::string> requiredTrackNodes();
std::vector<std::string> missingTrackNodes(const Scene& scene);

// The race of setup, with every component handed what it needs: its players'
// karts with their keys, cameras and HUDs, its AI karts, its laps. Karts the
// track has no places for are left out with a warning (AI karts first); unused
// kart nodes are removed. Null, with an error line per missing node and nothing
// built, when the imported track lacks a node the race needs. The track's
// description gives the sky and the fog (by default the island circuit's).
RaceFlow* buildRaceScene(Scene& scene, const RaceSetup& setup, const TrackInfo& track = TrackInfo(),
                         const ControlsConfig& controls = ControlsConfig());
// The two-player race with game.ini's laps.
RaceFlow* buildRaceScene(Scene& scene);
// The kart nodes of the places setup leaves empty ("P3" to "P8" at most: every
// track has P1 and P2): importing the track without them (Scene::leftOutNodes)
// reads none of their meshes and pictures.
std::vector<std::string> unusedKartNodes(const RaceSetup& setup);
// After the race is built over scene, before its first frame: compiles every
// program it draws with and makes room in the renderer's and the UI's lists
// (sparing the first frames), drops the meshes' copies
// that only drawing reads (the GL buffers hold them) and hands the freed pages
// back to the system.
void readyRaceForDrawing(Scene& scene);
// The picture files that registerWaterMaterial and buildRaceScene load into
// textures cache does not hold yet (the track's own and the sky aside), in about
// the order they load them: loading decodes them on worker threads while the
// track imports.
std::vector<std::string> racePictures(const ResourceCache& cache);

// The steps of building the race scene from the imported track: the node-name
// markers and material adjustments, each kart's driving set-up, and the
// checkpoints, in the order buildRaceScene calls them after the import.
namespace RaceSceneBuilder {

// The nodes that make up one kart in the track file.
struct KartNodes {
    std::string kart;
    std::string collider;
    // Front-left, front-right, rear-right, rear-left.
    std::array<std::string, 4> wheels;
};

// "P1" -> P1, P1BuggyCollider, P1Wheel_FL, P1Wheel_FR, P1Wheel_RR, P1Wheel_RL.
KartNodes kartNodes(const std::string& prefix);

// The track file stands this many karts, "P1" to "P8", on its grid.
constexpr int gridKarts = 8;

// Hides and destroys the karts after the first usedKarts, each with its body,
// collider and wheels, so that no parked kart stands on the grid.
void removeUnusedKarts(Scene& scene, int usedKarts);

// The marker pass, then the material pass.
void applyTrackConventions(Scene& scene);

// Colliders, triggers and bodies from the markers in entity names. Entities
// that only carried a box for their parent ("_BC_") are destroyed.
void applyMarkers(Scene& scene);

// Logs the cache dump, makes the start line a shadowed cut-out, and leaves
// shadow casting to the karts, their wheels and the beams.
void applyMaterialConventions(ResourceCache& cache);

// Turns the kart node into kart number index (0 for P1): its box body from the
// collider marker (then destroyed), its Car with rays and wheels, for a player
// (keys not null) a PlayerDriver with those keys (an AI kart's driver is added
// by the caller), and its RaceProgress. Null, with an error line, when a node
// is missing.
Car* setUpKart(Scene& scene, const KartNodes& nodes, int index, const PlayerKeys* keys);

// Gives the entities "Checkpoint-0" to "Checkpoint-19" their Checkpoint, in
// number order, and lists them in gameplay's checkpoints.
void findCheckpoints(Scene& scene, RaceFlow& gameplay);

} // namespace RaceSceneBuilder
