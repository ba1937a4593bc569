// Owns the FreeType library that fonts are rasterised with.
#pragma once

#include "core/runtime/System.h"

class TextSystem : public System {
public:
    explicit TextSystem(SystemRegistry* systems);
    ~TextSystem() override;
};
