// The physics world: fixed steps, pose write-back, ray queries and determinism.
#include "PhysicsFixture.h"

#include "core/resources/Mesh.h"

#include <cstring>

TEST_F(PhysicsTest, StepsOncePerFixedUpdateWithTheGivenStep) {
    RigidBodyDynamic* body = dynamicBox("Falling", glm::vec3(0.0f, 100.0f, 0.0f));
    step(60);
    // Each step adds g * dt to the speed: 59 or 61 steps would be 0.16 m/s off.
    EXPECT_NEAR(body->getLinearVelocity().y, -9.81f, 1e-3f);

    // In slow motion the world steps the scaled time.
    scene->timeScale = 0.5f;
    step(60);
    EXPECT_NEAR(body->getLinearVelocity().y, -9.81f - 57.0f / 120.0f * 9.81f, 1e-3f);
}

TEST_F(PhysicsTest, WritesDynamicPosesBackAfterEveryStepEvenUnderAParentAndLeavesStaticsAlone) {
    RigidBodyDynamic* falling = dynamicBox("Falling", glm::vec3(1.0f, 10.0f, 0.0f));
    falling->setAngularVelocity(glm::vec3(0.0f, 1.0f, 0.5f));
    RigidBodyStatic* wall = staticBox("Wall", glm::vec3(20.0f, 0.0f, 0.0f), glm::vec3(1.0f));
    auto* fallingTransform = falling->entity->getComponent<Transform>();
    auto* wallTransform = wall->entity->getComponent<Transform>();
    wallTransform->setPosition(glm::vec3(5.0f, 5.0f, 5.0f));
    for (int i = 0; i < 30; ++i) {
        step();
        EXPECT_EQ(fallingTransform->getWorldPosition(), falling->getGlobalPosition());
        EXPECT_NEAR(glm::abs(glm::dot(fallingTransform->getGlobalRotation(), falling->getGlobalRotation())),
                    1.0f, 1e-6f);
    }
    EXPECT_LT(fallingTransform->getWorldPosition().y, 10.0f);
    // A static body's transform is never written, and moving it does not move the body.
    EXPECT_EQ(wallTransform->getPosition(), glm::vec3(5.0f, 5.0f, 5.0f));
    EXPECT_EQ(wall->getGlobalPosition(), glm::vec3(20.0f, 0.0f, 0.0f));

    // Under a parent the world pose is written back, as a local pose below the parent.
    Entity* parent = entityAt("Parent", glm::vec3(10.0f, 0.0f, 0.0f));
    RigidBodyDynamic* child = dynamicBox("Child", glm::vec3(0.0f));
    auto* childTransform = child->entity->getComponent<Transform>();
    childTransform->setParent(parent->getComponent<Transform>());
    child->teleport(glm::vec3(3.0f, 5.0f, 0.0f), glm::quat(1.0f, 0.0f, 0.0f, 0.0f));
    step();
    EXPECT_NEAR(childTransform->getWorldPosition().x, 3.0f, 1e-5f);
    EXPECT_NEAR(childTransform->getPosition().x, -7.0f, 1e-5f);
}

TEST_F(PhysicsTest, RaysHitOnlyTheFrontOfMeshesThroughBoxesAndTriggers) {
    RigidBodyStatic* track = ground();
    staticBox("Wall", glm::vec3(0.0f, 5.0f, 0.0f), glm::vec3(4.0f));
    staticBox("Gate", glm::vec3(0.0f, 12.0f, 0.0f), glm::vec3(4.0f), true);
    dynamicBox("Kart", glm::vec3(0.0f, 15.0f, 0.0f));

    RaycastHit hit;
    ASSERT_TRUE(world->raycast(glm::vec3(0.5f, 20.0f, 0.25f), glm::vec3(0.0f, -2.0f, 0.0f), 50.0f, hit));
    EXPECT_EQ(hit.body, track);
    EXPECT_EQ(hit.shape, track->getShapes()[0].get());
    EXPECT_NEAR(hit.distance, 20.0f, 1e-4f);
    EXPECT_NEAR(hit.point.y, 0.0f, 1e-4f);
    EXPECT_NEAR(hit.point.x, 0.5f, 1e-4f);
    EXPECT_NEAR(hit.normal.y, 1.0f, 1e-5f);
    EXPECT_GE(hit.faceIndex, 0);

    RaycastHit untouched;
    untouched.distance = 123.0f;
    // Too short, pointing away, and from below (back faces): nothing, and the record stays.
    EXPECT_FALSE(
        world->raycast(glm::vec3(0.5f, 20.0f, 0.0f), glm::vec3(0.0f, -1.0f, 0.0f), 19.9f, untouched));
    EXPECT_FALSE(
        world->raycast(glm::vec3(0.5f, 20.0f, 0.0f), glm::vec3(0.0f, 1.0f, 0.0f), 100.0f, untouched));
    EXPECT_FALSE(
        world->raycast(glm::vec3(0.5f, -1.0f, 0.0f), glm::vec3(0.0f, 1.0f, 0.0f), 100.0f, untouched));
    EXPECT_FALSE(world->raycast(glm::vec3(0.5f, 20.0f, 0.0f), glm::vec3(0.0f), 100.0f, untouched));
    EXPECT_EQ(untouched.distance, 123.0f);
    EXPECT_EQ(untouched.body, nullptr);
}

TEST_F(PhysicsTest, SphereSweepsStopAtStaticSolidsOnly) {
    ground();
    RigidBodyStatic* wall = staticBox("Wall", glm::vec3(0.0f, 5.0f, 0.0f), glm::vec3(4.0f));
    staticBox("Gate", glm::vec3(-10.0f, 5.0f, 0.0f), glm::vec3(4.0f), true);
    dynamicBox("Kart", glm::vec3(-6.0f, 5.0f, 0.0f));

    // Through the trigger and the moving box to the wall's face at x = -2.
    RaycastHit hit;
    ASSERT_TRUE(
        world->sphereCast(glm::vec3(-20.0f, 5.0f, 0.0f), glm::vec3(2.0f, 0.0f, 0.0f), 0.5f, 40.0f, hit));
    EXPECT_EQ(hit.body, wall);
    EXPECT_NEAR(hit.distance, 17.5f, 0.05f) << "the sphere's surface touches, not its centre";
    EXPECT_NEAR(hit.point.x, -2.0f, 0.05f);
    EXPECT_NEAR(hit.normal.x, -1.0f, 1e-3f);

    // Meshes count as well as boxes.
    ASSERT_TRUE(
        world->sphereCast(glm::vec3(10.0f, 10.0f, 0.0f), glm::vec3(0.0f, -1.0f, 0.0f), 1.0f, 50.0f, hit));
    EXPECT_NEAR(hit.distance, 9.0f, 0.05f);

    RaycastHit untouched;
    untouched.distance = 123.0f;
    EXPECT_FALSE(world->sphereCast(glm::vec3(10.0f, 10.0f, 0.0f), glm::vec3(0.0f, -1.0f, 0.0f), 1.0f, 8.5f,
                                   untouched));
    EXPECT_FALSE(world->sphereCast(glm::vec3(10.0f, 10.0f, 0.0f), glm::vec3(0.0f, 1.0f, 0.0f), 1.0f, 50.0f,
                                   untouched));
    EXPECT_FALSE(world->sphereCast(glm::vec3(10.0f, 10.0f, 0.0f), glm::vec3(0.0f), 1.0f, 50.0f, untouched));
    EXPECT_FALSE(world->sphereCast(glm::vec3(10.0f, 10.0f, 0.0f), glm::vec3(1.0f, 0.0f, 0.0f), 0.0f, 50.0f,
                                   untouched));
    EXPECT_EQ(untouched.distance, 123.0f);
}

TEST_F(PhysicsTest, MeshCollidersKeepTheWorldScaleTheyWereMadeWith) {
    Entity* entity = entityAt("Pad", glm::vec3(0.0f));
    auto* transform = entity->getComponent<Transform>();
    transform->setScale(glm::vec3(3.0f, 1.0f, 3.0f));
    RigidBodyStatic* pad = entity->addComponent<RigidBodyStatic>();
    const FlatGrid unit(2, 1.0f);
    Mesh mesh(engine.systems.get());
    mesh.positions = unit.positions;
    mesh.indices = unit.indices;
    ASSERT_TRUE(pad->addCollisionShape()->setMesh(&mesh));
    transform->setScale(glm::vec3(1.0f));

    RaycastHit hit;
    EXPECT_TRUE(world->raycast(glm::vec3(1.4f, 5.0f, -1.4f), glm::vec3(0.0f, -1.0f, 0.0f), 10.0f, hit));
    EXPECT_FALSE(world->raycast(glm::vec3(1.6f, 5.0f, 0.0f), glm::vec3(0.0f, -1.0f, 0.0f), 10.0f, hit));
    // Bodies collide with the same scaled geometry.
    RigidBodyDynamic* box = dynamicBox("Box", glm::vec3(1.2f, 2.0f, 1.2f), glm::vec3(0.2f));
    step(120);
    EXPECT_NEAR(box->getGlobalPosition().y, 0.1f, 0.02f);
}

// A busy little scene: tumbling boxes and a kart-like body with an offset centre
// of mass and forces at points, all on a mesh.
static std::vector<float> simulateScene() {
    struct Run : PhysicsTest {
        void TestBody() override {}
    } run;
    run.ground(glm::vec3(0.0f), 20, 40.0f);
    std::vector<RigidBodyDynamic*> bodies;
    for (int i = 0; i < 6; ++i) {
        const auto f = static_cast<float>(i);
        bodies.push_back(run.dynamicBox("Box", glm::vec3(0.3f * f, 2.0f + 1.1f * f, 0.1f)));
        bodies.back()->setAngularVelocity(glm::vec3(0.3f, 0.1f * f, -0.2f));
    }
    RigidBodyDynamic* kart =
        run.dynamicBox("Kart", glm::vec3(-4.0f, 1.0f, 0.0f), glm::vec3(1.0f, 0.5f, 2.0f));
    kart->setCenterOfMass(glm::vec3(0.0f, -1.0f, 0.0f));
    bodies.push_back(kart);
    for (int i = 0; i < 240; ++i) {
        kart->addForceAtPosition(glm::vec3(0.0f, 4.0f, -3.0f),
                                 kart->getGlobalPosition() + glm::vec3(0.3f, 0.0f, 0.5f));
        run.step();
    }
    std::vector<float> poses;
    for (RigidBodyDynamic* body : bodies) {
        const glm::vec3 p = body->getGlobalPosition();
        const glm::quat q = body->getGlobalRotation();
        poses.insert(poses.end(), {p.x, p.y, p.z, q.x, q.y, q.z, q.w});
    }
    return poses;
}

TEST(PhysicsDeterminism, SameInputsGiveBitIdenticalPoses) {
    const std::vector<float> first = simulateScene();
    const std::vector<float> second = simulateScene();
    ASSERT_EQ(first.size(), second.size());
    EXPECT_EQ(std::memcmp(first.data(), second.data(), first.size() * sizeof(float)), 0);
}
