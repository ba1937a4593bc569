// Kart sounds heard through the sound runtime's loopback mix: a kart on a box of
// ground with test tones in place of the engine, skid, impact and boost files,
// and a listener beside it. Each tone has its own frequency, so the mix tells which
// sound plays, at what pitch and how loud.
#include "game/CarAudio.h"
#include "audio/AudioTestUtil.h"
#include "core/audio/Audio.h"
#include "core/audio/AudioListener.h"
#include "core/audio/AudioSource.h"
#include "core/audio/Sound.h"
#include "core/physics/CollisionShape.h"
#include "core/physics/Physics.h"
#include "core/physics/RigidBodyDynamic.h"
#include "core/physics/RigidBodyStatic.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/ResourceLoader.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Input.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/runtime/Transform.h"
#include "game/Car.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace audiotest;

namespace {

constexpr int rate = 48000;
// Engine 300 Hz; the skid plays at a quarter pitch, so 4000 Hz is heard at 1000 Hz.
constexpr double engineTone = 300.0;
constexpr double skidTone = 4000.0;
constexpr double impactTone = 2500.0;
constexpr double boostTone = 1700.0;
// Quiet enough that the loudest mix (engine x1.5 plus skid x3.5) stays below full scale.
constexpr float amplitude = 0.2f;

class KartSounds : public ::testing::Test {
protected:
    KartSounds() : engine(testConfig(), false) {
        std::filesystem::create_directories(scratchDir() / "sounds");
        writeTone("sounds/MotorEngine_Loop_08.wav", engineTone, 1.0, 1, rate, amplitude);
        writeTone("sounds/MotorEngine_Loop_07.wav", engineTone * 2.0, 1.0, 1, rate, amplitude);
        writeTone("sounds/Skid_25.wav", skidTone, 1.0, 1, rate, amplitude);
        writeTone("sounds/Impact_01.wav", impactTone, 0.3, 1, rate, amplitude);
        writeTone("sounds/boost.wav", boostTone, 0.5, 1, rate, amplitude);

        engine.systems->add<ResourceLoader>()->baseDir = scratchDir().string();
        engine.systems->add<ResourceCache>();
        engine.systems->add<Physics>();
        engine.systems->add<Input>();
        auto* scenes = engine.systems->add<SceneManager>();
        audio = engine.systems->add<Audio>();
        mixIntoMemory(*audio);

        // Not current, so it starts stopped, as the race scene does while the title shows.
        scenes->createScene("menu");
        scene = scenes->createScene("game");

        Entity* kart = scene->createEntity("P1");
        kart->addComponent<Transform>()->setPosition({0.0f, 1.0f, 0.0f});
        body = kart->addComponent<RigidBodyDynamic>();
        body->addCollisionShape()->setBox(1.4f, 0.6f, 2.2f);
        car = kart->addComponent<Car>();
        sounds = CarAudio::addTo(*kart, 0);

        Entity* ears = scene->createEntity("listener");
        ears->addComponent<Transform>()->setPosition({0.0f, 1.0f, 2.0f});
        ears->addComponent<AudioListener>();
    }

    // Freezes the driving model so that a test can set the published state itself.
    // Without ground the kart meets nothing, so no impact mixes in.
    void holdCarState(float speed, float lateralSpeed, bool grounded) {
        car->setEnabled(false);
        car->speed = speed;
        car->lateralSpeed = lateralSpeed;
        car->grounded = grounded;
    }

    void race() { engine.get<SceneManager>()->setScene(scene); }

    // One frame for the rules to apply, then a stretch of the mix.
    std::vector<float> listen(double seconds = 0.25) {
        engine.frame();
        render(0.02);
        return leftOf(render(seconds));
    }

    std::vector<float> render(double seconds) { return renderMix(*audio, seconds); }

    TestEngine engine;
    Audio* audio = nullptr;
    Scene* scene = nullptr;
    RigidBodyDynamic* body = nullptr;
    Car* car = nullptr;
    CarAudio* sounds = nullptr;
};

TEST_F(KartSounds, EngineAndSkidRunExactlyWhileTheRaceSceneRuns) {
    for (const AudioSource* source : {sounds->engineSource, sounds->skidSource, sounds->impactSource}) {
        EXPECT_TRUE(source->sound->is3D) << "heard from where the kart is";
    }
    holdCarState(0.0f, 0.0f, true);
    EXPECT_LT(rms(listen()), 1e-4) << "the race scene has not started yet";
    race();
    EXPECT_GT(toneLevel(listen(), engineTone * 0.8, rate), 0.05);
    EXPECT_EQ(audio->soundSystem->getPlayingCount(), 2) << "engine and (silent) skid";

    engine.get<SceneManager>()->setScene(engine.get<SceneManager>()->getScene("menu"));
    EXPECT_EQ(audio->soundSystem->getPlayingCount(), 0);
    EXPECT_LT(rms(listen()), 1e-4);
    race();
    EXPECT_GT(toneLevel(listen(), engineTone * 0.8, rate), 0.05) << "back in the race";
    EXPECT_EQ(audio->soundSystem->getPlayingCount(), 2);
}

TEST_F(KartSounds, EngineRisesWithSpeedFromPointEightToOnePointEightAndGetsLouderAndHigherOnThrottle) {
    race();
    struct Case {
        float speed;
        float throttle;
        double pitch;
        double level; // relative to idle
    };
    const Case cases[] = {{0.0f, 0.0f, 0.8, 1.0},
                          {15.0f, 0.0f, 1.3, 1.3},
                          {30.0f, 0.0f, 1.8, 1.6},
                          {0.0f, 1.0f, 0.95, 1.6},
                          {30.0f, 1.0f, 1.95, 2.2}};
    double idle = 0.0;
    listen(); // the listener settles in its first frames
    for (const Case& c : cases) {
        holdCarState(c.speed, 0.0f, true);
        car->throttle = c.throttle;
        // Levels are compared at one distance: the kart would fall away otherwise.
        body->teleport({0.0f, 1.0f, 0.0f}, glm::quat(1.0f, 0.0f, 0.0f, 0.0f));
        body->setLinearVelocity(glm::vec3(0.0f));
        const std::vector<float> heard = listen(0.5);
        EXPECT_NEAR(frequency(heard, rate), engineTone * c.pitch, 4.0) << "speed " << c.speed;
        idle = idle > 0.0 ? idle : rms(heard);
        EXPECT_NEAR(rms(heard) / idle, c.level, 0.05) << "speed " << c.speed << ", throttle " << c.throttle;
    }
}

TEST_F(KartSounds, SkidStartsWithARealSlideAndLastsUntilItHasDiedDown) {
    race();
    struct Case {
        float lateral;
        bool grounded;
        bool heard;
    };
    // Each case follows the one before, as the frames of one drive would.
    const Case cases[] = {{4.4f, true, false},   {4.6f, true, true},  {3.0f, true, true},
                          {2.1f, true, true},    {1.9f, true, false}, {3.0f, true, false},
                          {12.0f, false, false}, {12.0f, true, true}, {12.0f, false, false}};
    const double skidHeard = skidTone * CarAudio::skidPitch;
    for (const Case& c : cases) {
        holdCarState(10.0f, c.lateral, c.grounded);
        const std::vector<float> heard = listen();
        const double level = toneLevel(heard, skidHeard, rate);
        if (c.heard) {
            EXPECT_GT(level, 0.05) << c.lateral << (c.grounded ? " on the ground" : " in the air");
        } else {
            EXPECT_LT(level, 0.002) << c.lateral << (c.grounded ? " on the ground" : " in the air");
        }
        EXPECT_GT(toneLevel(heard, engineTone * (0.8 + 10.0 / 30.0), rate), 0.05) << "the engine goes on";
    }
}

TEST_F(KartSounds, BoostWhooshesAndEverythingPausesWithTheRaceAndStopsWhenItIsOver) {
    race();
    holdCarState(10.0f, 0.0f, true);
    EXPECT_LT(toneLevel(listen(), boostTone, rate), 0.002);
    car->boostTimeLeft = car->boostDuration;
    EXPECT_GT(toneLevel(listen(0.1), boostTone, rate), 0.05);

    scene->timeScale = 0.0f; // the pause screen
    EXPECT_LT(rms(listen()), 1e-4) << "engine and boost hold still";
    scene->timeScale = 1.0f;
    const std::vector<float> resumed = listen(0.1);
    EXPECT_GT(toneLevel(resumed, engineTone * (0.8 + 10.0 / 30.0), rate), 0.05);
    EXPECT_GT(toneLevel(resumed, boostTone, rate), 0.05) << "the boost goes on where it paused";

    sounds->setSilenced(true); // the end screen
    render(0.5);
    EXPECT_LT(rms(listen()), 1e-4);
    EXPECT_EQ(audio->soundSystem->getPlayingCount(), 0);
    sounds->setSilenced(false); // the next race
    EXPECT_GT(toneLevel(listen(), engineTone * (0.8 + 10.0 / 30.0), rate), 0.05);
}

TEST_F(KartSounds, EveryCollisionThatBeginsPlaysTheImpact) {
    Entity* ground = scene->createEntity("ground");
    ground->addComponent<Transform>()->setPosition({0.0f, -0.5f, 0.0f});
    ground->addComponent<RigidBodyStatic>()->addCollisionShape()->setBox(200.0f, 1.0f, 200.0f);
    car->setEnabled(false); // no suspension: the box drops straight onto the ground
    race();
    EXPECT_LT(toneLevel(listen(0.1), impactTone, rate), 0.002) << "still falling";
    int frames = 0;
    while (!sounds->impactSource->channel && frames < 120) {
        engine.frame();
        ++frames;
    }
    ASSERT_TRUE(sounds->impactSource->channel) << "no collision within two seconds";
    EXPECT_GT(toneLevel(leftOf(render(0.1)), impactTone, rate), 0.05);
    render(0.5); // the impact plays out
    EXPECT_LT(toneLevel(listen(0.1), impactTone, rate), 0.002);

    // Lifted clear of the ground and dropped again: a new collision, a new impact.
    body->teleport({0.0f, 1.5f, 0.0f}, glm::quat(1.0f, 0.0f, 0.0f, 0.0f));
    body->setLinearVelocity(glm::vec3(0.0f));
    engine.runFor(0.6f);
    EXPECT_GT(toneLevel(listen(0.1), impactTone, rate), 0.05);
}

} // namespace
