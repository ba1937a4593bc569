// Generates tracks. The island circuit: "scenes/Track_01_LM.fbx" with one baked
// lightmap per static visible node under "scenes/lightmaps/". A seeded track
// "NAME": everything under "scenes/NAME/" (the file NAME.fbx, its lightmaps, sky
// faces). Each track also gets its description "<file>.ini" and its preview
// picture "<file>_preview.png" beside the file, and optionally larger preview
// pictures of the layout for people to look at.
#pragma once

#include <cstdint>
#include <string>

class TrackAssets {
public:
    struct Options {
        std::string outDir;     // the assets folder
        std::string previewDir; // empty: no previews
        bool quick = false;     // fewer rays, for tests
        int threads = 2;
        bool asciiFbx = false; // the track as FBX text, for reading by eye
    };

    // The island circuit.
    static void generate(const Options& options);
    // A track laid out from the seed; theme empty: chosen by the seed. False
    // (with a message) for a theme that does not exist.
    static bool generateSeeded(const Options& options, uint32_t seed, const std::string& name,
                               const std::string& theme);
    // The tracks shipped besides the island circuit, from fixed seeds.
    static void generateShipped(const Options& options);

    // The folder and file stem a track name becomes: letters, digits, '-' and '_'
    // kept, anything else '_'.
    static std::string fileName(const std::string& name);
};
