// Fixed-function render states shared by materials, the renderer and the state
// cache in Graphics. Values are stored as 32-bit integers.
#pragma once

#include <cstdint>

enum class PolygonMode : int32_t { Fill = 0, Line = 1 };
enum class BlendMode : int32_t { None = 0, Alpha = 1, Additive = 2 };
enum class CullMode : int32_t { None = 0, Back = 1, Front = 2 };
enum class DepthFunc : int32_t {
    Always = 0,
    Equal = 1,
    NotEqual = 2,
    Less = 3,
    LessEqual = 4,
    Greater = 5,
    GreaterEqual = 6
};
