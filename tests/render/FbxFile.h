// Writes small ASCII FBX 7.4 files for the import tests: models with local
// translation, Euler XYZ rotation (degrees) and scale, triangle meshes with
// per-triangle materials, materials with a diffuse colour, and lights.
#pragma once

#include <glm/glm.hpp>

#include <cstdint>
#include <string>
#include <vector>

class FbxFile {
public:
    struct Placement {
        glm::vec3 translation{0.0f};
        glm::vec3 rotationDegrees{0.0f};
        glm::vec3 scale{1.0f};
    };

    int64_t addMaterial(const std::string& name, const glm::vec3& diffuse);
    // A model with no geometry; parent 0 puts it at the top level.
    int64_t addNull(const std::string& name, int64_t parent, const Placement& placement);
    // triangleMaterials[t] indexes materials for triangle t (all 0 when empty).
    int64_t addMesh(const std::string& name, int64_t parent, const Placement& placement,
                    const std::vector<glm::vec3>& positions, const std::vector<int>& triangles,
                    const std::vector<int64_t>& materials, const std::vector<int>& triangleMaterials = {});
    // type: 0 point, 1 directional, 2 spot.
    int64_t addLight(const std::string& name, int64_t parent, const Placement& placement, int type,
                     const glm::vec3& color);

    std::string text() const;
    bool write(const std::string& path) const;

private:
    int64_t addModel(const std::string& name, const char* kind, int64_t parent, const Placement& placement);
    void connect(int64_t child, int64_t parent);

    int64_t nextId = 1000;
    std::string objects;
    std::string connections;
};
