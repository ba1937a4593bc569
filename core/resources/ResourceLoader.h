// Turns asset paths named in code ("sounds/go.wav") into files below the assets
// folder, falling back to a search of the whole tree by bare file name. Scene
// import from model files lives here too.
#pragma once

#include "core/runtime/System.h"

#include <memory>
#include <string>
#include <vector>

class Image;
class ImagePrefetch;
class Scene;

class ResourceLoader : public System {
public:
    explicit ResourceLoader(SystemRegistry* systems);
    ~ResourceLoader() override;

    // baseDir + "/" + relativePath when that file exists, else findFile's answer (may be empty).
    std::string resolve(const std::string& relativePath) const;

    // Breadth-first within a directory, depth-first across directories; exact names only.
    std::string findFile(const std::string& dir, const std::string& name) const;

    // Builds scene's entities from a model file: one entity per node with its
    // transform, meshes with materials found by name, baked lightmaps and lights.
    // Failures are logged and leave the scene as it was. The pictures the scene
    // names are decoded on worker threads while the main thread uploads them.
    void importScene(Scene& scene, const std::string& path);

    // Starts decoding these pictures (asset paths) on worker threads, for the
    // texture loads that follow, imports included; the next call drops those
    // never taken.
    void prefetchImages(const std::vector<std::string>& relativePaths);

    // While an import runs, or after prefetchImages: the picture of a resolved path decoded ahead of time
    // (decoded false where it could not be read), waiting for its worker if
    // needed. False for a path that is not being decoded ahead.
    bool takePrefetched(const std::string& resolvedPath, Image& image, bool& decoded);

    // Whether the preset draws normal maps: an import reads the normal maps of
    // the materials it draws only then. Set, it reads those of every material
    // drawn so far (a preset switch in a race: one hitch on a key press).
    void setNormalMapsDrawn(bool drawn);
    bool normalMapsDrawn() const { return normalMaps; }

    // Whether cube maps (the sky) are read at their faces' full size. A view drawn
    // at half the window's size or less samples the sky's faces a level below
    // anyway, so such a preset reads them from there: a quarter of the memory.
    // Changed, the cube maps loaded so far load again at the new size (one hitch
    // on a key press).
    void setCubeTopLevelsRead(bool read);
    bool cubeTopLevelsRead() const { return cubeTopLevels; }

    std::string baseDir = "./";

private:
    // prefetchImages' pictures, and those of the import under way.
    std::unique_ptr<ImagePrefetch> asked;
    std::unique_ptr<ImagePrefetch> importing;
    bool normalMaps = true;
    bool cubeTopLevels = true;
};
