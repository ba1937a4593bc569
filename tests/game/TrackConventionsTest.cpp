// The node-name markers and the material pass, on small hand-made scenes named
// as a track file would name its nodes.
#include "RaceWorld.h"

#include "core/physics/CollisionShape.h"
#include "core/physics/PhysicsWorld.h"
#include "core/physics/RigidBodyStatic.h"
#include "core/render/MeshRenderer.h"
#include "core/resources/Material.h"
#include "core/resources/Mesh.h"
#include "core/resources/ResourceCache.h"
#include "game/RaceScene.h"

#include <gtest/gtest.h>

namespace {

class TrackConventionsTest : public ::testing::Test, protected RaceWorld {
protected:
    TrackConventionsTest() : cache(engine.get<ResourceCache>()), quad(cache->create<Mesh>("quad20")) {
        quad->positions = {{-10, 0, -10}, {-10, 0, 10}, {10, 0, 10}, {10, 0, -10}};
        quad->indices = {0, 1, 2, 0, 2, 3};
    }

    Entity* node(const std::string& name, const glm::vec3& position, const glm::vec3& scale = glm::vec3(1.0f),
                 Entity* parent = nullptr, bool withMesh = false) {
        Entity* entity = scene->createEntity(name);
        auto* transform = entity->addComponent<Transform>();
        if (parent != nullptr) {
            transform->setParent(parent->getComponent<Transform>());
        }
        transform->setPosition(position);
        transform->setScale(scale);
        if (withMesh) {
            entity->addComponent<MeshRenderer>(quad);
        }
        return entity;
    }

    void update() { scene->update(1.0f / 60.0f); }

    bool rayHits(const glm::vec3& from, RaycastHit& hit) const {
        return scene->getPhysicsWorld()->raycast(from, glm::vec3(0, -1, 0), 100.0f, hit);
    }

    ResourceCache* cache;
    Mesh* quad;
};

TEST_F(TrackConventionsTest, BoxMarkersMakeInvisibleBoxesParentBoxesAndTriggers) {
    Entity* pillar = node("Gate_PillarL_BCS_", {0, 1, 0}, {0.3f, 2.0f, 0.4f}, nullptr, true);
    Entity* wall = node("Wall", {20, 0, 0}, glm::vec3(1.0f), nullptr, true);
    node("Wall_BC_01", {0, 0, 0}, {1, 2, 3}, wall);
    Entity* gate = node("Gate", {40, 0, 0});
    node("Gate_BC_TR_", {0, 0, 0}, {9, 3, 1.5f}, gate);
    Entity* both = node("Both_BCS_BC_", {0, 0, 5}, {1, 1, 1}, gate);
    node("Floor_MC_", {40, -5, 0}, glm::vec3(1.0f), nullptr, true);
    RaceSceneBuilder::applyMarkers(*scene);

    // An invisible static box of the node's world size; its own scale is reset.
    auto* pillarBody = pillar->getComponent<RigidBodyStatic>();
    ASSERT_NE(pillarBody, nullptr);
    ASSERT_EQ(pillarBody->getShapes().size(), 1u);
    EXPECT_EQ(pillarBody->getShapes()[0]->getSize(), glm::vec3(0.6f, 4.0f, 0.8f));
    EXPECT_EQ(pillar->getComponent<Transform>()->getScale(), glm::vec3(1.0f));
    EXPECT_EQ(pillar->getComponent<MeshRenderer>(), nullptr);

    // "_BC_" gives its parent a box and goes.
    auto* wallBody = wall->getComponent<RigidBodyStatic>();
    ASSERT_NE(wallBody, nullptr);
    ASSERT_EQ(wallBody->getShapes().size(), 1u);
    EXPECT_EQ(wallBody->getShapes()[0]->getSize(), glm::vec3(2.0f, 4.0f, 6.0f));
    EXPECT_FALSE(wallBody->getShapes()[0]->isTrigger());
    EXPECT_NE(wall->getComponent<MeshRenderer>(), nullptr);
    update();
    EXPECT_EQ(scene->findEntity("Wall_BC_01"), nullptr);
    EXPECT_EQ(scene->findEntity("Gate_BC_TR_"), nullptr);

    // "_TR_" makes that box a trigger, which rays pass through to the floor below.
    auto* gateBody = gate->getComponent<RigidBodyStatic>();
    ASSERT_NE(gateBody, nullptr);
    ASSERT_EQ(gateBody->getShapes().size(), 1u) << "a name with _BCS_ gives its parent nothing";
    EXPECT_TRUE(gateBody->getShapes()[0]->isTrigger());
    RaycastHit hit;
    ASSERT_TRUE(rayHits({40, 10, 0}, hit));
    EXPECT_NEAR(hit.point.y, -5.0f, 1e-4f);
    EXPECT_EQ(hit.body->entity->name, "Floor_MC_");

    // "_BCS_" wins over "_BC_": its own box, and it stays.
    ASSERT_NE(both->getComponent<RigidBodyStatic>(), nullptr);
    EXPECT_EQ(both->getComponent<RigidBodyStatic>()->getShapes().size(), 1u);
    EXPECT_NE(scene->findEntity("Both_BCS_BC_"), nullptr);
}

TEST_F(TrackConventionsTest, BodyMarkersMakeMeshCollidersDynamicBodiesConesHiddenMeshesAndUnderlays) {
    Entity* floor = node("Road_MC_", {0, 0, 0}, {2, 1, 2}, nullptr, true);
    Entity* crate = node("Crate_RD_", {0, 5, 0});
    Entity* kart = node("Buggy_RD_", {30, 5, 0});
    node("Buggy_BC_", {0, 0, 0}, {0.5f, 0.25f, 1.0f}, kart);
    Entity* hidden = node("Deco_RM_", {0, 0, 30}, glm::vec3(1.0f), nullptr, true);
    Entity* plain = node("Sign_NOOP_", {0, 0, 40}, glm::vec3(1.0f), nullptr, true);
    Entity* cone = node("Cone_Signaling_03", {5, 1.002f, 5}, glm::vec3(1.0f), nullptr, true);
    Material* grass = cache->create<Material>("Grass");
    Material* asphalt = cache->create<Material>("Road");
    node("Ground_MC_0", {0, -1, 100}, glm::vec3(1.0f), nullptr, true)
        ->getComponent<MeshRenderer>()
        ->setMaterial(grass);
    floor->getComponent<MeshRenderer>()->setMaterial(asphalt);
    RaceSceneBuilder::applyMarkers(*scene);

    auto* road = floor->getComponent<RigidBodyStatic>();
    ASSERT_NE(road, nullptr);
    ASSERT_EQ(road->getShapes().size(), 1u);
    EXPECT_EQ(road->getShapes()[0]->getKind(), ShapeKind::TriangleMesh);
    RaycastHit hit;
    ASSERT_TRUE(rayHits({15, 10, 15}, hit)) << "the mesh collider takes the node's scale";
    EXPECT_EQ(hit.body, road);

    auto* crateBody = crate->getComponent<RigidBodyDynamic>();
    ASSERT_NE(crateBody, nullptr);
    EXPECT_TRUE(crateBody->getShapes().empty());
    auto* kartBody = kart->getComponent<RigidBodyDynamic>();
    ASSERT_NE(kartBody, nullptr);
    ASSERT_EQ(kartBody->getShapes().size(), 1u) << "_BC_ adds to the parent's dynamic body";
    EXPECT_EQ(kartBody->getShapes()[0]->getSize(), glm::vec3(1.0f, 0.5f, 2.0f));
    EXPECT_EQ(kart->getComponent<RigidBodyStatic>(), nullptr);

    EXPECT_EQ(hidden->getComponent<MeshRenderer>(), nullptr);
    EXPECT_EQ(hidden->getComponent<RigidBody>(), nullptr);
    EXPECT_NE(plain->getComponent<MeshRenderer>(), nullptr);
    EXPECT_EQ(plain->getComponent<RigidBody>(), nullptr);

    auto* coneBody = cone->getComponent<RigidBodyDynamic>();
    ASSERT_NE(coneBody, nullptr);
    EXPECT_FLOAT_EQ(coneBody->getMass(), 0.001f);
    ASSERT_EQ(coneBody->getShapes().size(), 1u);
    EXPECT_EQ(coneBody->getShapes()[0]->getSize(), glm::vec3(1.5f, 2.0f, 1.5f));
    EXPECT_NE(cone->getComponent<MeshRenderer>(), nullptr);

    EXPECT_TRUE(grass->isUnderlay()) << "the ground's tiles are drawn after what lies on them";
    EXPECT_FALSE(asphalt->isUnderlay());
}

TEST_F(TrackConventionsTest, UnusedGridKartsVanishWithTheirPartsAndTheUsedOnesStay) {
    for (const char* prefix : {"P1", "P2", "P3", "P8"}) {
        Entity* kart = node(prefix, {0, 1, 0});
        for (const std::string& part :
             {std::string(prefix) + "BuggyCollider", std::string(prefix) + "Wheel_FL"}) {
            node(part, {1, 0, 0}, glm::vec3(1.0f), kart, true);
        }
    }
    RaceSceneBuilder::removeUnusedKarts(*scene, 2);
    // Hidden at once, so that no frame draws them before the destruction.
    for (const std::string name : {"P3", "P3Wheel_FL", "P8", "P8BuggyCollider"}) {
        ASSERT_NE(scene->findEntity(name), nullptr) << name;
        EXPECT_FALSE(scene->findEntity(name)->active) << name;
    }
    update();
    for (const char* name : {"P3", "P3BuggyCollider", "P3Wheel_FL", "P8", "P8BuggyCollider", "P8Wheel_FL"}) {
        EXPECT_EQ(scene->findEntity(name), nullptr) << name;
    }
    for (const char* name : {"P1", "P1BuggyCollider", "P1Wheel_FL", "P2", "P2Wheel_FL"}) {
        ASSERT_NE(scene->findEntity(name), nullptr) << name;
        EXPECT_TRUE(scene->findEntity(name)->active) << name;
    }
}

TEST_F(TrackConventionsTest,
       MaterialPassCutsOutTheStartLineLeavesShadowsToKartsWheelsAndBeamsAndMarksFineRelief) {
    for (const char* name : {"Road", "StartLine", "Beam", "Buggy_Blue", "Buggy_Orange", "Buggy_Green",
                             "Wheel", "Grass", "Buggy", "Dusk_Grass", "Desert_Dune"}) {
        cache->create<Material>(name);
    }
    cache->get<Material>("StartLine")->setReceivesShadows(false);
    RaceSceneBuilder::applyMaterialConventions(*cache);

    const Material* startLine = cache->get<Material>("StartLine");
    EXPECT_TRUE(startLine->hasDefine("CUTOUT"));
    EXPECT_EQ(startLine->getUniform("albedo"), MaterialValue(glm::vec4(0.9f, 0.9f, 0.9f, 0.4f)));
    EXPECT_TRUE(startLine->getReceivesShadows());
    for (Material* material : cache->getAll<Material>()) {
        const std::string& name = material->getName();
        const bool caster = name == "Beam" || name == "Buggy_Blue" || name == "Buggy_Orange" ||
                            name == "Buggy_Green" || name == "Wheel";
        EXPECT_EQ(material->getCastsShadows(), caster) << name;
        EXPECT_EQ(material->hasFineRelief(), name == "Road" || name == "Grass" || name == "Dusk_Grass")
            << name;
    }
}

} // namespace
