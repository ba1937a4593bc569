// Rigid bodies, shapes and materials against the real simulation.
#include "PhysicsFixture.h"

#include "core/physics/RaycastHit.h"
#include "core/resources/Mesh.h"
#include "support/ExpectNear.h"
#include "support/LogCapture.h"

#include <algorithm>
#include <cmath>

TEST_F(PhysicsTest, MeshesCookedTogetherMatchThoseCookedAlone) {
    RigidBodyStatic* body = staticBox("Holder", glm::vec3(0.0f, -10.0f, 0.0f), glm::vec3(1.0f));
    Mesh big(engine.systems.get());
    Mesh small(engine.systems.get());
    Mesh broken(engine.systems.get());
    const FlatGrid bigGrid(8, 4.0f);
    const FlatGrid smallGrid(2, 1.0f);
    big.positions = bigGrid.positions;
    big.indices = bigGrid.indices;
    small.positions = smallGrid.positions;
    small.indices = smallGrid.indices;
    broken.positions = smallGrid.positions;
    broken.indices = {0, 1, 99};
    std::vector<CollisionShape::MeshOfShape> together;
    for (const Mesh* mesh : std::vector<const Mesh*>{&big, &broken, &small, nullptr, &big}) {
        together.push_back({body->addCollisionShape(), mesh});
    }
    LogCapture log;
    CollisionShape::setMeshes(together);
    EXPECT_EQ(log.count("Error cooking PhysxMesh."), 2);
    for (const CollisionShape::MeshOfShape& each : together) {
        CollisionShape* alone = body->addCollisionShape();
        EXPECT_EQ(alone->setMesh(each.mesh), each.shape->hasGeometry());
        EXPECT_EQ(alone->getTriangleCount(), each.shape->getTriangleCount());
    }
    EXPECT_EQ(together[0].shape->getTriangleCount(), 128u);
    // The holder's centre is at -10: a ray from above meets the big grid's plane there.
    RaycastHit hit;
    ASSERT_TRUE(world->raycast(glm::vec3(1.9f, -5.0f, 1.9f), glm::vec3(0.0f, -1.0f, 0.0f), 10.0f, hit));
    EXPECT_NEAR(hit.point.y, -10.0f, 1e-4f);
}

TEST_F(PhysicsTest, BadMeshesAreReportedAndLeaveNoShape) {
    RigidBodyStatic* body = staticBox("Holder", glm::vec3(0.0f), glm::vec3(1.0f));
    const std::vector<glm::vec3> line = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}};
    LogCapture log;
    // Empty, degenerate, out of range, and no mesh at all.
    for (const std::vector<uint16_t>& indices : {std::vector<uint16_t>{}, {0, 1, 2, 2, 2, 2}, {0, 1, 7}}) {
        CollisionShape* shape = body->addCollisionShape();
        EXPECT_FALSE(shape->setTriangles(line, indices)) << indices.size();
        EXPECT_FALSE(shape->hasGeometry());
    }
    CollisionShape* missing = body->addCollisionShape();
    EXPECT_FALSE(missing->setMesh(nullptr));
    EXPECT_FALSE(missing->hasGeometry());
    EXPECT_EQ(log.count("Error cooking PhysxMesh."), 4);
    // A mesh with some degenerate triangles keeps the good ones.
    const FlatGrid grid(1, 2.0f);
    std::vector<uint16_t> indices = grid.indices;
    indices.insert(indices.end(), {0, 0, 1});
    CollisionShape* good = body->addCollisionShape();
    EXPECT_TRUE(good->setTriangles(grid.positions, indices));
    EXPECT_EQ(good->getTriangleCount(), 2u);
    step();
}

TEST_F(PhysicsTest, MaterialsDefaultOnFirstUseAndCombineByAverage) {
    ResourceCache* cache = engine.get<ResourceCache>();
    PhysicsMaterial* bouncy = cache->create<PhysicsMaterial>("car", 0.5f, 0.5f, 1.0f);
    PhysicsMaterial* fallback = cache->get<PhysicsMaterial>("default");
    ASSERT_NE(fallback, nullptr);

    PhysicsMaterial* dead = cache->create<PhysicsMaterial>("dead", 0.5f, 0.5f, 0.0f);
    RigidBodyStatic* floor = staticBox("Floor", glm::vec3(0.0f, -0.5f, 0.0f), glm::vec3(20.0f, 1.0f, 20.0f));
    floor->getShapes()[0]->setMaterial(dead);
    RigidBodyDynamic* ball = dynamicBox("Ball", glm::vec3(0.0f, 5.5f, 0.0f));
    EXPECT_EQ(ball->getShapes()[0]->getMaterial(), fallback);
    ball->getShapes()[0]->setMaterial(bouncy);
    float impact = 0.0f, rebound = 0.0f;
    for (int i = 0; i < 90; ++i) {
        step();
        const float vy = ball->getLinearVelocity().y;
        impact = std::min(impact, vy);
        rebound = impact < -5.0f ? std::max(rebound, vy) : rebound;
    }
    // Restitution 1 against 0: the average bounces back at half the impact speed
    // (Bullet's own product would not bounce at all).
    EXPECT_NEAR(rebound / -impact, 0.5f, 0.1f);
}

TEST_F(PhysicsTest, DynamicBodiesStartWithTheTunedDefaults) {
    // Undamped flight, angular damping 0.05 and a spin limit of 7 rad/s.
    RigidBodyDynamic* body = dynamicBox("Spinner", glm::vec3(0.0f, 1000.0f, 0.0f));
    body->setLinearVelocity(glm::vec3(3.0f, 0.0f, 0.0f));
    body->setAngularVelocity(glm::vec3(0.0f, 5.0f, 0.0f));
    step(60);
    EXPECT_FLOAT_EQ(body->getLinearVelocity().x, 3.0f);
    EXPECT_NEAR(body->getAngularVelocity().y, 5.0f * std::exp(-0.05f), 0.01f);
    // The limit also bounds how far the body turns in a step.
    body->setAngularVelocity(glm::vec3(0.0f));
    const glm::quat before = body->getGlobalRotation();
    body->addAngularVelocityChange(glm::vec3(0.0f, 0.0f, 30.0f));
    step();
    EXPECT_LE(glm::length(body->getAngularVelocity()), 7.0f + 1e-4f);
    const float turned =
        2.0f * std::acos(std::min(1.0f, glm::abs(glm::dot(before, body->getGlobalRotation()))));
    EXPECT_NEAR(turned, 7.0f / 60.0f, 1e-3f);

    // A light body falls as fast as a heavy one.
    body->setMass(0.001f);
    const float vy = body->getLinearVelocity().y;
    step();
    EXPECT_NEAR(body->getLinearVelocity().y - vy, -9.81f / 60.0f, 1e-4f);
}

TEST_F(PhysicsTest, ForcesAndVelocityChangesActAtTheCentreOrAtPoints) {
    RigidBodyDynamic* body = dynamicBox("Kart", glm::vec3(0.0f, 500.0f, 0.0f), glm::vec3(1.0f, 0.5f, 2.0f));
    body->setCenterOfMass(glm::vec3(0.0f, -1.0f, 0.0f));
    // Moving the centre of mass does not move the body.
    EXPECT_EQ(body->getGlobalPosition(), glm::vec3(0.0f, 500.0f, 0.0f));
    EXPECT_EQ(body->getCenterOfMassPosition(), glm::vec3(0.0f, 499.0f, 0.0f));

    body->addForceAtPosition(glm::vec3(60.0f, 0.0f, 0.0f), body->getCenterOfMassPosition());
    body->addVelocityChange(glm::vec3(0.0f, 0.0f, -2.0f));
    EXPECT_EQ(body->getLinearVelocity().z, 0.0f) << "velocity changes wait for the step";
    step();
    EXPECT_NEAR(body->getLinearVelocity().x, 1.0f, 1e-5f);
    EXPECT_NEAR(body->getLinearVelocity().z, -2.0f, 1e-5f);
    EXPECT_NEAR(glm::length(body->getAngularVelocity()), 0.0f, 1e-6f);

    // A push above the centre of mass also turns the body (inertia 1: torque = r x F).
    body->addForceAtPosition(glm::vec3(60.0f, 0.0f, 0.0f),
                             body->getCenterOfMassPosition() + glm::vec3(0, 1, 0));
    step();
    EXPECT_NEAR(body->getAngularVelocity().z, -1.0f, 2e-3f);
    const glm::vec3 offset(0.0f, 2.0f, 0.0f);
    const glm::vec3 expected = body->getLinearVelocity() + glm::cross(body->getAngularVelocity(), offset);
    expectNear(body->getVelocityAtPosition(body->getCenterOfMassPosition() + offset), expected, 1e-5f);
}

TEST_F(PhysicsTest, BodiesThatMaySleepDoUntilATeleportMovesBodyAndTransformAtOnce) {
    ground();
    RigidBodyDynamic* body = dynamicBox("Sleeper", glm::vec3(0.0f, 0.5f, 0.0f));
    body->setCenterOfMass(glm::vec3(0.0f, -1.0f, 0.0f));
    RigidBodyDynamic* kart = dynamicBox("Kart", glm::vec3(3.0f, 0.5f, 0.0f));
    kart->setSleepEnabled(false);
    // A body without shapes still falls.
    RigidBodyDynamic* bare = entityAt("Bare", glm::vec3(0.0f, 10.0f, 0.0f))->addComponent<RigidBodyDynamic>();
    step(300);
    EXPECT_LT(bare->getGlobalPosition().y, 9.0f);
    EXPECT_FALSE(kart->isSleeping());
    ASSERT_TRUE(body->isSleeping());
    const glm::quat turned = glm::angleAxis(1.0f, glm::vec3(0.0f, 1.0f, 0.0f));
    body->teleport(glm::vec3(5.0f, 3.0f, 2.0f), turned);
    EXPECT_FALSE(body->isSleeping());
    expectNear(body->getGlobalPosition(), glm::vec3(5, 3, 2), 1e-5f);
    expectNear(body->entity->getComponent<Transform>()->getWorldPosition(), glm::vec3(5, 3, 2), 1e-5f);
    step();
    EXPECT_LT(body->getGlobalPosition().y, 3.0f);
    EXPECT_NEAR(body->getGlobalPosition().x, 5.0f, 1e-4f);
}

TEST_F(PhysicsTest, ALightConeHitByAHeavyFastBoxStaysSane) {
    ground(glm::vec3(0.0f), 20, 400.0f);
    RigidBodyDynamic* cone =
        dynamicBox("Cone_Signaling", glm::vec3(0.0f, 1.0f, 0.0f), glm::vec3(1.5f, 2.0f, 1.5f));
    cone->setMass(0.001f);
    step(30);
    RigidBodyDynamic* box = dynamicBox("Kart", glm::vec3(-6.0f, 1.0f, 0.0f), glm::vec3(1.0f));
    box->setLinearVelocity(glm::vec3(30.0f, 0.0f, 0.0f));
    for (int i = 0; i < 180; ++i) {
        step();
        const glm::vec3 p = cone->getGlobalPosition();
        ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z)) << "step " << i;
        ASSERT_GT(p.y, -0.1f) << "step " << i;
        ASSERT_LT(glm::length(cone->getLinearVelocity()), 1000.0f) << "step " << i;
    }
    // It was hit, not passed through.
    EXPECT_GT(glm::length(cone->getGlobalPosition() - glm::vec3(0.0f, 1.0f, 0.0f)), 1.0f);
}

TEST_F(PhysicsTest, ABoxSlidesOverALargeMeshWithoutBumpingOnSeams) {
    // 159 x 159 quads: 50562 triangles, the size of a track.
    RigidBodyStatic* track = ground(glm::vec3(0.0f), 159, 400.0f);
    ASSERT_GE(track->getShapes()[0]->getTriangleCount(), 50000u);
    PhysicsMaterial* ice = engine.get<ResourceCache>()->create<PhysicsMaterial>("ice", 0.0f, 0.0f, 0.0f);
    track->getShapes()[0]->setMaterial(ice);
    RigidBodyDynamic* box = dynamicBox("Sled", glm::vec3(-150.0f, 0.5f, 0.3f), glm::vec3(1.0f, 1.0f, 1.0f));
    box->getShapes()[0]->setMaterial(ice);
    box->setSleepEnabled(false);
    step(30);
    box->setLinearVelocity(glm::vec3(12.0f, 0.0f, 5.0f));
    float highest = 0.0f;
    for (int i = 0; i < 600; ++i) {
        step();
        highest = std::max(highest, box->getGlobalPosition().y);
    }
    const glm::vec3 v = box->getLinearVelocity();
    EXPECT_NEAR(glm::length(glm::vec2(v.x, v.z)), 13.0f, 0.1f);
    EXPECT_LT(highest, 0.52f);
}
