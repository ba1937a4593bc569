// Asset path resolution.
#include "core/resources/ResourceLoader.h"

#include "core/platform/FileSystem.h"
#include "core/resources/ImagePrefetch.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/TextureCube.h"

#include <vector>

ResourceLoader::ResourceLoader(SystemRegistry* systems) : System(systems) {}

ResourceLoader::~ResourceLoader() = default;

bool ResourceLoader::takePrefetched(const std::string& resolvedPath, Image& image, bool& decoded) {
    return (importing != nullptr && importing->take(resolvedPath, image, decoded)) ||
           (asked != nullptr && asked->take(resolvedPath, image, decoded));
}

void ResourceLoader::prefetchImages(const std::vector<std::string>& relativePaths) {
    std::vector<std::string> paths;
    for (const std::string& path : relativePaths) {
        paths.push_back(resolve(path));
    }
    asked = paths.empty() ? nullptr : std::make_unique<ImagePrefetch>(paths);
}

std::string ResourceLoader::resolve(const std::string& relativePath) const {
    const std::string joined = baseDir + "/" + relativePath;
    if (isRegularFile(joined)) {
        return joined;
    }
    return findFile(baseDir, relativePath);
}

std::string ResourceLoader::findFile(const std::string& dir, const std::string& name) const {
    // Entries are bare names, so a name with a folder in it matches none of them:
    // no need to walk the tree for it. Scene import asks for the lightmap of every
    // mesh node, and most have none; each walk stats the whole assets tree.
    if (name.find('/') != std::string::npos) {
        return "";
    }
    std::vector<std::string> subdirectories;
    for (const DirectoryEntry& entry : listDirectory(dir)) {
        const std::string candidate = dir + "/" + entry.name;
        if (entry.name == name) {
            return candidate;
        }
        if (entry.isDirectory) {
            subdirectories.push_back(candidate);
        }
    }
    for (const std::string& subdirectory : subdirectories) {
        std::string found = findFile(subdirectory, name);
        if (!found.empty()) {
            return found;
        }
    }
    return "";
}

void ResourceLoader::setCubeTopLevelsRead(bool read) {
    if (read == cubeTopLevels) {
        return;
    }
    cubeTopLevels = read;
    auto* cache = get<ResourceCache>();
    if (cache == nullptr) {
        return;
    }
    for (TextureCube* cube : cache->getAll<TextureCube>()) {
        if (cube->getLevels() > 0) {
            cube->reload();
        }
    }
}
