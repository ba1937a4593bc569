// Building the race over a track that lacks what the race needs: one error line
// per missing node, nothing built, no crash.
#include "game/RaceScene.h"
#include "core/physics/Physics.h"
#include "core/resources/ResourceCache.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/runtime/Transform.h"
#include "support/LogCapture.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

TEST(RaceSceneTest, EachMissingNodeIsNamedOnceAndNothingIsBuilt) {
    TestEngine engine(testConfig(), false);
    engine.systems->add<ResourceCache>();
    engine.systems->add<SceneManager>();
    engine.systems->add<Physics>();
    Scene* scene = engine.get<SceneManager>()->createScene("game");
    for (const std::string& name : requiredTrackNodes()) {
        if (name != "Sun" && name != "P2Wheel_RL") {
            scene->createEntity(name)->addComponent<Transform>();
        }
    }
    const size_t entitiesBefore = scene->getEntities().size();

    LogCapture log;
    EXPECT_FALSE(buildRaceScene(*scene));
    EXPECT_EQ(log.at(LogLevel::Error),
              (std::vector<std::string>{"Race scene: the track has no node \"P2Wheel_RL\"",
                                        "Race scene: the track has no node \"Sun\""}));
    EXPECT_EQ(scene->getEntities().size(), entitiesBefore);
    EXPECT_EQ(scene->findEntity("gameplay"), nullptr);
}
