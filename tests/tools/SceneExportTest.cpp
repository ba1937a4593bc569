// The FBX export, end to end through Assimp and the engine's axis correction: a
// small scene with nested, rotated and scaled nodes, a two-material mesh and a
// light must come back in the engine's world exactly as it was built, from the
// binary file the game loads and from the text written for debugging alike.
#include "ImportedTrack.h"
#include "SceneExporter.h"
#include "TrackScene.h"

#include <assimp/postprocess.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include <unistd.h>

namespace {

glm::quat axisAngle(float degrees, const glm::vec3& axis) {
    return glm::angleAxis(glm::radians(degrees), glm::normalize(axis));
}

float largestDifference(const glm::mat4& a, const glm::mat4& b) {
    float worst = 0.0f;
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            worst = std::max(worst, std::abs(a[c][r] - b[c][r]));
    return worst;
}

class SceneExport : public testing::TestWithParam<FbxFormat> {};

TEST_P(SceneExport, NodesAndVerticesComeBackInTheEnginesWorld) {
    TrackScene scene;
    scene.addMaterial(
        MaterialDef{"Red", glm::vec3(1, 0, 0), "textures/red.png", "textures/red_normal.png", glm::vec3(1)});
    scene.addMaterial(MaterialDef{"Blue", glm::vec3(0, 0, 1), "", "", glm::vec3(1)});
    SceneNode* a = scene.addNode("A");
    a->position = glm::vec3(3, 4, -5);
    a->rotation = axisAngle(37.0f, {1, 2, 3});
    a->scale = glm::vec3(1.0f, 2.0f, 0.5f);
    SceneNode* b = a->addChild("B_MC_");
    b->position = glm::vec3(1, 0, 2);
    b->rotation = axisAngle(90.0f, {0, 1, 0}) * axisAngle(90.0f, {1, 0, 0});
    b->scale = glm::vec3(0.5f);
    b->mesh = std::make_shared<Mesh>();
    b->mesh->addBox(glm::translate(glm::mat4(1.0f), glm::vec3(0, 1, 0)), glm::vec3(1, 2, 3), 0,
                    FaceUv::tiled(1.0f));
    b->mesh->addBox(glm::translate(glm::mat4(1.0f), glm::vec3(5, 0, 0)), glm::vec3(0.5f), 1,
                    FaceUv::tiled(1.0f));
    b->materials = {"Red", "Blue"};
    for (MeshVertex& v : b->mesh->vertices)
        v.uv1 = glm::vec2(0.25f, 0.75f);
    b->lightmapSize = 64;
    // Straight up and straight down in the file: Euler angles at gimbal lock.
    SceneNode* c = b->addChild("C");
    c->rotation = axisAngle(90.0f, {0, 0, 1});
    SceneNode* d = c->addChild("D");
    d->rotation = axisAngle(-90.0f, {1, 0, 0}) * axisAngle(30.0f, {0, 1, 0});
    d->position = glm::vec3(0, 0, 7);
    SceneNode* sun = scene.addNode("Sun");
    sun->directionalLight = true;
    sun->rotation = axisAngle(120.0f, {1, 0.3f, 0});

    const std::string bytes = SceneExporter::toFbx(scene, GetParam());
    EXPECT_EQ(bytes.rfind("Kaydara FBX Binary", 0) == 0, GetParam() == FbxFormat::Binary);
    const std::filesystem::path file =
        std::filesystem::path(TW_BINARY_DIR) / ("scene_export_test_" + std::to_string(getpid()) + ".fbx");
    std::ofstream(file, std::ios::binary) << bytes;
    const ImportedTrack imported(file.string());
    ASSERT_NE(imported.scene(), nullptr) << imported.error();

    std::map<std::string, glm::mat4> expected;
    scene.forEach([&](SceneNode& n, const glm::mat4& world) { expected[n.name] = world; });
    for (const auto& [name, world] : expected) {
        const aiNode* node = imported.find(name);
        ASSERT_NE(node, nullptr) << name;
        EXPECT_LT(largestDifference(imported.world(node), world), 1e-4f) << name;
    }

    // The mesh: its vertices where the scene put them, split by material.
    const aiNode* meshNode = imported.find("B_MC_");
    const glm::mat4 toNode = glm::inverse(expected["B_MC_"]);
    std::map<std::string, int> perMaterial;
    glm::vec3 lo(1e9f), hi(-1e9f);
    for (const auto& t : imported.triangles(meshNode)) {
        ++perMaterial[t.material];
        for (const glm::vec3& v : {t.a, t.b, t.c}) {
            const glm::vec3 local(toNode * glm::vec4(v, 1.0f));
            lo = t.material == "Red" ? glm::min(lo, local) : lo;
            hi = t.material == "Red" ? glm::max(hi, local) : hi;
        }
    }
    EXPECT_EQ(perMaterial["Red"], 12);
    EXPECT_EQ(perMaterial["Blue"], 12);
    EXPECT_NEAR(lo.x, -1.0f, 1e-3f);
    EXPECT_NEAR(hi.y, 3.0f, 1e-3f);
    EXPECT_NEAR(lo.z, -3.0f, 1e-3f);
    for (unsigned m = 0; m < meshNode->mNumMeshes; ++m) {
        const aiMesh* mesh = imported.scene()->mMeshes[meshNode->mMeshes[m]];
        ASSERT_TRUE(mesh->HasTextureCoords(1));
        EXPECT_NEAR(mesh->mTextureCoords[1][0].x, 0.25f, 1e-4f);
        EXPECT_NEAR(mesh->mTextureCoords[1][0].y, 0.75f, 1e-4f);
        ASSERT_TRUE(mesh->HasNormals());
        // Every corner carries its own vertex's normal: on a box, the normal of the face it lies on.
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const unsigned* i = mesh->mFaces[f].mIndices;
            const aiVector3D* p = mesh->mVertices;
            const aiVector3D face = ((p[i[1]] - p[i[0]]) ^ (p[i[2]] - p[i[0]])).Normalize();
            for (int k = 0; k < 3; ++k)
                EXPECT_GT(face * mesh->mNormals[i[k]], 0.999f) << "face " << f << ", corner " << k;
        }
    }

    // Textures arrive by type with the path as written.
    for (unsigned i = 0; i < imported.scene()->mNumMaterials; ++i) {
        if (imported.materialName(i) != "Red")
            continue;
        aiString path;
        ASSERT_EQ(imported.scene()->mMaterials[i]->GetTexture(aiTextureType_DIFFUSE, 0, &path), AI_SUCCESS);
        EXPECT_STREQ(path.C_Str(), "textures/red.png");
        ASSERT_EQ(imported.scene()->mMaterials[i]->GetTexture(aiTextureType_NORMALS, 0, &path), AI_SUCCESS);
        EXPECT_STREQ(path.C_Str(), "textures/red_normal.png");
    }
    ASSERT_EQ(imported.scene()->mNumLights, 1u);
    EXPECT_EQ(imported.scene()->mLights[0]->mType, aiLightSource_DIRECTIONAL);

    // The file carries the tangents that Assimp's tangent step computes for its
    // meshes, so the game's import can leave that step out.
    Assimp::Importer plain;
    auto* raw = const_cast<aiScene*>(plain.ReadFile(file.string(), aiProcess_Triangulate));
    ASSERT_NE(raw, nullptr);
    std::vector<std::vector<aiVector3D>> written;
    for (unsigned m = 0; m < raw->mNumMeshes; ++m) {
        aiMesh* mesh = raw->mMeshes[m];
        ASSERT_TRUE(mesh->HasTangentsAndBitangents()) << "mesh " << m;
        written.emplace_back(mesh->mTangents, mesh->mTangents + mesh->mNumVertices);
        written.back().insert(written.back().end(), mesh->mBitangents,
                              mesh->mBitangents + mesh->mNumVertices);
        delete[] mesh->mTangents;
        delete[] mesh->mBitangents;
        mesh->mTangents = mesh->mBitangents = nullptr;
    }
    ASSERT_NE(plain.ApplyPostProcessing(aiProcess_CalcTangentSpace), nullptr);
    for (unsigned m = 0; m < raw->mNumMeshes; ++m) {
        const aiMesh* mesh = raw->mMeshes[m];
        ASSERT_TRUE(mesh->HasTangentsAndBitangents());
        for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
            EXPECT_LT((written[m][v] - mesh->mTangents[v]).Length(), 1e-5f)
                << "mesh " << m << ", corner " << v;
            EXPECT_LT((written[m][mesh->mNumVertices + v] - mesh->mBitangents[v]).Length(), 1e-5f);
        }
    }
    std::filesystem::remove(file);
}

INSTANTIATE_TEST_SUITE_P(Formats, SceneExport, testing::Values(FbxFormat::Binary, FbxFormat::Ascii),
                         [](const testing::TestParamInfo<FbxFormat>& info) {
                             return info.param == FbxFormat::Binary ? std::string("Binary")
                                                                    : std::string("Ascii");
                         });

} // namespace
