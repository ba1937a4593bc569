// Generates the track: "scenes/Track_01_LM.fbx" and one baked lightmap per static
// visible node under "scenes/lightmaps/", plus (optionally) preview pictures of
// the layout for people to look at.
#pragma once

#include <string>

class TrackAssets {
public:
    struct Options {
        std::string outDir;      // the assets folder
        std::string previewDir;  // empty: no previews
        bool quick = false;      // fewer rays, for tests
        int threads = 2;
        bool asciiFbx = false;   // the track as FBX text, for reading by eye
    };

    static void generate(const Options& options);
};
