// See SceneExporter.h.
#include "SceneExporter.h"

#include "FbxWriter.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <glm/gtc/quaternion.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <set>

namespace {

const glm::quat toFile = glm::angleAxis(glm::radians(90.0f), glm::vec3(1.0f, 0.0f, 0.0f));

using Tangents = std::map<std::string, FbxWriter::CornerTangents>;

// A node's mesh as the file holds it: vertices and normals turned into file space.
Mesh fileMeshOf(const SceneNode& n) {
    Mesh fileMesh = *n.mesh;
    for (MeshVertex& v : fileMesh.vertices) {
        v.position = toFile * v.position;
        v.normal = toFile * v.normal;
        if (n.lightmapSize == 0)
            v.uv1 = v.uv0;
    }
    return fileMesh;
}

class Exporter {
public:
    Exporter(const TrackScene& scene, const Tangents& tangents) : tangents(tangents) {
        for (const MaterialDef& m : scene.materials()) {
            const FbxWriter::Id id = fbx.addMaterial(m.name, m.diffuse);
            if (!m.diffuseTexture.empty())
                fbx.addTexture(m.name + "_diffuse", m.diffuseTexture, id, "DiffuseColor");
            if (!m.normalTexture.empty())
                fbx.addTexture(m.name + "_normal", m.normalTexture, id, "NormalMap");
            materialIds[m.name] = id;
        }
    }

    void node(const SceneNode& n, FbxWriter::Id parent, bool topLevel) {
        glm::vec3 t = n.position;
        glm::quat r = n.rotation;
        if (!topLevel) {
            t = toFile * t;
            r = toFile * r;
        }
        const char* kind = n.directionalLight ? "Light" : (n.mesh ? "Mesh" : "Null");
        const FbxWriter::Id model =
            fbx.addModel(n.name, kind, t, SceneExporter::eulerXyzDegrees(glm::mat3_cast(r)), n.scale, parent);
        if (n.mesh)
            mesh(n, model);
        if (n.directionalLight)
            fbx.addLight(n.name, 1, n.lightColour, model);
        for (const auto& child : n.children)
            node(*child, model, false);
    }

    std::string bytes(FbxFormat format) const { return fbx.bytes(format); }

private:
    void mesh(const SceneNode& n, FbxWriter::Id model) {
        const auto found = tangents.find(n.name);
        fbx.addGeometry(n.name, fileMeshOf(n), model, found != tangents.end() ? &found->second : nullptr);
        for (const std::string& material : n.materials) {
            const auto found = materialIds.find(material);
            if (found != materialIds.end())
                fbx.connectMaterial(found->second, model);
        }
    }

    FbxWriter fbx;
    std::map<std::string, FbxWriter::Id> materialIds;
    const Tangents& tangents;
};

std::string write(const TrackScene& scene, FbxFormat format, const Tangents& tangents) {
    Exporter exporter(scene, tangents);
    for (const auto& root : scene.nodes())
        exporter.node(*root, FbxWriter::root, true);
    return exporter.bytes(format);
}

// The tangents the game's importer would compute (Assimp's tangent-space step)
// for each mesh node of a file written without them, per polygon corner. Assimp
// splits a node's polygons into one mesh per material, in the order the
// materials first appear, each keeping the polygons' order; a node whose meshes
// do not line up with its corners that way (or whose name is not unique) gets none.
Tangents computedTangents(const TrackScene& scene, const std::string& file) {
    Assimp::Importer importer;
    const aiScene* imported = importer.ReadFileFromMemory(
        file.data(), file.size(), aiProcess_CalcTangentSpace | aiProcess_Triangulate, "fbx");
    Tangents tangents;
    if (imported == nullptr || imported->mRootNode == nullptr)
        return tangents;
    std::map<std::string, const SceneNode*> nodes;
    std::set<std::string> repeated;
    scene.forEach([&](SceneNode& n, const glm::mat4&) {
        if (!nodes.emplace(n.name, &n).second)
            repeated.insert(n.name);
    });
    std::vector<const aiNode*> pending{imported->mRootNode};
    while (!pending.empty()) {
        const aiNode* node = pending.back();
        pending.pop_back();
        for (unsigned i = 0; i < node->mNumChildren; ++i)
            pending.push_back(node->mChildren[i]);
        const auto found = nodes.find(node->mName.C_Str());
        if (node->mNumMeshes == 0 || found == nodes.end() || repeated.count(found->first) > 0 ||
            !found->second->mesh)
            continue;
        const Mesh fileMesh = fileMeshOf(*found->second);
        std::vector<int> slots;
        for (const MeshTriangle& t : fileMesh.triangles)
            if (std::find(slots.begin(), slots.end(), t.material) == slots.end())
                slots.push_back(t.material);
        if (slots.size() != node->mNumMeshes)
            continue;
        FbxWriter::CornerTangents corners;
        corners.tangents.resize(fileMesh.triangles.size() * 3);
        corners.bitangents.resize(fileMesh.triangles.size() * 3);
        bool linedUp = true;
        for (unsigned m = 0; m < node->mNumMeshes && linedUp; ++m) {
            const aiMesh& part = *imported->mMeshes[node->mMeshes[m]];
            unsigned next = 0;
            for (size_t t = 0; t < fileMesh.triangles.size() && linedUp; ++t) {
                const MeshTriangle& triangle = fileMesh.triangles[t];
                if (triangle.material != slots[m])
                    continue;
                const uint32_t vertices[3] = {triangle.a, triangle.b, triangle.c};
                for (int k = 0; k < 3 && linedUp; ++k, ++next) {
                    const glm::vec3 written =
                        glm::round(fileMesh.vertices[vertices[k]].position / 0.001f) * 0.001f;
                    linedUp = next < part.mNumVertices && part.HasTangentsAndBitangents() &&
                              std::abs(part.mVertices[next].x - written.x) < 1e-4f &&
                              std::abs(part.mVertices[next].y - written.y) < 1e-4f &&
                              std::abs(part.mVertices[next].z - written.z) < 1e-4f;
                    if (linedUp) {
                        const aiVector3D& tangent = part.mTangents[next];
                        const aiVector3D& bitangent = part.mBitangents[next];
                        corners.tangents[t * 3 + static_cast<size_t>(k)] =
                            glm::vec3(tangent.x, tangent.y, tangent.z);
                        corners.bitangents[t * 3 + static_cast<size_t>(k)] =
                            glm::vec3(bitangent.x, bitangent.y, bitangent.z);
                    }
                }
            }
            linedUp = linedUp && next == part.mNumVertices;
        }
        if (linedUp)
            tangents[found->first] = std::move(corners);
    }
    return tangents;
}

} // namespace

glm::vec3 SceneExporter::eulerXyzDegrees(const glm::mat3& m) {
    // m[column][row]; R = Rz(c) Ry(b) Rx(a).
    const float r20 = m[0][2];
    float a, b, c;
    if (std::abs(r20) < 0.99999f) {
        b = std::asin(-r20);
        a = std::atan2(m[1][2], m[2][2]);
        c = std::atan2(m[0][1], m[0][0]);
    } else {
        b = r20 < 0.0f ? glm::radians(90.0f) : glm::radians(-90.0f);
        a = std::atan2(-m[2][1], m[1][1]);
        c = 0.0f;
    }
    return glm::degrees(glm::vec3(a, b, c));
}

std::string SceneExporter::toFbx(const TrackScene& scene, FbxFormat format) {
    // The tangents go into the file so that the game's import need not compute
    // them (its tangent step leaves meshes that have some alone); they are the
    // very values that step gives for the file without them, so shading stays the same.
    const std::string plain = write(scene, FbxFormat::Binary, {});
    const Tangents tangents = computedTangents(scene, plain);
    return write(scene, format, tangents);
}
