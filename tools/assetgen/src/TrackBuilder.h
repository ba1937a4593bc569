// Builds the track scene "scenes/Track_01_LM.fbx" from the centreline and the
// island: road, barriers, ground tiles, sea, start line and gate, gantries, cones,
// checkpoints with their trigger boxes, the karts P1 to P8 on the grid and the sun. Node names follow
// the game's markers: "_MC_" mesh colliders, "_BCS_" invisible boxes, "_BC_" plus
// "_TR_" trigger boxes, "Cone_Signaling" cones.
#pragma once

#include "Terrain.h"
#include "TrackPath.h"
#include "TrackScene.h"
#include "TrackTheme.h"

#include <string>
#include <vector>

class TrackBuilder {
public:
    static constexpr float roadHalfWidth = 7.5f;
    // Checkpoint nodes (and so respawned karts) sit this high above the road, a
    // little above the kart's ride height so that a respawned kart drops onto its
    // wheels instead of starting inside the road.
    static float checkpointHeight();
    // Respawned karts stand this far left and right of a checkpoint.
    static constexpr float respawnOffset = 5.0f;

    // The karts beyond the first two, in grid order: material, texture (without
    // ".png") and team colour.
    struct KartColour {
        const char* material;
        const char* texture;
        glm::vec3 colour;
    };
    static const std::vector<KartColour>& kartColours();

    // Where the karts P1 to P8 stand: metres behind the start line and to the
    // right of the centreline.
    struct GridSlot {
        std::string name;
        std::string material;
        float behind, lateral;
    };
    static std::vector<GridSlot> gridSlots();

    TrackBuilder(const TrackPath& path, const Terrain& terrain, const TrackTheme& theme)
        : path(path), terrain(terrain), theme(theme) {}

    void build(TrackScene& scene) const;

    // The direction sunlight travels on the island circuit (downwards, towards the
    // east-north-east), shared by its Sun node, the lightmaps, the sky and the title art.
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
    void addTrackside(TrackScene& scene) const;

    const TrackPath& path;
    const Terrain& terrain;
    const TrackTheme& theme;
};
