// The shaders and materials that UI elements draw with: "ui" for textured
// rectangles and "text" for glyphs. Both are flat overlays: filled, alpha
// blended, never culled, always passing the depth test and never writing depth.
#pragma once

#include <string>

class Material;
class SystemRegistry;

// The material called name, created on first use with the shader of the same
// name from "core/shaders/<name>.vert" and ".frag". Null without a resource cache.
Material* ensureUIMaterial(SystemRegistry* systems, const std::string& name);
