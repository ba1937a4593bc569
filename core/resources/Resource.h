// Base of every named asset the ResourceCache owns: textures, meshes, materials,
// shaders, fonts, sounds and physics materials.
#pragma once

#include <string>

class SystemRegistry;

class Resource {
public:
    explicit Resource(SystemRegistry* systems) : systems(systems) {}
    virtual ~Resource() = default;
    Resource(const Resource&) = delete;
    Resource& operator=(const Resource&) = delete;

    const std::string& getName() const { return name; }

    SystemRegistry* const systems;

private:
    friend class ResourceCache;
    std::string name;
};
