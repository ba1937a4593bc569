// Packs a mesh's lightmap charts into one square texture and fills uv1. Charts are
// placed on shelves, tallest first, with a border of padding texels, at the same
// texel density everywhere in the mesh.
#pragma once

#include "Mesh.h"

class LightmapLayout {
public:
    struct Result {
        int size = 0;         // edge of the square texture in texels
        float density = 0.0f; // texels per metre
    };

    static constexpr int padding = 2;

    // Picks the smallest of 32, 64, ... maxSize that holds the charts at the wanted
    // density, then raises the density (up to twice) to fill it; if even maxSize
    // is too small, lowers the density until the charts fit.
    static Result apply(Mesh& mesh, int maxSize, float density);
};
