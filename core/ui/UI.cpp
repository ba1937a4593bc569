// UI gathering and drawing.
#include "core/ui/UI.h"

UI::UI(SystemRegistry* systems) : System(systems) {}

UI::~UI() = default;

void UI::update(Scene&, float) {}

void UI::draw() {}
