// Test helper: imports a generated track exactly as the engine does (Assimp with
// aiProcess_CalcTangentSpace | aiProcess_Triangulate) and applies the engine's
// axis correction, so tests can reason in the game's world (Y up, -Z forward):
// the root node's matrix is multiplied by Rx(+90 deg), every other node's by
// Rx(-90 deg), and mesh vertices are turned by Rx(-90 deg).
#pragma once

#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <glm/glm.hpp>

#include <optional>
#include <string>
#include <vector>

class ImportedTrack {
public:
    struct Triangle {
        glm::vec3 a, b, c;
        std::string material;
    };

    explicit ImportedTrack(const std::string& path);

    const aiScene* scene() const { return imported; }
    std::string error() const { return importer.GetErrorString(); }

    const aiNode* find(const std::string& name) const;
    std::vector<const aiNode*> allNodes() const;
    glm::mat4 local(const aiNode* node) const;
    glm::mat4 world(const aiNode* node) const;
    // The node's mesh triangles in world space, with their material names.
    std::vector<Triangle> triangles(const aiNode* node) const;
    std::string materialName(unsigned index) const;

    // Karts (under a top-level "P<n>") and cones move, so they get no baked lightmap.
    static bool moves(const aiNode* node);
    // The highest of the triangles straight above or below (x, z), if any.
    static std::optional<float> topAt(const std::vector<Triangle>& triangles, const glm::vec2& xz);

private:
    Assimp::Importer importer;
    const aiScene* imported = nullptr;
};
