// See ImportedTrack.h.
#include "ImportedTrack.h"

#include <assimp/postprocess.h>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <functional>

namespace {

const glm::mat4 plus90 = glm::rotate(glm::mat4(1.0f), glm::radians(90.0f), glm::vec3(1, 0, 0));
const glm::mat4 minus90 = glm::rotate(glm::mat4(1.0f), glm::radians(-90.0f), glm::vec3(1, 0, 0));

glm::mat4 toGlm(const aiMatrix4x4& m) {
    return glm::transpose(glm::make_mat4(&m.a1));
}

} // namespace

ImportedTrack::ImportedTrack(const std::string& path) {
    imported = importer.ReadFile(path, aiProcess_CalcTangentSpace | aiProcess_Triangulate);
}

const aiNode* ImportedTrack::find(const std::string& name) const {
    if (!imported || !imported->mRootNode)
        return nullptr;
    return imported->mRootNode->FindNode(name.c_str());
}

std::vector<const aiNode*> ImportedTrack::allNodes() const {
    std::vector<const aiNode*> out;
    if (!imported || !imported->mRootNode)
        return out;
    std::function<void(const aiNode*)> visit = [&](const aiNode* n) {
        out.push_back(n);
        for (unsigned i = 0; i < n->mNumChildren; ++i)
            visit(n->mChildren[i]);
    };
    visit(imported->mRootNode);
    return out;
}

glm::mat4 ImportedTrack::local(const aiNode* node) const {
    const glm::mat4 m = toGlm(node->mTransformation);
    return (node->mParent ? minus90 : plus90) * m;
}

glm::mat4 ImportedTrack::world(const aiNode* node) const {
    return node->mParent ? world(node->mParent) * local(node) : local(node);
}

std::string ImportedTrack::materialName(unsigned index) const {
    aiString name;
    imported->mMaterials[index]->Get(AI_MATKEY_NAME, name);
    return name.C_Str();
}

std::vector<ImportedTrack::Triangle> ImportedTrack::triangles(const aiNode* node) const {
    std::vector<Triangle> out;
    const glm::mat4 toWorld = world(node) * minus90;
    for (unsigned m = 0; m < node->mNumMeshes; ++m) {
        const aiMesh* mesh = imported->mMeshes[node->mMeshes[m]];
        const std::string material = materialName(mesh->mMaterialIndex);
        const auto at = [&](unsigned i) {
            const aiVector3D& v = mesh->mVertices[i];
            return glm::vec3(toWorld * glm::vec4(v.x, v.y, v.z, 1.0f));
        };
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const aiFace& face = mesh->mFaces[f];
            if (face.mNumIndices == 3)
                out.push_back(
                    Triangle{at(face.mIndices[0]), at(face.mIndices[1]), at(face.mIndices[2]), material});
        }
    }
    return out;
}

bool ImportedTrack::moves(const aiNode* node) {
    const aiNode* top = node;
    while (top->mParent && top->mParent->mParent)
        top = top->mParent;
    const std::string topName = top->mName.C_Str();
    return (topName.size() == 2 && topName[0] == 'P') ||
           std::string(node->mName.C_Str()).rfind("Cone_Signaling_", 0) == 0;
}

std::optional<float> ImportedTrack::topAt(const std::vector<Triangle>& triangles, const glm::vec2& xz) {
    std::optional<float> best;
    for (const Triangle& t : triangles) {
        const glm::vec2 a(t.a.x, t.a.z), b(t.b.x, t.b.z), c(t.c.x, t.c.z);
        if (xz.x < std::min({a.x, b.x, c.x}) || xz.x > std::max({a.x, b.x, c.x}) ||
            xz.y < std::min({a.y, b.y, c.y}) || xz.y > std::max({a.y, b.y, c.y}))
            continue;
        const float area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
        if (std::abs(area) < 1e-9f)
            continue;
        const float w0 = ((b.x - xz.x) * (c.y - xz.y) - (c.x - xz.x) * (b.y - xz.y)) / area;
        const float w1 = ((c.x - xz.x) * (a.y - xz.y) - (a.x - xz.x) * (c.y - xz.y)) / area;
        const float w2 = 1.0f - w0 - w1;
        if (w0 < -1e-5f || w1 < -1e-5f || w2 < -1e-5f)
            continue;
        const float y = w0 * t.a.y + w1 * t.b.y + w2 * t.c.y;
        if (!best || y > *best)
            best = y;
    }
    return best;
}
