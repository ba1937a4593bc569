// FreeType start-up and shutdown.
#include "core/ui/TextSystem.h"

TextSystem::TextSystem(SystemRegistry* systems) : System(systems) {}

TextSystem::~TextSystem() = default;
