// FreeType start-up and shutdown.
#include "core/ui/TextSystem.h"

#include "core/platform/Log.h"

#include <ft2build.h>
#include FT_FREETYPE_H

TextSystem::TextSystem(SystemRegistry* systems) : System(systems) {
    FT_Library handle = nullptr;
    if (FT_Init_FreeType(&handle) != 0) {
        logError("Could not init FreeType Library");
        return;
    }
    library = handle;
}

TextSystem::~TextSystem() {
    if (library != nullptr) {
        FT_Done_FreeType(library);
    }
}
