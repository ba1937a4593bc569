// See FbxWriter.h. Numbers in the text are printed with std::to_chars (shortest
// exact form) and the binary arrays are compressed at a fixed zlib level, which
// keeps both files byte-identical from run to run.
#include "FbxWriter.h"

#include <zlib.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <utility>

namespace {

using Node = FbxWriter::Node;
using Property = FbxWriter::Property;

Property string(const std::string& value) {
    Property p;
    p.type = 'S';
    p.string = value;
    return p;
}

Property int32(int64_t value) {
    Property p;
    p.type = 'I';
    p.integer = value;
    return p;
}

Property int64(int64_t value) {
    Property p;
    p.type = 'L';
    p.integer = value;
    return p;
}

Property real(double value) {
    Property p;
    p.type = 'D';
    p.real = value;
    return p;
}

Property boolean(bool value) {
    Property p;
    p.type = 'C';
    p.integer = value ? 1 : 0;
    return p;
}

Property floatArray(std::vector<float> values) {
    Property p;
    p.type = 'f';
    p.floats = std::move(values);
    return p;
}

Property intArray(std::vector<int32_t> values) {
    Property p;
    p.type = 'i';
    p.ints = std::move(values);
    return p;
}

// Binary object names are "Name\0\1Class"; the text spells them "Class::Name".
Property objectName(const std::string& cls, const std::string& name) {
    return string(name + std::string("\0\1", 2) + cls);
}

Node node(const std::string& name, std::vector<Property> properties = {}, std::vector<Node> children = {}) {
    return Node{name, std::move(properties), std::move(children)};
}

// A Properties70 entry: name, type, label, flags, then the values.
Node p(const std::string& name, const std::string& type, const std::string& label, const std::string& flags,
       std::vector<Property> values) {
    std::vector<Property> all{string(name), string(type), string(label), string(flags)};
    for (Property& v : values)
        all.push_back(std::move(v));
    return node("P", std::move(all));
}

std::vector<Property> vec3(const glm::vec3& v) {
    return {real(v.x), real(v.y), real(v.z)};
}

// ---- text ------------------------------------------------------------------

// Floats print in their own shortest form ("0.1", not the double "0.100000001");
// every real in these files started out as a float.
void appendNumber(std::string& out, float v) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), v == 0.0f ? 0.0f : v);
    out.append(buffer, result.ptr);
}

void appendNumber(std::string& out, int64_t v) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), v);
    out.append(buffer, result.ptr);
}

void appendNumber(std::string& out, int32_t v) {
    appendNumber(out, static_cast<int64_t>(v));
}

std::string textName(const std::string& s) {
    const size_t split = s.find(std::string("\0\1", 2));
    return split == std::string::npos ? s : s.substr(split + 2) + "::" + s.substr(0, split);
}

// An "a:" array block, wrapped every few hundred values to keep lines sane.
template <typename T>
void appendArray(std::string& out, const std::string& indent, const std::vector<T>& values) {
    out += '*';
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
    out += '\n' + indent + "}";
}

void appendText(std::string& out, const Node& n, const std::string& indent) {
    out += indent + n.name + ": ";
    bool first = true;
    for (const Property& p : n.properties) {
        if (!first)
            out += ", ";
        first = false;
        switch (p.type) {
        case 'S':
            out += '"' + textName(p.string) + '"';
            break;
        case 'I':
        case 'L':
            appendNumber(out, p.integer);
            break;
        case 'D':
            appendNumber(out, static_cast<float>(p.real));
            break;
        case 'C':
            out += p.integer != 0 ? 'T' : 'F';
            break;
        case 'f':
            appendArray(out, indent, p.floats);
            break;
        case 'i':
            appendArray(out, indent, p.ints);
            break;
        default:
            break;
        }
    }
    if (!n.children.empty()) {
        out += (n.properties.empty() ? "{\n" : " {\n");
        for (const Node& child : n.children)
            appendText(out, child, indent + '\t');
        out += indent + "}";
    }
    out += '\n';
}

// ---- binary ----------------------------------------------------------------

template <typename T> void put(std::string& out, T value) {
    char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    out.append(bytes, sizeof(T));
}

template <typename T> void patch(std::string& out, size_t at, T value) {
    std::memcpy(&out[at], &value, sizeof(T));
}

// Small arrays are stored raw: deflate would only add its header to them.
constexpr size_t compressFrom = 128;

template <typename T> void putArray(std::string& out, char type, const std::vector<T>& values) {
    const size_t rawSize = values.size() * sizeof(T);
    out += type;
    put(out, static_cast<uint32_t>(values.size()));
    if (rawSize >= compressFrom) {
        uLongf packedSize = compressBound(static_cast<uLong>(rawSize));
        std::string packed(packedSize, '\0');
        if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                      reinterpret_cast<const Bytef*>(values.data()), static_cast<uLong>(rawSize),
                      Z_DEFAULT_COMPRESSION) == Z_OK) {
            put(out, uint32_t{1});
            put(out, static_cast<uint32_t>(packedSize));
            out.append(packed.data(), packedSize);
            return;
        }
    }
    put(out, uint32_t{0});
    put(out, static_cast<uint32_t>(rawSize));
    out.append(reinterpret_cast<const char*>(values.data()), rawSize);
}

void putProperty(std::string& out, const Property& p) {
    switch (p.type) {
    case 'S':
        out += 'S';
        put(out, static_cast<uint32_t>(p.string.size()));
        out += p.string;
        break;
    case 'I':
        out += 'I';
        put(out, static_cast<int32_t>(p.integer));
        break;
    case 'L':
        out += 'L';
        put(out, p.integer);
        break;
    case 'D':
        out += 'D';
        put(out, p.real);
        break;
    case 'C':
        out += 'C';
        put(out, static_cast<uint8_t>(p.integer));
        break;
    case 'f':
        putArray(out, 'f', p.floats);
        break;
    case 'i':
        putArray(out, 'i', p.ints);
        break;
    default:
        break;
    }
}

// A 7.4 node record: end offset (from the file's start), property count,
// property bytes, name, properties, children, and a 13-byte null record closing
// the children. Offsets are 32-bit before version 7.5.
constexpr size_t nullRecordSize = 13;

void putNode(std::string& out, const Node& n) {
    const size_t start = out.size();
    put(out, uint32_t{0});
    put(out, static_cast<uint32_t>(n.properties.size()));
    put(out, uint32_t{0});
    out += static_cast<char>(n.name.size());
    out += n.name;
    const size_t propertiesStart = out.size();
    for (const Property& p : n.properties)
        putProperty(out, p);
    patch(out, start + 8, static_cast<uint32_t>(out.size() - propertiesStart));
    if (!n.children.empty()) {
        for (const Node& child : n.children)
            putNode(out, child);
        out.append(nullRecordSize, '\0');
    }
    patch(out, start, static_cast<uint32_t>(out.size()));
}

} // namespace

FbxWriter::Id FbxWriter::addModel(const std::string& name, const std::string& kind,
                                  const glm::vec3& translation, const glm::vec3& rotationDegrees,
                                  const glm::vec3& scaling, Id parent) {
    const Id id = nextId();
    objects.children.push_back(
        node("Model", {int64(id), objectName("Model", name), string(kind)},
             {node("Version", {int32(232)}),
              node("Properties70", {},
                   {p("Lcl Translation", "Lcl Translation", "", "A", vec3(translation)),
                    p("Lcl Rotation", "Lcl Rotation", "", "A", vec3(rotationDegrees)),
                    p("Lcl Scaling", "Lcl Scaling", "", "A", vec3(scaling))}),
              node("Shading", {boolean(true)}), node("Culling", {string("CullingOff")})}));
    connect("OO", id, parent);
    return id;
}

FbxWriter::Id FbxWriter::addGeometry(const std::string& name, const Mesh& mesh, Id model,
                                     const CornerTangents* tangents) {
    const Id id = nextId();
    // Rounded to a millimetre, a ten-thousandth of a unit normal and a
    // hundred-thousandth of a texture: far below what shows, and it keeps the file
    // (and the game's import time) small.
    const auto round = [](float v, float step) { return std::round(v / step) * step; };
    // Normals and texture coordinates belong to the vertices, so they are stored
    // once per vertex ("ByVertice"), not once per polygon corner: the importer
    // gives every corner its vertex's values either way, and the arrays it has to
    // inflate and copy shrink to a third.
    std::vector<float> positions, normals, uv0, uv1;
    std::vector<int32_t> polygonIndices, materials;
    positions.reserve(mesh.vertices.size() * 3);
    for (const MeshVertex& v : mesh.vertices) {
        for (int k = 0; k < 3; ++k) {
            positions.push_back(round(v.position[k], 0.001f));
            normals.push_back(round(v.normal[k], 0.0001f));
        }
        for (int k = 0; k < 2; ++k) {
            uv0.push_back(round(v.uv0[k], 0.00001f));
            uv1.push_back(round(v.uv1[k], 0.00001f));
        }
    }
    for (const MeshTriangle& t : mesh.triangles) {
        const uint32_t corners[3] = {t.a, t.b, t.c};
        for (int k = 0; k < 3; ++k) {
            const auto index = static_cast<int32_t>(corners[k]);
            // The last corner of each polygon is stored as -(index + 1).
            polygonIndices.push_back(k == 2 ? -(index + 1) : index);
        }
        materials.push_back(static_cast<int32_t>(t.material));
    }

    const auto layerHeader = [](const std::string& layerName, const char* mapping, const char* reference) {
        return std::vector<Node>{node("Version", {int32(101)}), node("Name", {string(layerName)}),
                                 node("MappingInformationType", {string(mapping)}),
                                 node("ReferenceInformationType", {string(reference)})};
    };
    Node geometry = node("Geometry", {int64(id), objectName("Geometry", name), string("Mesh")});
    geometry.children.push_back(node("Vertices", {floatArray(std::move(positions))}));
    geometry.children.push_back(node("PolygonVertexIndex", {intArray(std::move(polygonIndices))}));
    geometry.children.push_back(node("GeometryVersion", {int32(124)}));
    Node normalLayer = node("LayerElementNormal", {int32(0)}, layerHeader("", "ByVertice", "Direct"));
    normalLayer.children.push_back(node("Normals", {floatArray(std::move(normals))}));
    geometry.children.push_back(std::move(normalLayer));
    std::vector<float>* uvSets[2] = {&uv0, &uv1};
    const char* uvNames[2] = {"UVMap", "LightMap"};
    for (int set = 0; set < 2; ++set) {
        Node uvLayer = node("LayerElementUV", {int32(set)}, layerHeader(uvNames[set], "ByVertice", "Direct"));
        uvLayer.children.push_back(node("UV", {floatArray(std::move(*uvSets[set]))}));
        geometry.children.push_back(std::move(uvLayer));
    }
    const size_t cornerCount = mesh.triangles.size() * 3;
    const bool withTangents = tangents != nullptr && tangents->tangents.size() == cornerCount &&
                              tangents->bitangents.size() == cornerCount;
    if (withTangents) {
        // Once per vertex where every corner of each vertex has the same pair
        // (as after smoothing), else once per corner.
        std::vector<int> cornerOf(mesh.vertices.size(), -1);
        bool perVertex = true;
        for (size_t c = 0; c < cornerCount && perVertex; ++c) {
            const MeshTriangle& t = mesh.triangles[c / 3];
            const uint32_t vertex = c % 3 == 0 ? t.a : (c % 3 == 1 ? t.b : t.c);
            int& first = cornerOf[vertex];
            if (first < 0)
                first = static_cast<int>(c);
            else
                perVertex = std::memcmp(&tangents->tangents[static_cast<size_t>(first)],
                                        &tangents->tangents[c], sizeof(glm::vec3)) == 0 &&
                            std::memcmp(&tangents->bitangents[static_cast<size_t>(first)],
                                        &tangents->bitangents[c], sizeof(glm::vec3)) == 0;
        }
        const auto values = [&](const std::vector<glm::vec3>& perCorner) {
            std::vector<float> out;
            if (perVertex) {
                for (const int first : cornerOf)
                    for (int k = 0; k < 3; ++k)
                        out.push_back(first < 0 ? 0.0f : perCorner[static_cast<size_t>(first)][k]);
            } else {
                for (const glm::vec3& v : perCorner)
                    for (int k = 0; k < 3; ++k)
                        out.push_back(v[k]);
            }
            return out;
        };
        const char* mapping = perVertex ? "ByVertice" : "ByPolygonVertex";
        Node tangentLayer = node("LayerElementTangent", {int32(0)}, layerHeader("", mapping, "Direct"));
        tangentLayer.children.push_back(node("Tangents", {floatArray(values(tangents->tangents))}));
        geometry.children.push_back(std::move(tangentLayer));
        Node binormalLayer = node("LayerElementBinormal", {int32(0)}, layerHeader("", mapping, "Direct"));
        binormalLayer.children.push_back(node("Binormals", {floatArray(values(tangents->bitangents))}));
        geometry.children.push_back(std::move(binormalLayer));
    }
    Node materialLayer =
        node("LayerElementMaterial", {int32(0)}, layerHeader("", "ByPolygon", "IndexToDirect"));
    materialLayer.children.push_back(node("Materials", {intArray(std::move(materials))}));
    geometry.children.push_back(std::move(materialLayer));
    const auto element = [](const char* type, int index) {
        return node("LayerElement", {}, {node("Type", {string(type)}), node("TypedIndex", {int32(index)})});
    };
    Node layer = node("Layer", {int32(0)},
                      {node("Version", {int32(100)}), element("LayerElementNormal", 0),
                       element("LayerElementMaterial", 0), element("LayerElementUV", 0)});
    if (withTangents) {
        layer.children.push_back(element("LayerElementTangent", 0));
        layer.children.push_back(element("LayerElementBinormal", 0));
    }
    geometry.children.push_back(std::move(layer));
    geometry.children.push_back(
        node("Layer", {int32(1)}, {node("Version", {int32(100)}), element("LayerElementUV", 1)}));
    objects.children.push_back(std::move(geometry));
    connect("OO", id, model);
    return id;
}

FbxWriter::Id FbxWriter::addMaterial(const std::string& name, const glm::vec3& diffuse) {
    const Id id = nextId();
    objects.children.push_back(node("Material", {int64(id), objectName("Material", name), string("")},
                                    {node("Version", {int32(102)}), node("ShadingModel", {string("phong")}),
                                     node("MultiLayer", {int32(0)}),
                                     node("Properties70", {},
                                          {p("DiffuseColor", "Color", "", "A", vec3(diffuse)),
                                           p("DiffuseFactor", "Number", "", "A", {real(1.0)})})}));
    return id;
}

void FbxWriter::connectMaterial(Id material, Id model) {
    connect("OO", material, model);
}

FbxWriter::Id FbxWriter::addTexture(const std::string& name, const std::string& path, Id material,
                                    const std::string& property) {
    const Id id = nextId();
    objects.children.push_back(
        node("Texture", {int64(id), objectName("Texture", name), string("")},
             {node("Type", {string("TextureVideoClip")}), node("Version", {int32(202)}),
              node("TextureName", {objectName("Texture", name)}),
              node("Properties70", {}, {p("UVSet", "KString", "", "", {string("UVMap")})}),
              node("FileName", {string(path)}), node("RelativeFilename", {string(path)})}));
    connect("OP", id, material, property);
    return id;
}

FbxWriter::Id FbxWriter::addLight(const std::string& name, int type, const glm::vec3& colour, Id model) {
    const Id id = nextId();
    objects.children.push_back(
        node("NodeAttribute", {int64(id), objectName("NodeAttribute", name), string("Light")},
             {node("Properties70", {},
                   {p("LightType", "enum", "", "", {int32(type)}), p("Color", "Color", "", "A", vec3(colour)),
                    // Assimp divides the intensity by 100 when it scales the colour.
                    p("Intensity", "Number", "", "A", {real(100.0)}),
                    p("CastShadows", "bool", "", "", {int32(1)})}),
              node("TypeFlags", {string("Light")}), node("GeometryVersion", {int32(124)})}));
    connect("OO", id, model);
    return id;
}

void FbxWriter::connect(const std::string& kind, Id child, Id parent, const std::string& property) {
    std::vector<Property> values{string(kind), int64(child), int64(parent)};
    if (!property.empty())
        values.push_back(string(property));
    connections.children.push_back(node("C", std::move(values)));
}

std::vector<FbxWriter::Node> FbxWriter::topLevel() const {
    // Z up, as the engine's import correction expects (it turns Z-up files to Y-up).
    const auto axis = [](const char* name, int value) {
        return p(name, "int", "Integer", "", {int32(value)});
    };
    return {node("FBXHeaderExtension", {},
                 {node("FBXHeaderVersion", {int32(1003)}), node("FBXVersion", {int32(7400)}),
                  node("Creator", {string("Torquewind assetgen")})}),
            node("GlobalSettings", {},
                 {node("Version", {int32(1000)}),
                  node("Properties70", {},
                       {axis("UpAxis", 2), axis("UpAxisSign", 1), axis("FrontAxis", 1),
                        axis("FrontAxisSign", -1), axis("CoordAxis", 0), axis("CoordAxisSign", 1),
                        p("UnitScaleFactor", "double", "Number", "", {real(1.0)})})})};
}

std::string FbxWriter::text() const {
    std::string out;
    out += "; FBX 7.4.0 project file\n";
    out += "; Written by Torquewind's asset generator\n";
    out += "; ----------------------------------------------------\n\n";
    for (const Node& n : topLevel())
        appendText(out, n, "");
    appendText(out, objects, "");
    appendText(out, connections, "");
    return out;
}

std::string FbxWriter::binary() const {
    std::string out("Kaydara FBX Binary  \0\x1a\0", 23);
    put(out, uint32_t{7400});
    for (const Node& n : topLevel())
        putNode(out, n);
    putNode(out, objects);
    putNode(out, connections);
    // A null record where the next top-level node would start ends the file.
    out.append(nullRecordSize, '\0');
    return out;
}
