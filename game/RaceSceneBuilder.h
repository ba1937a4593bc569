// Steps of building the race scene from the imported track: the node-name
// markers and material adjustments, each kart's driving set-up, and the
// checkpoints. The race scene builder calls them in this order after the import.
#pragma once

#include <array>
#include <string>

class Car;
class Gameplay;
class ResourceCache;
class Scene;

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

// Turns the kart node into a driven kart for player index (0 or 1): its box
// body from the collider marker (then destroyed), its Car with rays, wheels
// and the player's keys, and its RaceProps. Null, with an error line, when a
// node is missing.
Car* setUpKart(Scene& scene, const KartNodes& nodes, int index);

// Gives the entities "Checkpoint-0" to "Checkpoint-19" their Checkpoint, in
// number order, and lists them in gameplay's checkpoints.
void findCheckpoints(Scene& scene, Gameplay& gameplay);

} // namespace RaceSceneBuilder
