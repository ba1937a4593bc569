// Turns asset paths named in code ("sounds/go.wav") into files below the assets
// folder, falling back to a search of the whole tree by bare file name. Scene
// import from model files lives here too.
#pragma once

#include "core/runtime/System.h"

#include <string>

class Scene;

class ResourceLoader : public System {
public:
    explicit ResourceLoader(SystemRegistry* systems);

    // baseDir + "/" + relativePath when that file exists, else findFile's answer (may be empty).
    std::string resolve(const std::string& relativePath) const;

    // Breadth-first within a directory, depth-first across directories; exact names only.
    std::string findFile(const std::string& dir, const std::string& name) const;

    // Builds scene's entities from a model file: one entity per node with its
    // transform, meshes with materials found by name, baked lightmaps and lights.
    // Failures are logged and leave the scene as it was.
    void importScene(Scene& scene, const std::string& path);

    std::string baseDir = "./";
};
