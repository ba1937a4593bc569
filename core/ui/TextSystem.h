// Owns the FreeType library that fonts are rasterised with. When FreeType cannot
// start, fonts log their failure and stay empty; the program carries on.
#pragma once

#include "core/runtime/System.h"

// FreeType's library handle is a pointer to this record (FT_Library).
struct FT_LibraryRec_;

class TextSystem : public System {
public:
    explicit TextSystem(SystemRegistry* systems);
    ~TextSystem() override;

    // Null when FreeType failed to initialise.
    FT_LibraryRec_* getLibrary() const { return library; }

private:
    FT_LibraryRec_* library = nullptr;
};
