// Particle systems under Xvfb: the emission cycle, life over base life, palette
// indices, slot reuse when full, far-to-near order, and the instanced draw
// reaching the screen in both blend setups. (One simulation per frame with two
// views is pinned by the renderer's tests, no allocation by the race's.)
#include "render/GLSceneTest.h"

#include "core/render/Camera.h"
#include "core/render/ParticleSystem.h"
#include "core/render/Renderer.h"
#include "core/render/View.h"
#include "core/resources/Material.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/Texture2D.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/Transform.h"
#include "support/LogCapture.h"

#include <cmath>

namespace {

constexpr float dt = 1.0f / 60.0f;

class ParticleSystemTest : public GLSceneTest {
protected:
    void SetUp() override {
        open(160, 120);
        if (scene != nullptr) {
            camera->entity->getComponent<Transform>()->setPosition({0, 0, 10});
        }
    }

    ParticleSystem* addSystem(const glm::vec3& where = glm::vec3(0.0f), bool animated = false) {
        Entity* entity = scene->createEntity("ps");
        entity->addComponent<Transform>()->setPosition(where);
        auto* system = entity->addComponent<ParticleSystem>();
        system->init(cache->get<Texture2D>("white"), animated, animated);
        return system;
    }

    // Slots that were free before the update and hold a particle after it.
    static int spawnedBy(ParticleSystem& system, Camera* view) {
        std::vector<bool> wasFree(ParticleSystem::maxParticles);
        for (int32_t i = 0; i < ParticleSystem::maxParticles; ++i) {
            wasFree[i] = system.particleLife(i) < 0.0f;
        }
        system.updateItems(dt, view);
        int spawned = 0;
        for (int32_t i = 0; i < ParticleSystem::maxParticles; ++i) {
            spawned += wasFree[i] && system.particleLife(i) >= 0.0f ? 1 : 0;
        }
        return spawned;
    }
};

TEST_F(ParticleSystemTest, ANonLoopingBurstEmitsAboutRateTimesDurationThenDiesOut) {
    ParticleSystem& system = *addSystem();
    system.looping = false;
    system.duration = 0.5f;
    system.rate = 30.0f;

    int emitted = 0;
    int updates = 0;
    while (!system.finished && updates < 100) {
        emitted += spawnedBy(system, camera);
        ++updates;
    }
    EXPECT_TRUE(system.finished);
    EXPECT_NEAR(updates, 30, 1);
    // 30 per second for half a second, give or take the rate variation.
    EXPECT_GE(emitted, 12);
    EXPECT_LE(emitted, 18);

    // Finished: nothing new, and every particle is gone within its longest life.
    int late = 0;
    for (int i = 0; i < 100; ++i) {
        late += spawnedBy(system, camera);
    }
    EXPECT_EQ(late, 0);
    EXPECT_EQ(system.liveCount, 0);
    EXPECT_TRUE(system.items.empty());

    // Restarting runs one more cycle.
    system.restart();
    int again = 0;
    for (int i = 0; i < 40; ++i) {
        again += spawnedBy(system, camera);
    }
    EXPECT_GE(again, 12);
    EXPECT_LE(again, 18);

    // A life variation wider than the life still lets every particle be counted out.
    system.life = 0.1f;
    system.lifeVariation = 0.5f;
    system.restart();
    for (int i = 0; i < 60; ++i) {
        system.updateItems(dt, camera);
    }
    EXPECT_EQ(system.liveCount, 0);
}

TEST_F(ParticleSystemTest, AParticleOutlivingTheBaseLifeStartsOutsideTheRangeAndEndsOnTheEndValues) {
    ParticleSystem& system = *addSystem();
    system.life = 1.5f;
    system.lifeVariation = 0.0f;
    system.rate = 90.0f; // one particle in the first update
    system.rateVariation = 0.0f;
    system.updateItems(dt, camera);
    ASSERT_EQ(system.liveCount, 1);
    system.rate = 0.0f;
    system.life = 1.0f;

    system.updateItems(dt, camera);
    // t = 1 - life / base life is about -0.5.
    EXPECT_NEAR(system.particleScale(0), 0.5f + 0.5f * (-0.5f + 2 * dt), 1e-3f);
    EXPECT_LT(system.particleScale(0), system.startScale);
    EXPECT_GT(system.particleAlpha(0), system.startAlpha);

    float lastScale = 0.0f;
    float lastAlpha = 0.0f;
    while (system.liveCount > 0) {
        lastScale = system.particleScale(0);
        lastAlpha = system.particleAlpha(0);
        system.updateItems(dt, camera);
    }
    EXPECT_NEAR(lastScale, system.endScale, 0.02f);
    EXPECT_NEAR(lastAlpha, system.endAlpha, 0.02f);
}

TEST_F(ParticleSystemTest, PaletteIndexFollowsTheTiltFromTheConeAxis) {
    ParticleSystem& plain = *addSystem();
    plain.rate = 600.0f;
    plain.updateItems(dt, camera);
    ASSERT_GT(plain.liveCount, 0);
    EXPECT_EQ(plain.particleColor(plain.drawOrder(0)), 0) << "without a palette every particle is white";

    ParticleSystem& tinted = *addSystem();
    tinted.addColor({1, 0, 0});
    tinted.addColor({0, 1, 0});
    tinted.addColor({0, 0, 1});
    EXPECT_EQ(tinted.getMaterial()->getUniform("particleColors[3]").asVec3(), glm::vec3(0, 0, 1));
    tinted.rate = 6000.0f;
    tinted.velocityVariation = 0.0f;
    tinted.acceleration = glm::vec3(0.0f);
    tinted.updateItems(dt, camera);
    int checked = 0;
    for (int32_t slot = 0; slot < ParticleSystem::maxParticles; ++slot) {
        if (tinted.particleLife(slot) < 0.0f) {
            continue;
        }
        const glm::vec3 direction = glm::normalize(tinted.particleVelocity(slot));
        const float a = std::acos(glm::clamp(-direction.z, -1.0f, 1.0f)) / glm::radians(tinted.spread);
        if (std::abs(a * 3.0f - std::round(a * 3.0f)) < 1e-3f) {
            continue; // too close to a boundary between two colours to call
        }
        EXPECT_EQ(tinted.particleColor(slot), std::min(static_cast<int>(a * 3.0f), 2) + 1)
            << "tilt share " << a;
        ++checked;
    }
    EXPECT_GT(checked, 5);

    // Slot 0 is white and the shader has 16: fifteen colours fit.
    LogCapture log;
    for (int i = 0; i < 13; ++i) {
        tinted.addColor({0.5f, 0.5f, 0.5f});
    }
    EXPECT_EQ(tinted.palette.size(), 15u);
    EXPECT_EQ(log.lines.size(), 1u);
}

TEST_F(ParticleSystemTest, NewParticlesLeaveAlongTheConeTurnedWithTheEntityPlusTheEmittersVelocity) {
    ParticleSystem& system = *addSystem();
    system.entity->getComponent<Transform>()->setRotation(
        glm::angleAxis(glm::radians(90.0f), glm::vec3(0, 1, 0)));
    system.emitterAngles = glm::vec3(90.0f, 0.0f, 0.0f); // the axis turned from -Z to +Y
    system.spread = 0.0f;
    system.speed = 2.0f;
    system.velocityVariation = 0.0f;
    system.acceleration = glm::vec3(0.0f);
    system.rate = 600.0f;
    system.updateItems(dt, camera);
    ASSERT_GT(system.liveCount, 0);
    EXPECT_LT(glm::distance(system.particleVelocity(system.drawOrder(0)), glm::vec3(0, 2, 0)), 1e-4f);

    // The entity's turn applies on top: about Y by 90 degrees, -Z becomes -X.
    system.clear();
    system.emitterAngles = glm::vec3(0.0f);
    system.emitterVelocity = glm::vec3(0, 0, 7);
    system.updateItems(dt, camera);
    ASSERT_GT(system.liveCount, 0);
    EXPECT_LT(glm::distance(system.particleVelocity(system.drawOrder(0)), glm::vec3(-2, 0, 7)), 1e-4f);
}

TEST_F(ParticleSystemTest, LiveParticlesAreOrderedFarthestFirstAndWithEverySlotAliveSlotZeroIsTakenOver) {
    ParticleSystem& system = *addSystem();
    system.positionVariation = 4.0f;
    system.life = 100.0f;
    system.lifeVariation = 0.0f;
    system.rateVariation = 0.0f;
    system.rate = 1000.5f / dt;
    system.updateItems(dt, camera);
    ASSERT_EQ(system.liveCount, ParticleSystem::maxParticles);
    for (int32_t k = 1; k < system.liveCount; ++k) {
        ASSERT_GE(system.particleDistance(system.drawOrder(k - 1)),
                  system.particleDistance(system.drawOrder(k)));
    }
    EXPECT_EQ(system.items.front().instanceCount, system.liveCount);

    system.spawnBank = 0.0f;
    system.rate = 1.5f / dt; // one more
    system.updateItems(dt, camera);
    EXPECT_EQ(system.liveCount, ParticleSystem::maxParticles);
    // The newcomer in slot 0 has one step less behind it than everyone else.
    EXPECT_NEAR(system.particleLife(0), 100.0f - dt, 1e-4f);
    EXPECT_NEAR(system.particleLife(1), 100.0f - 2 * dt, 1e-4f);
    EXPECT_NEAR(system.particleLife(999), 100.0f - 2 * dt, 1e-4f);

    // Fewer live ones: the order ends past the last of them.
    system.clear();
    system.rate = 3000.0f;
    system.updateItems(dt, camera);
    ASSERT_GT(system.liveCount, 20);
    EXPECT_LT(system.particleDistance(system.drawOrder(system.liveCount)), 0.0f);
}

using ParticlePictureTest = ParticleSystemTest;

TEST_F(ParticlePictureTest, BothBlendSetupsDrawTheirPaletteColourWhereTheParticlesAre) {
    LogCapture log;
    camera->clearColor = glm::vec3(0.0f);
    const Picture empty = draw();

    // Alpha blended on the left, additive sheet on the right; both lasting,
    // large and opaque, and kept in place.
    for (bool animated : {false, true}) {
        ParticleSystem& system = *addSystem({animated ? 6.67f : -6.67f, 0.0f, 0.0f}, animated);
        system.addColor(animated ? glm::vec3(0, 1, 0) : glm::vec3(1, 0, 0));
        system.speed = 0.0f;
        system.velocityVariation = 0.0f;
        system.acceleration = glm::vec3(0.0f);
        system.positionVariation = 0.1f;
        system.life = 50.0f;
        system.startScale = system.endScale = 4.0f;
        system.startAlpha = system.endAlpha = 1.0f;
        system.rate = 600.0f;
    }
    const Picture lit = draw();
    View* view = renderer->findView(camera);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->queues[3].size(), 2u);

    const glm::vec3 left = lit.mean(lit.width / 4 - 3, lit.height / 2 - 3, 6, 6);
    const glm::vec3 right = lit.mean(3 * lit.width / 4 - 3, lit.height / 2 - 3, 6, 6);
    EXPECT_GT(left.r, 150.0f);
    EXPECT_LT(left.g, 40.0f);
    EXPECT_GT(right.g, 60.0f);
    EXPECT_LT(right.r, 40.0f);
    EXPECT_LT(glm::length(lit.mean(lit.width / 2 - 3, 2, 6, 6) - empty.mean(lit.width / 2 - 3, 2, 6, 6)),
              1.0f);
    EXPECT_FALSE(log.contains("Not all required attributes found."));
    lit.save(std::string(TW_BINARY_DIR) + "/render_particles.png");
}

} // namespace
