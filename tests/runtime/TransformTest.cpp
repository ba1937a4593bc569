// Transforms: lazy world values, change events and hierarchy maths.
#include "core/runtime/Transform.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "support/ExpectNear.h"
#include "support/LogCapture.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

namespace {

struct ChangeCounter {
    int changes = 0;
    void onChanged() { ++changes; }
};

void expectNear(const glm::vec3& actual, const glm::vec3& expected) {
    ::expectNear(actual, expected, 1e-5f);
}

struct TransformTest : ::testing::Test {
    TransformTest() : engine(testConfig(), false) {
        scene = engine.systems->add<SceneManager>()->createScene("s");
    }
    Transform* make() { return scene->createEntity()->addComponent<Transform>(); }
    TestEngine engine;
    Scene* scene = nullptr;
};

} // namespace

TEST_F(TransformTest, OneChangeEventPerBurstOfWritesForEveryDescendant) {
    Transform* root = make();
    Transform* child = make();
    Transform* grandChild = make();
    child->setParent(root);
    grandChild->setParent(child);
    grandChild->refresh();
    ChangeCounter childCounter;
    ChangeCounter grandCounter;
    subscribe(child->onChanged, &childCounter, &ChangeCounter::onChanged);
    subscribe(grandChild->onChanged, &grandCounter, &ChangeCounter::onChanged);
    root->setPosition({0.0f, 5.0f, 0.0f});
    root->setPosition({0.0f, 6.0f, 0.0f});
    EXPECT_EQ(childCounter.changes, 1);
    EXPECT_EQ(grandCounter.changes, 1);
    expectNear(grandChild->getWorldPosition(), {0.0f, 6.0f, 0.0f});
    child->setScale(glm::vec3(2.0f));
    EXPECT_EQ(childCounter.changes, 2);
    EXPECT_EQ(grandCounter.changes, 2);
}

TEST_F(TransformTest, GlobalPoseSettersUndoTheParent) {
    Transform* parent = make();
    Transform* child = make();
    child->setParent(parent);
    parent->setPosition({1.0f, 0.0f, 0.0f});
    child->setGlobalPosition({3.0f, 0.0f, 0.0f});
    expectNear(child->getPosition(), {2.0f, 0.0f, 0.0f});
    expectNear(child->getWorldPosition(), {3.0f, 0.0f, 0.0f});

    parent->setRotation(glm::angleAxis(glm::radians(90.0f), glm::vec3(0.0f, 1.0f, 0.0f)));
    const glm::quat target = glm::angleAxis(glm::radians(30.0f), glm::vec3(1.0f, 0.0f, 0.0f));
    child->setGlobalRotation(target);
    const glm::quat global = child->getGlobalRotation();
    EXPECT_NEAR(std::abs(glm::dot(global, target)), 1.0f, 1e-5f);

    // A world-space turn is about world axes: under a parent pitched to look
    // straight up (world +Y), a yaw about world Y leaves that direction alone.
    child->setRotation(glm::quat(1.0f, 0.0f, 0.0f, 0.0f));
    parent->setRotation(glm::angleAxis(glm::radians(90.0f), glm::vec3(1.0f, 0.0f, 0.0f)));
    child->rotate(glm::radians(90.0f), glm::vec3(0.0f, 1.0f, 0.0f), Space::World);
    expectNear(glm::normalize(child->forward()), glm::normalize(parent->forward()));
}

TEST_F(TransformTest, ScaleDoesNotMoveTheTranslationAndTranslateFollowsLocalAxes) {
    Transform* t = make();
    expectNear(t->forward(), glm::vec3(0.0f, 0.0f, -1.0f));
    t->setScale(glm::vec3(2.0f));
    t->setPosition({1.0f, 0.0f, 0.0f});
    expectNear(t->getWorldPosition(), {1.0f, 0.0f, 0.0f});
    expectNear(t->getGlobalScale(), glm::vec3(2.0f));

    t->setPosition(glm::vec3(0.0f));
    t->setScale(glm::vec3(1.0f));
    t->setRotation(glm::angleAxis(glm::radians(90.0f), glm::vec3(0.0f, 1.0f, 0.0f)));
    t->translate(0.0f, 0.0f, -1.0f);
    expectNear(t->getPosition(), {-1.0f, 0.0f, 0.0f});
}

TEST_F(TransformTest, AParentThatWouldMakeACycleIsRefusedAndADestroyedOneLeavesRoots) {
    Transform* root = make();
    Transform* middle = make();
    Transform* leaf = make();
    middle->setParent(root);
    leaf->setParent(middle);
    LogCapture log;
    root->setParent(leaf);
    middle->setParent(middle);
    EXPECT_EQ(log.count("Transform parent refused: it would make a cycle"), 2);
    EXPECT_EQ(root->getParent(), nullptr);
    EXPECT_EQ(middle->getParent(), root);
    root->setPosition({1.0f, 0.0f, 0.0f});
    expectNear(leaf->getWorldPosition(), glm::vec3(1.0f, 0.0f, 0.0f));

    scene->destroyEntity(root->entity);
    scene->update(0.0f);
    EXPECT_EQ(middle->getParent(), nullptr);
    expectNear(leaf->getWorldPosition(), glm::vec3(0.0f));
}
