// The renderer's frame.
#include "core/render/Renderer.h"

Renderer::Renderer(SystemRegistry* systems) : System(systems) {}

Renderer::~Renderer() = default;

void Renderer::render(Scene&, float) {}
