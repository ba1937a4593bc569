// Imports the generated track, when the build has generated it, to pin down that
// the asset generator and the importer agree: the sun shines down at its low
// angle, karts and checkpoints stand upright, and the lightmaps are found.
#include "core/render/Light.h"
#include "core/render/MeshRenderer.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/ResourceLoader.h"
#include "core/resources/Texture2D.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/runtime/Transform.h"
#include "support/LogCapture.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace {

constexpr const char* trackPath = "scenes/Track_01_LM.fbx";

TEST(TrackImportTest, GeneratedTrackLandsUprightWithItsSunAndLightmaps) {
    if (!std::filesystem::exists(std::string(TW_ASSETS_DIR) + trackPath)) {
        GTEST_SKIP() << "the track has not been generated (build the assets target)";
    }
    TestEngine engine(testConfig());
    Scene* scene = engine.get<SceneManager>()->createScene("track");
    LogCapture log;
    engine.get<ResourceLoader>()->importScene(*scene, trackPath);
    for (const LoggedLine& line : log.lines) {
        EXPECT_NE(line.level, LogLevel::Error) << line.text;
    }

    Entity* sun = scene->findEntity("Sun");
    ASSERT_NE(sun, nullptr);
    auto* light = sun->getComponent<Light>();
    ASSERT_NE(light, nullptr);
    EXPECT_EQ(light->type, Light::directional);
    const glm::vec3 direction = glm::normalize(light->getWorldDirection());
    // About 29 degrees above the horizon, shining down.
    EXPECT_NEAR(std::asin(-direction.y), 0.506f, 0.05f);

    for (const char* name : {"P1", "P2", "P1Body", "Checkpoint-0"}) {
        Entity* entity = scene->findEntity(name);
        ASSERT_NE(entity, nullptr) << name;
        auto* transform = entity->getComponent<Transform>();
        const glm::vec3 up = transform->getGlobalRotation() * glm::vec3(0, 1, 0);
        EXPECT_GT(up.y, 0.95f) << name << " stands upright";
    }
    // Karts stand on the road, not below it or far above it.
    const float kart = scene->findEntity("P1")->getComponent<Transform>()->getWorldPosition().y;
    const float checkpoint = scene->findEntity("Checkpoint-0")->getComponent<Transform>()->getWorldPosition().y;
    EXPECT_NEAR(kart, checkpoint, 3.0f);

    Entity* road = scene->findEntity("Road_MC_");
    ASSERT_NE(road, nullptr);
    auto* renderer = road->getComponent<MeshRenderer>();
    ASSERT_NE(renderer, nullptr);
    EXPECT_EQ(renderer->getLightmap(), engine.get<ResourceCache>()->get<Texture2D>("LM_Road_MC_"));
    EXPECT_NE(renderer->getLightmap(), nullptr);
}

} // namespace
