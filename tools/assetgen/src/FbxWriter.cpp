// See FbxWriter.h. Numbers are printed with std::to_chars (shortest exact form),
// which keeps the file byte-identical from run to run.
#include "FbxWriter.h"

#include <charconv>
#include <cmath>
#include <vector>

namespace {

// Floats print in their own shortest form ("0.1", not the double "0.100000001").
void appendNumber(std::string& out, float v)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), v == 0.0f ? 0.0f : v);
    out.append(buffer, result.ptr);
}

void appendNumber(std::string& out, int64_t v)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), v);
    out.append(buffer, result.ptr);
}

// An "a:" array block, wrapped every few hundred values to keep lines sane.
template <typename T>
void appendArray(std::string& out, const std::string& indent, const std::string& key, const std::vector<T>& values)
{
    out += indent + key + ": *";
    appendNumber(out, static_cast<int64_t>(values.size()));
    out += " {\n" + indent + "\ta: ";
    for (size_t i = 0; i < values.size(); ++i) {
        if (i > 0) {
            out += ',';
            if (i % 240 == 0)
                out += '\n' + indent + "\t";
        }
        appendNumber(out, values[i]);
    }
    out += '\n' + indent + "}\n";
}

void appendVec3(std::string& out, const glm::vec3& v)
{
    appendNumber(out, v.x);
    out += ',';
    appendNumber(out, v.y);
    out += ',';
    appendNumber(out, v.z);
}

void appendProperty3(std::string& out, const std::string& name, const std::string& type, const glm::vec3& v)
{
    out += "\t\t\tP: \"" + name + "\", \"" + type + "\", \"\", \"A\",";
    appendVec3(out, v);
    out += '\n';
}

} // namespace

FbxWriter::Id FbxWriter::addModel(const std::string& name, const std::string& kind, const glm::vec3& translation,
                                  const glm::vec3& rotationDegrees, const glm::vec3& scaling, Id parent)
{
    const Id id = nextId();
    std::string& o = objects;
    o += "\tModel: ";
    appendNumber(o, id);
    o += ", \"Model::" + name + "\", \"" + kind + "\" {\n\t\tVersion: 232\n\t\tProperties70:  {\n";
    appendProperty3(o, "Lcl Translation", "Lcl Translation", translation);
    appendProperty3(o, "Lcl Rotation", "Lcl Rotation", rotationDegrees);
    appendProperty3(o, "Lcl Scaling", "Lcl Scaling", scaling);
    o += "\t\t}\n\t\tShading: T\n\t\tCulling: \"CullingOff\"\n\t}\n";
    connect("OO", id, parent);
    return id;
}

FbxWriter::Id FbxWriter::addGeometry(const std::string& name, const Mesh& mesh, Id model)
{
    const Id id = nextId();
    // Rounded to a millimetre, a ten-thousandth of a unit normal and a
    // hundred-thousandth of a texture: far below what shows, and it keeps the file
    // (and the game's import time) small.
    const auto round = [](float v, float step) { return std::round(v / step) * step; };
    std::vector<float> positions, normals, uv0, uv1;
    std::vector<int64_t> polygonIndices, uvIndices, materials;
    positions.reserve(mesh.vertices.size() * 3);
    for (const MeshVertex& v : mesh.vertices) {
        for (int k = 0; k < 3; ++k)
            positions.push_back(round(v.position[k], 0.001f));
        for (int k = 0; k < 2; ++k) {
            uv0.push_back(round(v.uv0[k], 0.00001f));
            uv1.push_back(round(v.uv1[k], 0.00001f));
        }
    }
    for (const MeshTriangle& t : mesh.triangles) {
        const uint32_t corners[3] = {t.a, t.b, t.c};
        for (int k = 0; k < 3; ++k) {
            const int64_t index = corners[k];
            // The last corner of each polygon is stored as -(index + 1).
            polygonIndices.push_back(k == 2 ? -(index + 1) : index);
            uvIndices.push_back(index);
            const glm::vec3& n = mesh.vertices[corners[k]].normal;
            for (int c = 0; c < 3; ++c)
                normals.push_back(round(n[c], 0.0001f));
        }
        materials.push_back(t.material);
    }

    std::string& o = objects;
    o += "\tGeometry: ";
    appendNumber(o, id);
    o += ", \"Geometry::" + name + "\", \"Mesh\" {\n";
    appendArray(o, "\t\t", "Vertices", positions);
    appendArray(o, "\t\t", "PolygonVertexIndex", polygonIndices);
    o += "\t\tGeometryVersion: 124\n";
    o += "\t\tLayerElementNormal: 0 {\n\t\t\tVersion: 101\n\t\t\tName: \"\"\n"
         "\t\t\tMappingInformationType: \"ByPolygonVertex\"\n\t\t\tReferenceInformationType: \"Direct\"\n";
    appendArray(o, "\t\t\t", "Normals", normals);
    o += "\t\t}\n";
    const std::vector<float>* uvSets[2] = {&uv0, &uv1};
    const char* uvNames[2] = {"UVMap", "LightMap"};
    for (int set = 0; set < 2; ++set) {
        o += "\t\tLayerElementUV: " + std::to_string(set) + " {\n\t\t\tVersion: 101\n\t\t\tName: \"" +
             uvNames[set] +
             "\"\n\t\t\tMappingInformationType: \"ByPolygonVertex\"\n"
             "\t\t\tReferenceInformationType: \"IndexToDirect\"\n";
        appendArray(o, "\t\t\t", "UV", *uvSets[set]);
        appendArray(o, "\t\t\t", "UVIndex", uvIndices);
        o += "\t\t}\n";
    }
    o += "\t\tLayerElementMaterial: 0 {\n\t\t\tVersion: 101\n\t\t\tName: \"\"\n"
         "\t\t\tMappingInformationType: \"ByPolygon\"\n\t\t\tReferenceInformationType: \"IndexToDirect\"\n";
    appendArray(o, "\t\t\t", "Materials", materials);
    o += "\t\t}\n";
    o += "\t\tLayer: 0 {\n\t\t\tVersion: 100\n"
         "\t\t\tLayerElement:  {\n\t\t\t\tType: \"LayerElementNormal\"\n\t\t\t\tTypedIndex: 0\n\t\t\t}\n"
         "\t\t\tLayerElement:  {\n\t\t\t\tType: \"LayerElementMaterial\"\n\t\t\t\tTypedIndex: 0\n\t\t\t}\n"
         "\t\t\tLayerElement:  {\n\t\t\t\tType: \"LayerElementUV\"\n\t\t\t\tTypedIndex: 0\n\t\t\t}\n"
         "\t\t}\n"
         "\t\tLayer: 1 {\n\t\t\tVersion: 100\n"
         "\t\t\tLayerElement:  {\n\t\t\t\tType: \"LayerElementUV\"\n\t\t\t\tTypedIndex: 1\n\t\t\t}\n"
         "\t\t}\n\t}\n";
    connect("OO", id, model);
    return id;
}

FbxWriter::Id FbxWriter::addMaterial(const std::string& name, const glm::vec3& diffuse)
{
    const Id id = nextId();
    std::string& o = objects;
    o += "\tMaterial: ";
    appendNumber(o, id);
    o += ", \"Material::" + name +
         "\", \"\" {\n\t\tVersion: 102\n\t\tShadingModel: \"phong\"\n\t\tMultiLayer: 0\n\t\tProperties70:  {\n";
    appendProperty3(o, "DiffuseColor", "Color", diffuse);
    o += "\t\t\tP: \"DiffuseFactor\", \"Number\", \"\", \"A\",1\n";
    o += "\t\t}\n\t}\n";
    return id;
}

void FbxWriter::connectMaterial(Id material, Id model) { connect("OO", material, model); }

FbxWriter::Id FbxWriter::addTexture(const std::string& name, const std::string& path, Id material,
                                    const std::string& property)
{
    const Id id = nextId();
    std::string& o = objects;
    o += "\tTexture: ";
    appendNumber(o, id);
    o += ", \"Texture::" + name + "\", \"\" {\n\t\tType: \"TextureVideoClip\"\n\t\tVersion: 202\n";
    o += "\t\tTextureName: \"Texture::" + name + "\"\n";
    o += "\t\tProperties70:  {\n\t\t\tP: \"UVSet\", \"KString\", \"\", \"\", \"UVMap\"\n\t\t}\n";
    o += "\t\tFileName: \"" + path + "\"\n\t\tRelativeFilename: \"" + path + "\"\n\t}\n";
    connect("OP", id, material, property);
    return id;
}

FbxWriter::Id FbxWriter::addLight(const std::string& name, int type, const glm::vec3& colour, Id model)
{
    const Id id = nextId();
    std::string& o = objects;
    o += "\tNodeAttribute: ";
    appendNumber(o, id);
    o += ", \"NodeAttribute::" + name + "\", \"Light\" {\n\t\tProperties70:  {\n";
    o += "\t\t\tP: \"LightType\", \"enum\", \"\", \"\"," + std::to_string(type) + "\n";
    appendProperty3(o, "Color", "Color", colour);
    // Assimp divides the intensity by 100 when it scales the colour.
    o += "\t\t\tP: \"Intensity\", \"Number\", \"\", \"A\",100\n";
    o += "\t\t\tP: \"CastShadows\", \"bool\", \"\", \"\",1\n";
    o += "\t\t}\n\t\tTypeFlags: \"Light\"\n\t\tGeometryVersion: 124\n\t}\n";
    connect("OO", id, model);
    return id;
}

void FbxWriter::connect(const std::string& kind, Id child, Id parent, const std::string& property)
{
    connections += "\tC: \"" + kind + "\",";
    appendNumber(connections, child);
    connections += ',';
    appendNumber(connections, parent);
    if (!property.empty())
        connections += ", \"" + property + "\"";
    connections += '\n';
}

std::string FbxWriter::text() const
{
    std::string out;
    out += "; FBX 7.4.0 project file\n";
    out += "; Written by Torquewind's asset generator\n";
    out += "; ----------------------------------------------------\n\n";
    out += "FBXHeaderExtension:  {\n\tFBXHeaderVersion: 1003\n\tFBXVersion: 7400\n"
           "\tCreator: \"Torquewind assetgen\"\n}\n";
    // Z up, as the engine's import correction expects (it turns Z-up files to Y-up).
    out += "GlobalSettings:  {\n\tVersion: 1000\n\tProperties70:  {\n"
           "\t\tP: \"UpAxis\", \"int\", \"Integer\", \"\",2\n"
           "\t\tP: \"UpAxisSign\", \"int\", \"Integer\", \"\",1\n"
           "\t\tP: \"FrontAxis\", \"int\", \"Integer\", \"\",1\n"
           "\t\tP: \"FrontAxisSign\", \"int\", \"Integer\", \"\",-1\n"
           "\t\tP: \"CoordAxis\", \"int\", \"Integer\", \"\",0\n"
           "\t\tP: \"CoordAxisSign\", \"int\", \"Integer\", \"\",1\n"
           "\t\tP: \"UnitScaleFactor\", \"double\", \"Number\", \"\",1\n"
           "\t}\n}\n";
    out += "Objects:  {\n" + objects + "}\n";
    out += "Connections:  {\n" + connections + "}\n";
    return out;
}
