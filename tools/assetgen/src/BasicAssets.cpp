// See BasicAssets.h. The game asks for "fonts/Bangers-Regular.ttf"; any bold
// TrueType face will do, so a freely licensed one is copied in under that name.
#include "BasicAssets.h"

#include "Output.h"

void BasicAssets::writeFont(const std::string& outDir) {
    Output::copyFile(ASSETGEN_FONT, outDir + "/fonts/Bangers-Regular.ttf");
    Output::copyFile(ASSETGEN_FONT_LICENSE, outDir + "/fonts/Bangers-Regular.LICENSE.txt");
}

void BasicAssets::writeConfig(const std::string& outDir) {
    Output::writeText(outDir + "/game.ini", "; Race settings read by the game.\n[game]\nnumLaps=3\n");
}
