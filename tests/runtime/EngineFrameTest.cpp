// The engine frame: clock, fixed-step bank, fps, and the hook order that the
// scenes see, driven with chosen clock readings and no window.
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/runtime/Updateable.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct Recorder : Updateable {
    Recorder(SystemRegistry* systems, Entity* entity, std::vector<std::string>* log)
        : Updateable(systems, entity), log(log) {}
    void update(float dt) override {
        Updateable::update(dt);
        log->push_back("update");
        lastUpdateDt = dt;
    }
    void lateUpdate(float dt) override {
        Updateable::lateUpdate(dt);
        log->push_back("late");
    }
    void fixedUpdate(float dt) override {
        Updateable::fixedUpdate(dt);
        log->push_back("fixed");
    }
    std::vector<std::string>* log;
    float lastUpdateDt = 0.0f;
};

class EngineFrame : public ::testing::Test {
protected:
    EngineFrame() : engine(testConfig(), false) {
        sceneManager = engine.systems->add<SceneManager>();
        recorder = sceneManager->createScene("test")->createEntity("r")->addComponent<Recorder>(&log);
    }
    // The fixed steps since the last call.
    long steps() {
        const long n = std::count(log.begin(), log.end(), "fixed");
        log.clear();
        return n;
    }

    TestEngine engine;
    SceneManager* sceneManager = nullptr;
    Recorder* recorder = nullptr;
    std::vector<std::string> log;
};

} // namespace

TEST_F(EngineFrame, HooksRunFixedUpdateLateAndTimeShortOfAStepIsBankedForTheNextFrame) {
    engine.frame();
    EXPECT_NEAR(engine.engine->time, 0.016f, 1e-6f) << "the first frame counts 16 ms";
    EXPECT_EQ(log, (std::vector<std::string>{"update", "late"}));
    EXPECT_FLOAT_EQ(recorder->lastUpdateDt, 0.016f);
    log.clear();
    engine.frame(1); // 17 ms banked: one step
    EXPECT_EQ(log, (std::vector<std::string>{"fixed", "update", "late"}));
    log.clear();
    engine.frame(49); // 49.3 ms banked: two steps, 16 ms left
    EXPECT_EQ(steps(), 2);
    EXPECT_NEAR(engine.engine->fixedAccumulator, 0.016f, 1e-5f);
    engine.frame(1);
    EXPECT_EQ(steps(), 1);
}

TEST_F(EngineFrame, ClockWrapKeepsFrameTimePositiveAndNoSceneIsNeeded) {
    engine.clockMs = 0xFFFFFFF0u;
    engine.engine->lastTimeMs = engine.clockMs;
    engine.frame(32);
    EXPECT_NEAR(engine.engine->time, 0.032f, 1e-6f);

    sceneManager->current = nullptr;
    const auto frames = engine.engine->frameCount;
    engine.frame();
    EXPECT_EQ(engine.engine->frameCount, frames + 1);
}

TEST_F(EngineFrame, FpsIsFramesOverTimerTruncated) {
    int seconds = 0;
    struct Counter {
        int* n;
        void tick() { ++*n; }
    } counter{&seconds};
    subscribe(engine.engine->secondListeners, &counter, &Counter::tick);
    // 16 ms, then 17 ms frames: the timer first reaches 1 s at frame 59 (1.002 s),
    // so fps = 59 / 1.002 = 58.9, truncated.
    for (int i = 0; i < 61; ++i) {
        engine.frame(17);
    }
    EXPECT_EQ(seconds, 1);
    EXPECT_EQ(engine.engine->fps, 58);
}
