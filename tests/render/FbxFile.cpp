// The ASCII FBX text: objects and their connections.
#include "render/FbxFile.h"

#include <fstream>
#include <sstream>

namespace {

std::string list(const std::vector<double>& values) {
    std::ostringstream out;
    for (size_t i = 0; i < values.size(); ++i) {
        out << (i == 0 ? "" : ",") << values[i];
    }
    return out.str();
}

std::string vec(const glm::vec3& v) {
    std::ostringstream out;
    out << v.x << "," << v.y << "," << v.z;
    return out.str();
}

} // namespace

void FbxFile::connect(int64_t child, int64_t parent) {
    connections += "\tC: \"OO\"," + std::to_string(child) + "," + std::to_string(parent) + "\n";
}

int64_t FbxFile::addModel(const std::string& name, const char* kind, int64_t parent,
                          const Placement& placement) {
    const int64_t id = nextId++;
    objects += "\tModel: " + std::to_string(id) + ", \"Model::" + name + "\", \"" + kind + "\" {\n" +
               "\t\tVersion: 232\n\t\tProperties70:  {\n" +
               "\t\t\tP: \"Lcl Translation\", \"Lcl Translation\", \"\", \"A\"," +
               vec(placement.translation) + "\n" +
               "\t\t\tP: \"Lcl Rotation\", \"Lcl Rotation\", \"\", \"A\"," + vec(placement.rotationDegrees) +
               "\n" + "\t\t\tP: \"Lcl Scaling\", \"Lcl Scaling\", \"\", \"A\"," + vec(placement.scale) +
               "\n" + "\t\t}\n\t}\n";
    connect(id, parent);
    return id;
}

int64_t FbxFile::addMaterial(const std::string& name, const glm::vec3& diffuse) {
    const int64_t id = nextId++;
    objects += "\tMaterial: " + std::to_string(id) + ", \"Material::" + name + "\", \"\" {\n" +
               "\t\tVersion: 102\n\t\tShadingModel: \"phong\"\n\t\tProperties70:  {\n" +
               "\t\t\tP: \"DiffuseColor\", \"Color\", \"\", \"A\"," + vec(diffuse) + "\n\t\t}\n\t}\n";
    return id;
}

int64_t FbxFile::addNull(const std::string& name, int64_t parent, const Placement& placement) {
    return addModel(name, "Null", parent, placement);
}

int64_t FbxFile::addMesh(const std::string& name, int64_t parent, const Placement& placement,
                         const std::vector<glm::vec3>& positions, const std::vector<int>& triangles,
                         const std::vector<int64_t>& materials, const std::vector<int>& triangleMaterials) {
    const int64_t model = addModel(name, "Mesh", parent, placement);
    const int64_t geometry = nextId++;
    std::vector<double> vertices;
    for (const glm::vec3& p : positions) {
        vertices.insert(vertices.end(), {p.x, p.y, p.z});
    }
    std::vector<double> indices;
    std::vector<double> normals;
    for (size_t t = 0; t + 2 < triangles.size(); t += 3) {
        const glm::vec3 n = glm::normalize(glm::cross(positions[triangles[t + 1]] - positions[triangles[t]],
                                                      positions[triangles[t + 2]] - positions[triangles[t]]));
        for (size_t k = 0; k < 3; ++k) {
            // The last index of a polygon is written as -(index + 1).
            indices.push_back(k == 2 ? -(triangles[t + k] + 1) : triangles[t + k]);
            normals.insert(normals.end(), {n.x, n.y, n.z});
        }
    }
    std::vector<double> polygonMaterials;
    for (size_t t = 0; t < triangles.size() / 3; ++t) {
        polygonMaterials.push_back(t < triangleMaterials.size() ? triangleMaterials[t] : 0);
    }
    const std::string g = std::to_string(geometry);
    objects +=
        "\tGeometry: " + g + ", \"Geometry::" + name + "\", \"Mesh\" {\n" + "\t\tVertices: *" +
        std::to_string(vertices.size()) + " {\n\t\t\ta: " + list(vertices) + "\n\t\t}\n" +
        "\t\tPolygonVertexIndex: *" + std::to_string(indices.size()) + " {\n\t\t\ta: " + list(indices) +
        "\n\t\t}\n\t\tGeometryVersion: 124\n" +
        "\t\tLayerElementNormal: 0 {\n\t\t\tVersion: 101\n\t\t\tName: \"\"\n" +
        "\t\t\tMappingInformationType: \"ByPolygonVertex\"\n\t\t\tReferenceInformationType: \"Direct\"\n" +
        "\t\t\tNormals: *" + std::to_string(normals.size()) + " {\n\t\t\t\ta: " + list(normals) +
        "\n\t\t\t}\n\t\t}\n" + "\t\tLayerElementMaterial: 0 {\n\t\t\tVersion: 101\n\t\t\tName: \"\"\n" +
        "\t\t\tMappingInformationType: \"ByPolygon\"\n\t\t\tReferenceInformationType: \"IndexToDirect\"\n" +
        "\t\t\tMaterials: *" + std::to_string(polygonMaterials.size()) +
        " {\n\t\t\t\ta: " + list(polygonMaterials) + "\n\t\t\t}\n\t\t}\n" +
        "\t\tLayer: 0 {\n\t\t\tVersion: 100\n" +
        "\t\t\tLayerElement:  {\n\t\t\t\tType: \"LayerElementNormal\"\n\t\t\t\tTypedIndex: 0\n\t\t\t}\n" +
        "\t\t\tLayerElement:  {\n\t\t\t\tType: \"LayerElementMaterial\"\n\t\t\t\tTypedIndex: 0\n\t\t\t}\n" +
        "\t\t}\n\t}\n";
    connect(geometry, model);
    // The order of the material connections is the material index.
    for (int64_t material : materials) {
        connect(material, model);
    }
    return model;
}

int64_t FbxFile::addLight(const std::string& name, int64_t parent, const Placement& placement, int type,
                          const glm::vec3& color) {
    const int64_t model = addModel(name, "Light", parent, placement);
    const int64_t attribute = nextId++;
    objects +=
        "\tNodeAttribute: " + std::to_string(attribute) + ", \"NodeAttribute::" + name + "\", \"Light\" {\n" +
        "\t\tProperties70:  {\n" + "\t\t\tP: \"LightType\", \"enum\", \"\", \"\"," + std::to_string(type) +
        "\n" + "\t\t\tP: \"Color\", \"Color\", \"\", \"A\"," + vec(color) + "\n" +
        "\t\t\tP: \"Intensity\", \"Number\", \"\", \"A\",100\n" + "\t\t}\n\t\tTypeFlags: \"Light\"\n\t}\n";
    connect(attribute, model);
    return model;
}

std::string FbxFile::text() const {
    return "; FBX 7.4.0 project file\n"
           "FBXHeaderExtension:  {\n\tFBXHeaderVersion: 1003\n\tFBXVersion: 7400\n}\n"
           "Objects:  {\n" +
           objects + "}\nConnections:  {\n" + connections + "}\n";
}

bool FbxFile::write(const std::string& path) const {
    std::ofstream out(path);
    out << text();
    return static_cast<bool>(out);
}
