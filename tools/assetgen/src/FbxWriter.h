// Writes FBX 7.4 with exactly the subset that Assimp 5.2 imports whole: models
// with only Lcl translation / rotation (Euler XYZ, degrees) / scaling, triangle
// geometry with per-vertex normals, two per-vertex UV layers, optional tangents and
// per-polygon materials, materials with a diffuse colour and diffuse / normal-map
// textures, and light node attributes. Everything is given in the file's own space; the caller does
// any axis conversion.
//
// The same node tree is written either as binary FBX (what the game loads: its
// zlib-compressed arrays import several times faster than text) or as ASCII FBX
// for reading by eye.
#pragma once

#include "Mesh.h"

#include <glm/glm.hpp>

#include <cstdint>
#include <string>
#include <vector>

enum class FbxFormat { Binary, Ascii };

class FbxWriter {
public:
    using Id = int64_t;
    static constexpr Id root = 0;

    // kind: "Null", "Mesh" or "Light".
    Id addModel(const std::string& name, const std::string& kind, const glm::vec3& translation,
                const glm::vec3& rotationDegrees, const glm::vec3& scaling, Id parent);
    // Per polygon corner, in the order of the mesh's triangles: tangents and
    // bitangents in file space.
    struct CornerTangents {
        std::vector<glm::vec3> tangents;
        std::vector<glm::vec3> bitangents;
    };
    // Vertex positions and normals must already be in file space; uv0 and uv1
    // become the layers "UVMap" and "LightMap". With tangents (one per corner),
    // the layers "LayerElementTangent" and "LayerElementBinormal" carry them.
    Id addGeometry(const std::string& name, const Mesh& mesh, Id model,
                   const CornerTangents* tangents = nullptr);
    Id addMaterial(const std::string& name, const glm::vec3& diffuse);
    // Materials must be connected in slot order: Assimp takes the connection order
    // as the material index.
    void connectMaterial(Id material, Id model);
    // property: "DiffuseColor" or "NormalMap".
    Id addTexture(const std::string& name, const std::string& path, Id material, const std::string& property);
    // type: 0 point, 1 directional, 2 spot.
    Id addLight(const std::string& name, int type, const glm::vec3& colour, Id model);

    // The ASCII file.
    std::string text() const;
    // The binary file (byte-identical from run to run, like the text).
    std::string binary() const;
    std::string bytes(FbxFormat format) const { return format == FbxFormat::Binary ? binary() : text(); }

    // One value of a node, typed as the binary format stores it: 'S' string,
    // 'I' int32, 'L' int64, 'D' double (written as float text), 'C' bool,
    // 'f' float array, 'i' int32 array.
    struct Property {
        char type = 'I';
        int64_t integer = 0;
        double real = 0.0;
        std::string string;
        std::vector<float> floats;
        std::vector<int32_t> ints;
    };
    struct Node {
        std::string name;
        std::vector<Property> properties;
        std::vector<Node> children;
    };

private:
    Id nextId() { return ++lastId; }
    void connect(const std::string& kind, Id child, Id parent, const std::string& property = std::string());
    std::vector<Node> topLevel() const;

    Id lastId = 1000000;
    Node objects{"Objects", {}, {}};
    Node connections{"Connections", {}, {}};
};
