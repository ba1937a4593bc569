// A top-down picture of the generated track for people to look at (written to
// the build folder, not to assets/): every mesh seen from above in its material's
// colour, shaded by its baked lightmap, the sea over anything below water level,
// and the checkpoints with their respawn points drawn on top.
#pragma once

#include "Image.h"
#include "TrackPath.h"
#include "TrackScene.h"

#include <map>

class TrackPreview {
public:
    static Image render(const TrackScene& scene, const std::map<const SceneNode*, Image>& lightmaps,
                        const TrackPath& path, const glm::vec2& lo, const glm::vec2& hi, int width);
    // Road height along the loop, with the checkpoints marked.
    static Image profile(const TrackPath& path, int width, int height);
};
