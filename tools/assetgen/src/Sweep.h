// Builds surfaces by sweeping a cross-section along the track: the road with its
// kerbs and skirts, and the barriers. The cross-section is a list of (lateral,
// height) points relative to the road centre, ordered clockwise around the solid
// as seen looking along the road, so that faces point outwards.
#pragma once

#include "Mesh.h"
#include "TrackPath.h"

#include <functional>
#include <vector>

class Sweep {
public:
    using MaterialFn = std::function<int(int segment, float s)>;
    // Texture coordinates from the segment, its material, the distance along the
    // road and the distance along the cross-section (metres from its first point).
    using UvFn = std::function<glm::vec2(int segment, int material, float s, float across)>;

    // Sweeps from s0 to s1 (s1 > s0; may run past the loop's length) in steps of
    // about `step` metres. Each segment of each chunk of `chartLength` metres is a
    // lightmap chart of its own.
    static void build(Mesh& mesh, const TrackPath& path, float s0, float s1, float step,
                      const std::vector<glm::vec2>& profile, const MaterialFn& material, const UvFn& uv,
                      float chartLength);

    // Closes the end of a swept solid with the cross-section polygon (convex),
    // facing backwards at s0 (atEnd false) or forwards at s1.
    static void cap(Mesh& mesh, const TrackPath& path, float s, bool atEnd,
                    const std::vector<glm::vec2>& profile, int material, float metresPerTile);
};
