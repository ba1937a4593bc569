// A kart's effects driven by its state, without a window: smoke thickening
// with sliding and boosting, the flame once per boost and collision sparks
// where the contact was. The splash is seen in the whole-game run.
#include "RaceWorld.h"

#include "core/render/ParticleSystem.h"
#include "game/CarParticles.h"

#include <gtest/gtest.h>

namespace {

constexpr float dt = 1.0f / 60.0f;

class CarParticlesTest : public ::testing::Test, protected RaceWorld {
protected:
    CarParticlesTest()
        : kart(addKart("P1", 0, {10.0f, 2.0f, -30.0f})), body(&RaceWorld::body(0)), car(&RaceWorld::car(0)),
          particles(kart->addComponent<CarParticles>()) {
        particles->createEffects();
    }

    // The kart's boost clock as its Car keeps it, with the boost key held when asked.
    void runBoostClock(float seconds, bool boostHeld) {
        for (int i = 0; i < static_cast<int>(seconds / dt); ++i) {
            car->boostTimer += dt;
            car->boostTimeLeft -= dt;
            if (boostHeld && car->boostTimer > car->boostCooldown) {
                car->boostTimeLeft = car->boostDuration;
                car->boostTimer = -car->boostDuration;
            }
            // Each update that restarts the flame leaves it unfinished.
            particles->boostFlame->finished = true;
            particles->update(dt);
            flames += particles->boostFlame->finished ? 0 : 1;
        }
    }

    Entity* kart;
    RigidBodyDynamic* body;
    Car* car;
    CarParticles* particles;
    int flames = 0;
};

TEST_F(CarParticlesTest, SmokeThickensWithSlidingOnTheGroundAndWithBoost) {
    car->grounded = true;
    car->lateralSpeed = 5.0f;
    particles->update(dt);
    EXPECT_FLOAT_EQ(particles->exhaustSmoke1->rate, 20.0f);
    EXPECT_FLOAT_EQ(particles->exhaustSmoke1->startAlpha, 0.105f);

    // Sliding counts only on the ground.
    car->grounded = false;
    particles->update(dt);
    EXPECT_FLOAT_EQ(particles->exhaustSmoke1->rate, 10.0f);
    EXPECT_FLOAT_EQ(particles->exhaustSmoke2->startAlpha, 0.005f);

    // A boost makes at least the smoke of sliding at 10, even in the air.
    car->boostTimeLeft = 1.0f;
    particles->update(dt);
    EXPECT_FLOAT_EQ(particles->exhaustSmoke1->rate, 30.0f);
    car->grounded = true;
    car->lateralSpeed = 12.0f;
    particles->update(dt);
    EXPECT_FLOAT_EQ(particles->exhaustSmoke2->rate, 34.0f);
}

TEST_F(CarParticlesTest, TheFlameFiresOncePerBoost) {
    // Ready at the start: no flame until the key.
    runBoostClock(2.0f, false);
    EXPECT_EQ(flames, 0);

    runBoostClock(0.5f, true);
    EXPECT_EQ(flames, 1);
    EXPECT_TRUE(particles->flameArmed);
    // The rest of the boost and the whole recharge: still the one flame.
    runBoostClock(1.0f + 8.0f, false);
    EXPECT_EQ(flames, 1);
    EXPECT_FALSE(particles->flameArmed);

    // Held down throughout: one flame per boost as each recharge completes.
    runBoostClock(2.0f * (1.5f + 8.0f) - 0.5f, true);
    EXPECT_EQ(flames, 3);

    // The flames leave the exhaust at the kart's speed.
    body->setLinearVelocity({0.0f, 0.0f, -20.0f});
    particles->update(dt);
    EXPECT_EQ(particles->boostFlame->emitterVelocity, glm::vec3(0.0f, 0.0f, -20.0f));
}

TEST_F(CarParticlesTest, ContactsThrowSparksWhereTheyTouch) {
    Entity* wall = scene->createEntity("wall");
    wall->addComponent<Transform>();
    auto* other = wall->addComponent<RigidBodyDynamic>();
    const glm::vec3 point(11.0f, 2.5f, -31.0f);
    auto* sparks = particles->collisionSparks->getComponent<ParticleSystem>();
    EXPECT_TRUE(sparks->finished);
    fire(body->onCollisionEnter, static_cast<RigidBody*>(other), point);
    EXPECT_FALSE(sparks->finished);
    EXPECT_LT(glm::distance(particles->collisionSparks->getComponent<Transform>()->getWorldPosition(), point),
              1e-4f);
    sparks->updateItems(dt, nullptr);
    EXPECT_GT(sparks->liveCount, 0);
    EXPECT_LT(glm::distance(sparks->emitterPosition, point), 1e-4f);

    fire(body->onCollisionExit, static_cast<RigidBody*>(other));
    // The kart may outlive its effects component without calling into it.
    kart->removeComponents<CarParticles>();
    fire(body->onCollisionEnter, static_cast<RigidBody*>(other), point);
}

} // namespace
