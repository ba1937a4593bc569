// The tracks in the assets folder, found once at start-up: every "<stem>.fbx"
// below "scenes/" with its description "<stem>.ini" beside it (written by the
// asset generator: name, length, seed, theme, preview picture, sky faces, fog).
// The island circuit "scenes/Track_01_LM.fbx" comes first and is the default.
#pragma once

#include <glm/glm.hpp>

#include <string>
#include <vector>

struct TrackInfo {
    // The track file relative to the assets folder, as [race] track keeps it.
    std::string file;
    std::string name;
    std::string theme;
    int length = 0;
    unsigned long seed = 0;
    // The preview picture, relative to the assets folder (empty: none).
    std::string preview;
    // The sky's six faces are skyPrefix + "Left.png", "Right.png", "Up_Rotated.png",
    // "Down.png", "Front.png" and "Back.png".
    std::string skyPrefix = "skyboxes/DSk04-mod/DSk04_";
    glm::vec3 fog{0.7f, 0.8f, 0.9f};
};

class TrackCatalog {
public:
    static constexpr const char* defaultTrack = "scenes/Track_01_LM.fbx";

    // Scans assetsDir. A description that cannot be parsed is logged once and its
    // track left out; a missing folder gives an empty catalog.
    static TrackCatalog scan(const std::string& assetsDir);

    const std::vector<TrackInfo>& tracks() const { return list; }
    // The track with that file; for a file the catalog does not know (or an
    // empty catalog) the island circuit's description.
    TrackInfo find(const std::string& file) const;

    std::vector<TrackInfo> list;
};
