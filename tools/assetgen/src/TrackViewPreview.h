// A software rendering of the generated track from a viewpoint, for people to
// look at the models, textures and lightmaps together before the engine can
// (written to the preview folder, never to assets/). Textures are read back from
// the assets folder; materials without one show their preview colour.
#pragma once

#include "Image.h"
#include "TrackScene.h"

#include <map>
#include <string>

class TrackViewPreview {
public:
    TrackViewPreview(const TrackScene& scene, const std::map<const SceneNode*, Image>& lightmaps,
                     const std::string& assetsDir);

    Image render(const glm::vec3& eye, const glm::vec3& target, int width, int height) const;

private:
    const TrackScene& scene;
    const std::map<const SceneNode*, Image>& lightmaps;
    std::map<std::string, Image> textures;
};
