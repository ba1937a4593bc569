// Scene import from small ASCII FBX files written here in the asset generator's
// convention: the node tree and its log, materials by name, lights by type,
// baked lightmaps by node name, and the axis correction that lands Y-up files
// upright with lights shining where the file aims them.
#include "render/FbxFile.h"
#include "render/Picture.h"

#include "core/render/Light.h"
#include "core/render/MeshRenderer.h"
#include "core/resources/Image.h"
#include "core/resources/Material.h"
#include "core/resources/Mesh.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/ResourceLoader.h"
#include "core/resources/Texture2D.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/runtime/Transform.h"
#include "support/LogCapture.h"
#include "support/TestEngine.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtx/euler_angles.hpp>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

using Placement = FbxFile::Placement;

// The generator writes a deeper node's desired local matrix L as Rx(+90°)·L and
// vertices v as Rx(+90°)·v.
const glm::mat4 toFile = glm::rotate(glm::mat4(1.0f), glm::half_pi<float>(), glm::vec3(1, 0, 0));

// A box of the given size standing on its base at the origin (engine Y up),
// written in the file's frame.
std::vector<glm::vec3> uprightBox(const glm::vec3& size) {
    std::vector<glm::vec3> corners;
    for (int i = 0; i < 8; ++i) {
        const glm::vec3 p((i & 1) ? size.x / 2 : -size.x / 2, (i & 2) ? size.y : 0.0f,
                          (i & 4) ? size.z / 2 : -size.z / 2);
        corners.emplace_back(toFile * glm::vec4(p, 1.0f));
    }
    return corners;
}

const std::vector<int> boxTriangles = {0, 2, 1, 1, 2, 3, 4, 5, 6, 5, 7, 6, 0, 1, 4, 1, 5, 4,
                                       2, 6, 3, 3, 6, 7, 0, 4, 2, 2, 4, 6, 1, 3, 5, 3, 7, 5};

void expectNear(const glm::vec3& actual, const glm::vec3& expected, const char* what) {
    EXPECT_LT(glm::distance(actual, expected), 1e-4f) << what;
}

class ImportTest : public ::testing::Test {
protected:
    ImportTest() : engine(testConfig()) {
        assets =
            fs::temp_directory_path() / ("tw_import_" + std::to_string(::getpid()) + "_" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(assets / "scenes" / "lightmaps");
        engine.get<ResourceLoader>()->baseDir = assets.string();
        cache = engine.get<ResourceCache>();
        scene = engine.get<SceneManager>()->createScene("imported");
    }

    ~ImportTest() override {
        std::error_code ignored;
        fs::remove_all(assets, ignored);
    }

    void import(const FbxFile& file, const std::string& name = "scenes/test.fbx") {
        ASSERT_TRUE(file.write((assets / name).string()));
        engine.get<ResourceLoader>()->importScene(*scene, name);
    }

    // Ends the test (gtest reports the exception) when the node was not imported.
    Entity* entity(const std::string& name) const {
        Entity* found = scene->findEntity(name);
        if (found == nullptr) {
            throw std::runtime_error("no entity named " + name);
        }
        return found;
    }
    MeshRenderer* meshOf(const std::string& name) const { return entity(name)->getComponent<MeshRenderer>(); }

    // Assimp calls a file without meshes incomplete; real scenes always have some.
    static void addFloor(FbxFile& file) {
        file.addMesh("Floor", 0, {}, uprightBox({1, 0.1f, 1}), boxTriangles,
                     {file.addMaterial("Floor", {1, 1, 1})});
    }

    TestEngine engine;
    fs::path assets;
    ResourceCache* cache = nullptr;
    Scene* scene = nullptr;
};

TEST_F(ImportTest, NodeTreeIsLoggedWithIndentationAndMaterialsFoundByName) {
    Material* grass = cache->create<Material>("Grass");
    FbxFile file;
    const int64_t grassInFile = file.addMaterial("Grass", {0, 1, 0});
    const int64_t stone = file.addMaterial("Stone", {0.5f, 0.25f, 0.125f});
    const int64_t unnamed = file.addMaterial("", {1, 0, 1});
    file.addMesh("Ground", 0, {}, uprightBox({4, 0.1f, 4}), boxTriangles, {grassInFile});
    const int64_t group = file.addNull("Group", 0, {});
    std::vector<int> halves(12, 0);
    std::fill(halves.begin() + 6, halves.end(), 1);
    const int64_t child =
        file.addMesh("Child", group, {}, uprightBox({1, 1, 1}), boxTriangles, {grassInFile, stone}, halves);
    file.addNull("Leaf", child, {});
    file.addMesh("Odd", 0, {}, uprightBox({1, 1, 1}), boxTriangles, {unnamed});

    LogCapture log;
    import(file);
    const std::vector<std::string> expected = {
        "Node found: RootNode, #meshes: 0",  "  Node found: Ground, #meshes: 1",
        "  Material found: Grass",           "  Node found: Group, #meshes: 0",
        "    Node found: Child, #meshes: 2", "    Material found: Grass",
        "    Material found: Stone",         "      Node found: Leaf, #meshes: 0",
        "  Node found: Odd, #meshes: 1",     "  Material found: "};
    int previous = -1;
    for (const std::string& line : expected) {
        const int at = log.indexOf(line);
        EXPECT_GT(at, previous) << "\"" << line << "\" missing or out of order";
        previous = std::max(previous, at);
    }

    // A material the game registered first is used as it is; the file's other
    // materials become cached materials of their names; no name means "default".
    EXPECT_EQ(meshOf("Ground")->getMaterials(), std::vector<Material*>{grass});
    Material* stoneMaterial = cache->get<Material>("Stone");
    ASSERT_NE(stoneMaterial, nullptr);
    EXPECT_EQ(stoneMaterial->getUniform("albedo").asVec4(), glm::vec4(0.5f, 0.25f, 0.125f, 1.0f));
    EXPECT_EQ(meshOf("Child")->getMaterials(), (std::vector<Material*>{grass, stoneMaterial}));
    EXPECT_EQ(meshOf("Odd")->getMaterials(), std::vector<Material*>{cache->get<Material>("default")});
    EXPECT_EQ(meshOf("Child")->getMesh()->parts.size(), 2u);
    EXPECT_EQ(meshOf("Leaf"), nullptr);
    EXPECT_EQ(scene->importDepth, -1);
}

TEST_F(ImportTest, YUpFileLandsUprightWhereTheGeneratorPutIt) {
    // Desired world: a base at (1, 0, -5) turned 30 degrees about Y, a pillar
    // 2 units above it in the base's frame, 0.5 wide and 1 tall.
    FbxFile file;
    const int64_t material = file.addMaterial("Stone", {1, 1, 1});
    const int64_t baseId = file.addNull("Base", 0, Placement{{1, 0, -5}, {0, 30, 0}});
    const Placement pillar{glm::vec3(toFile * glm::vec4(0, 2, 0, 1)), {90, 0, 0}};
    file.addMesh("Pillar", baseId, pillar, uprightBox({0.5f, 1, 0.5f}), boxTriangles, {material});
    import(file);

    auto* baseTransform = entity("Base")->getComponent<Transform>();
    auto* pillarTransform = entity("Pillar")->getComponent<Transform>();
    const glm::mat3 turn = glm::mat3(glm::rotate(glm::mat4(1.0f), glm::radians(30.0f), glm::vec3(0, 1, 0)));
    expectNear(baseTransform->getWorldPosition(), {1, 0, -5}, "base position");
    expectNear(baseTransform->forward(), turn * glm::vec3(0, 0, -1), "base forward");
    expectNear(pillarTransform->getWorldPosition(), {1, 2, -5}, "pillar position");
    expectNear(pillarTransform->getGlobalRotation() * glm::vec3(0, 1, 0), {0, 1, 0}, "pillar up");
    expectNear(pillarTransform->forward(), turn * glm::vec3(0, 0, -1), "pillar forward");

    const Mesh& mesh = *meshOf("Pillar")->getMesh();
    expectNear(mesh.getBounds().min, {-0.25f, 0, -0.25f}, "mesh minimum");
    expectNear(mesh.getBounds().max, {0.25f, 1, 0.25f}, "mesh maximum");
    // The pillar's top stands one unit above its foot in the world.
    const glm::vec3 top(pillarTransform->getWorldMatrix() * glm::vec4(0, 1, 0, 1));
    expectNear(top, {1, 3, -5}, "pillar top");
    // Upward faces keep upward normals.
    float highestNormalY = -1.0f;
    for (const glm::vec3& normal : mesh.normals) {
        highestNormalY = std::max(highestNormalY, normal.y);
    }
    EXPECT_NEAR(highestNormalY, 1.0f, 1e-5f);
    // A corner shared by a face's two triangles is stored once (where the file
    // gives both the same normal to the bit); across the box's edges the normals
    // differ and keep the corners apart. Every triangle still faces the way its
    // corners' normals say.
    EXPECT_GE(mesh.getVertexCount(), 24u);
    EXPECT_LT(mesh.getVertexCount(), 36u);
    ASSERT_EQ(mesh.getTriangleCount(), 12u);
    for (size_t t = 0; t < mesh.indices.size(); t += 3) {
        const glm::vec3& a = mesh.positions[mesh.indices[t]];
        const glm::vec3 facing = glm::normalize(
            glm::cross(mesh.positions[mesh.indices[t + 1]] - a, mesh.positions[mesh.indices[t + 2]] - a));
        for (size_t k = 0; k < 3; ++k) {
            EXPECT_GT(glm::dot(facing, mesh.normals[mesh.indices[t + k]]), 0.999f) << "triangle " << t / 3;
        }
    }
}

TEST_F(ImportTest, LightsGetTheirTypeColourAndShineAlongTheirNodesZ) {
    FbxFile file;
    const Placement sun{{0, 0, 0}, {60, 0, 30}};
    file.addLight("Sun", 0, sun, 1, {1.0f, 0.9f, 0.8f});
    file.addLight("Spot", 0, Placement{{0, 4, 0}, {90, 0, 0}}, 2, {0, 0, 1});
    file.addLight("Lamp", 0, Placement{{3, 1, 2}}, 0, {1, 0, 0});
    addFloor(file);
    import(file);

    auto* sunLight = entity("Sun")->getComponent<Light>();
    auto* spotLight = entity("Spot")->getComponent<Light>();
    auto* lampLight = entity("Lamp")->getComponent<Light>();
    ASSERT_TRUE(sunLight && spotLight && lampLight);
    EXPECT_EQ(sunLight->type, Light::directional);
    EXPECT_EQ(spotLight->type, Light::spot);
    EXPECT_EQ(lampLight->type, Light::point);
    expectNear(sunLight->color, {1.0f, 0.9f, 0.8f}, "sun colour");

    // FBX Euler XYZ angles: the matrix is Rz·Ry·Rx.
    const glm::vec3 r = glm::radians(sun.rotationDegrees);
    const glm::vec3 sunAim =
        glm::mat3(glm::eulerAngleZ(r.z) * glm::eulerAngleY(r.y) * glm::eulerAngleX(r.x)) * glm::vec3(0, 0, 1);
    expectNear(sunLight->getWorldDirection(), sunAim, "sun direction");
    expectNear(entity("Sun")->getComponent<Transform>()->forward(), sunAim, "sun entity forward");
    // Turned 90 degrees about X, the spot's +Z points straight down.
    expectNear(spotLight->getWorldDirection(), {0, -1, 0}, "spot direction");
    expectNear(spotLight->getWorldPosition(), {0, 4, 0}, "spot position");
    expectNear(lampLight->getWorldPosition(), {3, 1, 2}, "lamp position");
}

TEST_F(ImportTest, LightmapsAreFoundByNodeNameAndNodesOfOneNameShareTheirMesh) {
    const Picture black{4, 4, std::vector<uint8_t>(4 * 4 * 3)};
    ASSERT_TRUE(black.save((assets / "scenes/lightmaps/Job 1_Tree_SHADOW.png").string()));
    // A picture asked for ahead is still on offer after the import in between.
    ASSERT_TRUE(black.save((assets / "ahead.png").string()));
    auto* loader = engine.get<ResourceLoader>();
    loader->prefetchImages({"ahead.png"});
    FbxFile file;
    const int64_t material = file.addMaterial("Bark", {1, 1, 1});
    file.addMesh("Tree", 0, {}, uprightBox({1, 3, 1}), boxTriangles, {material});
    file.addMesh("Rock", 0, {}, uprightBox({1, 1, 1}), boxTriangles, {material});
    file.addMesh("Rock", 0, Placement{{5, 0, 0}}, uprightBox({2, 2, 2}), boxTriangles, {material});
    file.addMesh("", 0, {}, uprightBox({1, 1, 1}), boxTriangles, {material});
    import(file);

    Texture2D* lightmap = cache->get<Texture2D>("LM_Tree");
    ASSERT_NE(lightmap, nullptr);
    EXPECT_EQ(meshOf("Tree")->getLightmap(), lightmap);
    EXPECT_EQ(meshOf("Rock")->getLightmap(), nullptr);
    EXPECT_EQ(cache->get<Texture2D>("LM_Rock"), nullptr);
    Image ahead;
    bool decoded = false;
    EXPECT_TRUE(loader->takePrefetched(loader->resolve("ahead.png"), ahead, decoded));
    EXPECT_TRUE(decoded);

    const auto& entities = scene->getEntities();
    ASSERT_EQ(entities.size(), 5u) << "the root, the tree, two rocks and a box without a name";
    EXPECT_EQ(entities[2]->getComponent<MeshRenderer>()->getMesh(),
              entities[3]->getComponent<MeshRenderer>()->getMesh());
    // Numbered only as it is made, the nameless node's mesh is read from the file last.
    EXPECT_EQ(entities[4]->name, "Entity5");
    EXPECT_EQ(entities[4]->getComponent<MeshRenderer>()->getMesh()->indices.size(), boxTriangles.size());
}

TEST_F(ImportTest, WithoutAxisCorrectionNodesKeepTheFilesMatrices) {
    scene->axisCorrection = false;
    FbxFile file;
    file.addNull("Plain", 0, Placement{{1, 2, 3}, {0, 0, 90}});
    addFloor(file);
    import(file);
    auto* transform = entity("Plain")->getComponent<Transform>();
    expectNear(transform->getWorldPosition(), {1, 2, 3}, "position");
    expectNear(transform->getGlobalRotation() * glm::vec3(1, 0, 0), {0, 1, 0}, "x axis");
}

TEST_F(ImportTest, MissingOrBrokenFilesAreLoggedAndChangeNothing) {
    LogCapture log;
    engine.get<ResourceLoader>()->importScene(*scene, "scenes/missing.fbx");
    const int at = log.indexOf("Error loading scene: scenes/missing.fbx");
    ASSERT_GE(at, 0);
    ASSERT_GT(log.lines.size(), static_cast<size_t>(at + 1));
    EXPECT_EQ(log.lines[at + 1].level, LogLevel::Error) << "Assimp's reason follows";
    EXPECT_TRUE(scene->getEntities().empty());

    {
        std::ofstream broken(assets / "scenes" / "broken.fbx");
        broken << "; FBX 7.4.0 project file\nObjects: { Model: 1, \"Model::X\" \n";
    }
    engine.get<ResourceLoader>()->importScene(*scene, "scenes/broken.fbx");
    EXPECT_TRUE(log.contains("Error loading scene: scenes/broken.fbx"));
    EXPECT_TRUE(scene->getEntities().empty());
}

} // namespace
