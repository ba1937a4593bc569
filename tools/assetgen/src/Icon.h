// The game's launcher icon: a kart seen from the side, drawn separately for each
// size of the desktop's hicolor theme so that it stays readable down to 16 px.
// Written to "icons/hicolor/<n>x<n>/apps/torquewind.png" below the output folder;
// the install rules copy that tree into share/icons, not into the game's data.
#pragma once

#include "Image.h"

#include <string>
#include <vector>

class Icon {
public:
    static const std::vector<int>& sizes();
    // One square picture, transparent around a dark-outlined kart.
    static Image draw(int size);
    static void generate(const std::string& outDir);
};
