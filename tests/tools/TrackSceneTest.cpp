// Checks the generated track the way the game will read it: imported through
// Assimp with the engine's flags and the engine's axis correction, then the
// materials, the sun, lightmaps and the layout in the game's world. (That the
// game finds its nodes, and that the checkpoints lead round the loop, the
// three-lap race shows.)
#include "ImportedTrack.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>

namespace {

const std::string assets = TW_ASSETS_DIR;

// Physics facts of the kart: rays start 0.0001 below the box, are 0.5 long, and
// the body of mass 1 rests on four springs of 12 per unit compression.
constexpr float suspensionLength = 0.5f;
const float restHit = suspensionLength * (1.0f - 9.81f / 48.0f);

glm::vec3 forwardOf(const glm::mat4& m) {
    return -glm::normalize(glm::vec3(m[2]));
}
glm::vec3 rightOf(const glm::mat4& m) {
    return glm::normalize(glm::vec3(m[0]));
}
glm::vec3 positionOf(const glm::mat4& m) {
    return glm::vec3(m[3]);
}
glm::vec3 scaleOf(const glm::mat4& m) {
    return glm::vec3(glm::length(glm::vec3(m[0])), glm::length(glm::vec3(m[1])),
                     glm::length(glm::vec3(m[2])));
}

class TrackScene : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        track = std::make_unique<ImportedTrack>(assets + "scenes/Track_01_LM.fbx");
        if (!track->scene())
            return;
        for (const aiNode* node : track->allNodes()) {
            if (std::string(node->mName.C_Str()).find("_MC_") == std::string::npos)
                continue;
            for (const auto& t : track->triangles(node)) {
                colliders.push_back(t);
                if (t.material == "Road" || t.material == "Curb")
                    road.push_back(t);
            }
        }
        for (int n = 0; n < 20; ++n) {
            const aiNode* cp = track->find("Checkpoint-" + std::to_string(n));
            if (!cp)
                break;
            checkpoints.push_back(track->world(cp));
        }
    }
    static void TearDownTestSuite() { track.reset(); }

    void SetUp() override {
        ASSERT_NE(track->scene(), nullptr) << "generate the assets first: " << track->error();
    }

    inline static std::unique_ptr<ImportedTrack> track;
    inline static std::vector<ImportedTrack::Triangle> colliders, road;
    inline static std::vector<glm::mat4> checkpoints;
};

TEST_F(TrackScene, MaterialsAreNamedForTheGameAndTheirTexturesExist) {
    std::set<std::string> names;
    for (unsigned i = 0; i < track->scene()->mNumMaterials; ++i) {
        names.insert(track->materialName(i));
        const aiMaterial* m = track->scene()->mMaterials[i];
        if (track->materialName(i) == "StartLine") {
            EXPECT_EQ(m->GetTextureCount(aiTextureType_DIFFUSE), 1u)
                << "the start line needs its cut-out texture";
        }
        aiString path;
        for (aiTextureType type : {aiTextureType_DIFFUSE, aiTextureType_NORMALS})
            EXPECT_TRUE(m->GetTexture(type, 0, &path) != AI_SUCCESS ||
                        std::filesystem::exists(assets + path.C_Str()))
                << path.C_Str();
    }
    for (const char* needed :
         {"Buggy_Blue", "Buggy_Orange", "Buggy_Green", "Buggy_Pink", "Wheel", "Beam", "StartLine", "water"})
        EXPECT_EQ(names.count(needed), 1u) << needed;
}

TEST_F(TrackScene, SunIsADirectionalLightLowInTheSky) {
    const aiLight* sun = nullptr;
    for (unsigned i = 0; i < track->scene()->mNumLights; ++i)
        if (std::string(track->scene()->mLights[i]->mName.C_Str()) == "Sun")
            sun = track->scene()->mLights[i];
    ASSERT_NE(sun, nullptr);
    EXPECT_EQ(sun->mType, aiLightSource_DIRECTIONAL);
    EXPECT_GT(sun->mColorDiffuse.r, 0.5f);
    EXPECT_LT(sun->mColorDiffuse.r, 2.0f);

    // The engine turns an imported directional light by -180 degrees about its
    // local X axis; it then shines along its forward (-Z).
    const glm::mat4 entity =
        glm::rotate(track->world(track->find("Sun")), glm::radians(-180.0f), glm::vec3(1, 0, 0));
    const glm::vec3 shine = forwardOf(entity);
    const float elevation = glm::degrees(std::asin(-shine.y));
    EXPECT_GT(elevation, 15.0f) << "the sun must shine downwards";
    EXPECT_LT(elevation, 45.0f) << "a low sun gives long shadows";
}

TEST_F(TrackScene, StaticMeshesHaveLightmapsOnTheirSecondUvSet) {
    int lightmapped = 0;
    for (const aiNode* node : track->allNodes()) {
        if (node->mNumMeshes == 0)
            continue;
        const std::string name = node->mName.C_Str();
        for (unsigned m = 0; m < node->mNumMeshes; ++m)
            EXPECT_LE(track->scene()->mMeshes[node->mMeshes[m]]->mNumFaces, 21845u)
                << name << ": 16-bit indices";
        if (ImportedTrack::moves(node))
            continue;
        ++lightmapped;
        EXPECT_TRUE(std::filesystem::exists(assets + "scenes/lightmaps/Job 1_" + name + "_SHADOW.png"))
            << name;
        for (unsigned m = 0; m < node->mNumMeshes; ++m) {
            const aiMesh* mesh = track->scene()->mMeshes[node->mMeshes[m]];
            ASSERT_TRUE(mesh->HasTextureCoords(0) && mesh->HasTextureCoords(1)) << name;
            for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
                const aiVector3D& uv = mesh->mTextureCoords[1][v];
                ASSERT_TRUE(uv.x >= 0.0f && uv.x <= 1.0f && uv.y >= 0.0f && uv.y <= 1.0f)
                    << name << " uv1 outside";
            }
        }
    }
    EXPECT_GE(lightmapped, 5);
}

TEST_F(TrackScene, EightKartsRestOnTheRoadInGridSlotsBehindTheStartLine) {
    ASSERT_FALSE(checkpoints.empty());
    const glm::mat4& start = checkpoints[0];
    std::vector<glm::vec3> positions;
    std::set<std::string> bodyMaterials;
    for (int n = 1; n <= 8; ++n) {
        const std::string name = "P" + std::to_string(n);
        ASSERT_NE(track->find(name), nullptr) << name;
        const glm::mat4 kart = track->world(track->find(name));
        const glm::vec3 p = positionOf(kart);
        positions.push_back(p);
        const float ahead = glm::dot(p - positionOf(start), forwardOf(start));
        EXPECT_LT(ahead, -1.5f) << name << " must start behind the line";
        EXPECT_GT(ahead, n <= 2 ? -15.0f : -45.0f) << name << " must start close to the line";
        for (const auto& t : track->triangles(track->find(name + "Body")))
            bodyMaterials.insert(t.material);
        EXPECT_GT(glm::dot(forwardOf(kart), forwardOf(start)), 0.99f) << name << " must face the line";

        // Each suspension ray, from the box's bottom corners, hits the road at
        // the settled length.
        const glm::vec3 s = scaleOf(track->local(track->find(name + "BuggyCollider")));
        EXPECT_GT(s.x, 0.2f);
        EXPECT_GT(s.z, s.x) << "karts are longer than wide";
        for (float x : {-s.x, s.x}) {
            for (float z : {-s.z, s.z}) {
                const glm::vec3 origin = glm::vec3(kart * glm::vec4(x, -s.y - 0.0001f, z, 1.0f));
                const auto ground = ImportedTrack::topAt(road, glm::vec2(origin.x, origin.z));
                ASSERT_TRUE(ground.has_value()) << name << " corner off the road";
                EXPECT_NEAR(origin.y - *ground, restHit, 0.02f) << name;
            }
        }

        // The game lifts each wheel by 0.5 minus the ray's hit distance from its
        // file position; settled, its lowest point then touches the road.
        for (const char* corner : {"Wheel_FL", "Wheel_FR", "Wheel_RL", "Wheel_RR"}) {
            const aiNode* wheel = track->find(name + corner);
            const glm::mat4 toKart = glm::inverse(kart);
            float lowest = 1e9f, highest = -1e9f;
            for (const auto& t : track->triangles(wheel)) {
                for (const glm::vec3& v : {t.a, t.b, t.c}) {
                    const float y = glm::vec3(toKart * glm::vec4(v, 1.0f)).y;
                    lowest = std::min(lowest, y);
                    highest = std::max(highest, y);
                }
            }
            const float settledBottom = lowest + (suspensionLength - restHit);
            const glm::vec3 centre = positionOf(track->local(wheel));
            const glm::vec3 contact = glm::vec3(kart * glm::vec4(centre.x, settledBottom, centre.z, 1.0f));
            const auto ground = ImportedTrack::topAt(road, glm::vec2(contact.x, contact.z));
            ASSERT_TRUE(ground.has_value()) << name << corner;
            EXPECT_NEAR(contact.y, *ground, 0.02f) << name << corner;
            EXPECT_GT(highest - lowest, 0.4f) << name << corner << " is too small for a wheel";
        }
    }
    const float apart = glm::dot(positions[1] - positions[0], rightOf(start));
    EXPECT_GT(apart, 2.5f) << "P1 on the left, P2 on the right, side by side";
    EXPECT_LT(std::abs(glm::dot(positions[1] - positions[0], forwardOf(start))), 1.0f);
    EXPECT_EQ(bodyMaterials.size(), 8u) << "each kart has its own colour";
    // Boxes 2.5 x 4 m: no two karts overlap, and the first two lead the grid.
    for (size_t i = 0; i < positions.size(); ++i) {
        for (size_t j = i + 1; j < positions.size(); ++j) {
            const glm::vec3 d = positions[j] - positions[i];
            EXPECT_TRUE(std::abs(glm::dot(d, rightOf(start))) > 3.0f ||
                        std::abs(glm::dot(d, forwardOf(start))) > 5.0f)
                << "P" << i + 1 << " and P" << j + 1 << " overlap";
            if (i < 2 && j >= 2) {
                EXPECT_LT(glm::dot(d, forwardOf(start)), -5.0f) << "P" << j + 1 << " ahead of P" << i + 1;
            }
        }
    }
}

TEST_F(TrackScene, RoadTriggersAndRespawnPointsSpanTheRoad) {
    for (size_t i = 0; i < checkpoints.size(); ++i) {
        const glm::mat4& cp = checkpoints[i];
        const glm::vec3 p = positionOf(cp), right = rightOf(cp);
        // The game puts karts 5 m left and right of the checkpoint.
        for (float side : {-5.0f, 5.0f}) {
            const glm::vec3 q = p + right * side;
            const auto ground = ImportedTrack::topAt(road, glm::vec2(q.x, q.z));
            ASSERT_TRUE(ground.has_value())
                << "respawn point " << side << " of Checkpoint-" << i << " is off the road";
            EXPECT_LT(q.y - *ground, 1.5f);
        }
        // Road 14 to 16 m wide.
        for (float side : {-1.0f, 1.0f}) {
            const glm::vec3 in = p + right * (side * 6.9f), out = p + right * (side * 8.1f);
            EXPECT_TRUE(ImportedTrack::topAt(road, glm::vec2(in.x, in.z)).has_value()) << i;
            EXPECT_FALSE(ImportedTrack::topAt(road, glm::vec2(out.x, out.z)).has_value()) << i;
        }
        const aiNode* node = track->find("Checkpoint-" + std::to_string(i));
        for (unsigned c = 0; c < node->mNumChildren; ++c) {
            const glm::vec3 half = scaleOf(track->world(node->mChildren[c]));
            EXPECT_GE(half.x, 7.5f) << "trigger of Checkpoint-" << i << " narrower than the road";
            EXPECT_GE(half.y, 1.0f);
            EXPECT_GE(half.z, 0.5f);
        }
    }
}

TEST_F(TrackScene, WaterLiesJustBelowZeroTheRoadAboveItAndMostEdgesAreWalled) {
    float waterTop = -1e9f, waterBottom = 1e9f;
    std::vector<ImportedTrack::Triangle> water, ground;
    glm::vec2 groundMin(1e9f), groundMax(-1e9f);
    for (const aiNode* node : track->allNodes()) {
        const bool isGround = std::string(node->mName.C_Str()).rfind("Ground_", 0) == 0;
        for (const auto& t : track->triangles(node)) {
            if (isGround) {
                ground.push_back(t);
                for (const glm::vec3& v : {t.a, t.b, t.c}) {
                    groundMin = glm::min(groundMin, glm::vec2(v.x, v.z));
                    groundMax = glm::max(groundMax, glm::vec2(v.x, v.z));
                }
            }
            if (t.material != "water")
                continue;
            water.push_back(t);
            for (const glm::vec3& v : {t.a, t.b, t.c}) {
                waterTop = std::max(waterTop, v.y);
                waterBottom = std::min(waterBottom, v.y);
            }
        }
    }
    EXPECT_LT(waterTop, 0.0f);
    EXPECT_GT(waterBottom, -1.0f);
    // The sea is left out only under ground above its highest wave (the game's
    // waves lift it to 1.3 m): wherever the ground is lower, or there is none,
    // the water is there.
    int leftOut = 0;
    for (float x = groundMin.x - 20.0f; x < groundMax.x + 20.0f; x += 13.0f) {
        for (float z = groundMin.y - 20.0f; z < groundMax.y + 20.0f; z += 13.0f) {
            const auto land = ImportedTrack::topAt(ground, {x, z});
            const bool wet = ImportedTrack::topAt(water, {x, z}).has_value();
            if (!land || *land < 1.35f)
                EXPECT_TRUE(wet) << "no water at " << x << ", " << z;
            else
                leftOut += wet ? 0 : 1;
        }
    }
    EXPECT_GT(leftOut, 0) << "water under high ground is never seen";
    float roadLowest = 1e9f;
    for (const auto& t : road)
        roadLowest = std::min({roadLowest, t.a.y, t.b.y, t.c.y});
    EXPECT_GT(roadLowest, 0.5f) << "karts below 0 respawn, so the road must stay above";

    // Most edges have barriers, but one drops into the sea.
    int walled = 0, open = 0, sides = 0;
    for (const glm::mat4& cp : checkpoints) {
        const glm::vec3 p = positionOf(cp), right = rightOf(cp);
        const auto roadHeight = ImportedTrack::topAt(road, glm::vec2(p.x, p.z));
        ASSERT_TRUE(roadHeight.has_value());
        for (float side : {-1.0f, 1.0f}) {
            ++sides;
            for (float d = 7.6f; d < 30.0f; d += 0.5f) {
                const glm::vec3 q = p + right * (side * d);
                const auto top = ImportedTrack::topAt(colliders, glm::vec2(q.x, q.z));
                if (top && *top > *roadHeight + 0.5f) {
                    ++walled;
                    break;
                }
                if (!top || *top < -0.3f) {
                    ++open;
                    break;
                }
            }
        }
    }
    EXPECT_GE(open, 1) << "no unguarded stretch into the water";
    EXPECT_GT(walled, sides / 2) << "most edges need barriers";
}

} // namespace
