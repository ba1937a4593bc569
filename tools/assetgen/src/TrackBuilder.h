// Builds the track scene "scenes/Track_01_LM.fbx" from the centreline and the
// island: road, barriers, ground tiles, sea, start line and gate, gantries, cones,
// checkpoints with their trigger boxes, both karts and the sun. Node names follow
// the game's markers: "_MC_" mesh colliders, "_BCS_" invisible boxes, "_BC_" plus
// "_TR_" trigger boxes, "Cone_Signaling" cones.
#pragma once

#include "Terrain.h"
#include "TrackPath.h"
#include "TrackScene.h"

class TrackBuilder {
public:
    static constexpr float roadHalfWidth = 7.5f;
    static constexpr int checkpointCount = 12;
    // Checkpoint nodes (and so respawned karts) sit this high above the road, a
    // little above the kart's ride height so that a respawned kart drops onto its
    // wheels instead of starting inside the road.
    static float checkpointHeight();
    // Respawned karts stand this far left and right of a checkpoint.
    static constexpr float respawnOffset = 5.0f;

    TrackBuilder(const TrackPath& path, const Terrain& terrain) : path(path), terrain(terrain) {}

    void build(TrackScene& scene) const;

    // The direction sunlight travels (downwards, towards the east-north-east),
    // shared by the Sun node, the lightmaps and the sky.
    static glm::vec3 sunDirection();

    // The rotation whose -Z follows the road (with its slope) and whose +X is the
    // road's right, horizontal.
    static glm::quat roadRotation(const TrackPath::Frame& frame);

private:
    void addMaterials(TrackScene& scene) const;
    void addRoad(TrackScene& scene) const;
    void addWalls(TrackScene& scene) const;
    void addGround(TrackScene& scene) const;
    static void addBeachEdgeTriangle(Mesh& m, uint32_t a, uint32_t b, uint32_t c, const glm::vec3& origin,
                                     int chart);
    void addWater(TrackScene& scene) const;
    void addStartLine(TrackScene& scene) const;
    void addGates(TrackScene& scene) const;
    void addCones(TrackScene& scene) const;
    void addCheckpoints(TrackScene& scene) const;
    void addKarts(TrackScene& scene) const;
    void addSun(TrackScene& scene) const;

    const TrackPath& path;
    const Terrain& terrain;
};
