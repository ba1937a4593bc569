// Scenes: entity naming, timers, slow motion, snapshots and deferred destruction.
#include "core/runtime/Scene.h"
#include "core/runtime/Entity.h"
#include "core/runtime/SceneManager.h"
#include "core/runtime/Updateable.h"
#include "support/LogCapture.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Stepper : Updateable {
    using Updateable::Updateable;
    void fixedUpdate(float dt) override {
        Updateable::fixedUpdate(dt);
        steps.push_back(dt);
    }
    void update(float dt) override {
        Updateable::update(dt);
        ++updates;
        if (onUpdate) {
            onUpdate();
        }
    }
    std::vector<float> steps;
    int updates = 0;
    std::function<void()> onUpdate;
};

struct SceneTest : ::testing::Test {
    SceneTest() : engine(testConfig(), false) {
        sceneManager = engine.systems->add<SceneManager>();
        scene = sceneManager->createScene("game");
    }
    // One frame of exactly one fixed step, as the engine runs it.
    void step() {
        scene->fixedUpdate(Engine::fixedStep);
        scene->update(Engine::fixedStep);
        scene->lateUpdate(Engine::fixedStep);
    }
    TestEngine engine;
    SceneManager* sceneManager = nullptr;
    Scene* scene = nullptr;
};

} // namespace

TEST_F(SceneTest, UnnamedEntitiesCountEveryCreationOnlyTheCurrentSceneRunsAndItsNameCanBeReused) {
    EXPECT_EQ(scene->createEntity()->name, "Entity1");
    scene->createEntity("named");
    EXPECT_EQ(scene->createEntity()->name, "Entity3");
    EXPECT_EQ(scene->findEntity("named")->name, "named");
    EXPECT_EQ(scene->findEntity("missing"), nullptr);

    // The first scene became current and runs; switching stops it.
    EXPECT_EQ(sceneManager->current, scene);
    EXPECT_TRUE(scene->isRunning());
    Scene* second = sceneManager->createScene("other");
    EXPECT_FALSE(second->isRunning());
    sceneManager->setScene(second);
    EXPECT_FALSE(scene->isRunning());
    EXPECT_TRUE(second->isRunning());

    // Creating a scene under the current one's name replaces it without leaving the
    // manager pointing at freed memory; the old scene lives until the next update.
    Scene* const replaced = sceneManager->createScene("other");
    EXPECT_NE(replaced, second);
    EXPECT_EQ(sceneManager->current, replaced);
    EXPECT_TRUE(replaced->isRunning());
    EXPECT_EQ(sceneManager->getScene("other"), replaced);
    sceneManager->update(0.016f);
    replaced->update(0.016f);
}

TEST_F(SceneTest, TimerFiresAtFirstFixedStepAfterLateUpdateAndHalfTimeScaleSkipsThreeStepsThenRunsScaled) {
    auto* stepper = scene->createEntity()->addComponent<Stepper>();
    int fired = 0;
    stepper->invoke([&] { ++fired; }, 0.0f);
    // Same frame: fixed steps already ran before the timer was created.
    scene->update(0.016f);
    scene->lateUpdate(0.016f);
    EXPECT_EQ(fired, 0);
    scene->fixedUpdate(Engine::fixedStep);
    EXPECT_EQ(fired, 1);
    scene->fixedUpdate(Engine::fixedStep);
    EXPECT_EQ(fired, 1);

    // A delay counts fixed steps: 0.04 s is the third.
    stepper->invoke([&] { ++fired; }, 0.04f);
    scene->lateUpdate(0.0f);
    scene->fixedUpdate(Engine::fixedStep);
    scene->fixedUpdate(Engine::fixedStep);
    EXPECT_EQ(fired, 1);
    scene->fixedUpdate(Engine::fixedStep);
    EXPECT_EQ(fired, 2);

    stepper->steps.clear();
    scene->timeScale = 0.5f;
    for (int i = 0; i < 5; ++i) {
        scene->fixedUpdate(Engine::fixedStep);
    }
    EXPECT_EQ(stepper->steps, std::vector<float>(2, Engine::fixedStep * 0.5f));
}

TEST_F(SceneTest, HooksReachEnabledComponentsOfActiveEntitiesFromTheNextSnapshotOn) {
    Entity* entity = scene->createEntity();
    entity->active = false;
    auto* stepper = entity->addComponent<Stepper>();
    auto* disabled = scene->createEntity()->addComponent<Stepper>();
    disabled->setEnabled(false);
    step();
    EXPECT_EQ(stepper->updates, 0) << "inactive entity";
    EXPECT_EQ(disabled->updates, 0) << "disabled component";
    entity->active = true;

    // A component added by a hook waits for the next snapshot.
    Stepper* added = nullptr;
    stepper->onUpdate = [&] {
        if (added == nullptr) {
            added = entity->addComponent<Stepper>();
        }
    };
    step();
    EXPECT_EQ(stepper->updates, 1);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->updates, 0);
    step();
    EXPECT_EQ(added->updates, 1);
}

TEST_F(SceneTest, DestructionIsDeferredDelayedAndWaitsForARunningScene) {
    LogCapture log;
    Entity* now = scene->createEntity("now");
    Entity* later = scene->createEntity("later");
    scene->destroyEntity(now);
    scene->destroyEntity(now);
    scene->destroyEntity(later, 0.5f);
    EXPECT_TRUE(log.contains("Destroy entity: now"));
    EXPECT_EQ(scene->findEntity("now"), now) << "not before the next update";
    scene->update(0.1f);
    EXPECT_EQ(scene->findEntity("now"), nullptr);
    EXPECT_NE(scene->findEntity("later"), nullptr);
    scene->update(0.4f);
    EXPECT_EQ(scene->findEntity("later"), nullptr);

    // A stopped scene keeps its pending destructions until it runs again.
    Entity* entity = scene->createEntity("kept");
    scene->destroyEntity(entity);
    scene->setRunning(false);
    scene->update(1.0f);
    EXPECT_NE(scene->findEntity("kept"), nullptr);
    scene->setRunning(true);
    scene->update(0.0f);
    EXPECT_EQ(scene->findEntity("kept"), nullptr);

    // An entity with several records (one later, one due) must not make the walk
    // skip the record after its own: all that are due go in the same update.
    Entity* twice = scene->createEntity("twice");
    Entity* next = scene->createEntity("next");
    scene->destroyEntity(twice, 5.0f);
    scene->destroyEntity(twice);
    scene->destroyEntity(next);
    scene->update(0.1f);
    EXPECT_EQ(scene->findEntity("twice"), nullptr);
    EXPECT_EQ(scene->findEntity("next"), nullptr);
    scene->update(10.0f);
}

// A timer's action may remove the very component that runs it.
TEST_F(SceneTest, ATimerActionThatRemovesItsOwnComponentEndsTheWalkSafely) {
    Entity* entity = scene->createEntity("self");
    auto* owner = entity->addComponent<Updateable>();
    int ran = 0;
    owner->invoke(
        [&] {
            ++ran;
            entity->removeComponents<Updateable>();
        },
        0.0f);
    owner->invoke([&] { ++ran; }, 0.0f);
    step();
    step();
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(entity->getComponent<Updateable>(), nullptr);
}
