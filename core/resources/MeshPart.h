// A range of a mesh's index list drawn with one material.
#pragma once

#include <cstdint>

struct MeshPart {
    uint32_t first = 0; // index of the first index
    uint32_t count = 0; // number of indices
};
