// A part's triangles that lie in one cell of the grid a big mesh is split by
// over X and Z: a range of the drawn index buffer with the box around it, so
// that the renderer can leave out the cells a view does not see, and draw the
// far ones coarser.
#pragma once

#include "core/resources/Bounds.h"

#include <cstdint>

struct MeshChunk {
    uint32_t part = 0;  // the part whose material it is drawn with
    uint32_t first = 0; // index of the first index in the drawn index buffer
    uint32_t count = 0; // number of indices
    Bounds bounds;      // around every vertex of its triangles, in the mesh's space
    // The same surface with fewer triangles, for views far enough away not to
    // see the difference: another range of the drawn index buffer, or none (0).
    uint32_t farFirst = 0;
    uint32_t farCount = 0;
};
