// The audio system, sounds, audio sources and listeners in a running engine whose
// sound runtime mixes into memory, so time passes only when a test renders.
#include "audio/AudioTestUtil.h"
#include "core/audio/Audio.h"
#include "core/audio/AudioListener.h"
#include "core/audio/AudioSource.h"
#include "core/audio/Sound.h"
#include "core/audio/SoundClip.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/ResourceLoader.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/runtime/Transform.h"
#include "support/ExpectNear.h"
#include "support/LogCapture.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <glm/gtc/quaternion.hpp>

using namespace audiotest;

namespace {

const char* const missingTransform =
    "Wanted to set 3D sound attributes, but no transform component was found.";

class AudioComponents : public ::testing::Test {
protected:
    AudioComponents() : engine(testConfig(), false) {
        engine.systems->add<ResourceLoader>()->baseDir = scratchDir().string();
        cache = engine.systems->add<ResourceCache>();
        scenes = engine.systems->add<SceneManager>();
        audio = engine.systems->add<Audio>();
        mixIntoMemory(*audio);
        scene = scenes->createScene("race");
        writeTone("loop.wav", 440, 1.0);
        writeTone("blip.wav", 440, 0.1);
    }

    Sound* sound(const std::string& name, const std::string& file, bool is3D) {
        Sound* made = cache->create<Sound>(name);
        made->load(file, is3D);
        return made;
    }

    AudioSource* source(Sound* played, bool loop, const glm::vec3* position = nullptr) {
        Entity* entity = scene->createEntity();
        if (position != nullptr)
            entity->addComponent<Transform>()->setPosition(*position);
        auto* made = entity->addComponent<AudioSource>();
        made->sound = played;
        made->loop = loop;
        return made;
    }

    std::vector<float> advance(double seconds) { return renderMix(*audio, seconds); }

    // One engine frame, a moment for gain changes to ramp in, then the mix.
    std::vector<float> listenTo(double seconds) {
        engine.frame();
        advance(0.02);
        return advance(seconds);
    }

    static double position(const AudioSource& played) {
        double seconds = -1.0;
        played.channel.getPosition(seconds);
        return seconds;
    }

    static bool isPlaying(const SoundChannel& channel) {
        bool playing = false;
        channel.isPlaying(playing);
        return playing;
    }

    TestEngine engine;
    ResourceCache* cache = nullptr;
    SceneManager* scenes = nullptr;
    Audio* audio = nullptr;
    Scene* scene = nullptr;
};

TEST(AudioSystem, StartsItsRuntimeAndReportsErrorsInOneLine) {
    LogCapture log;
    TestEngine engine(testConfig(), false);
    Audio* audio = engine.systems->add<Audio>();
    ASSERT_TRUE(audio->soundSystem && audio->soundSystem->isInitialized());
    EXPECT_TRUE(log.lines.empty());
    Audio::reportError("FMOD error!", SoundResult::fileNotFound);
    Audio::reportError("FMOD error!", static_cast<SoundResult>(99));
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0].text, "FMOD error!, 18, File not found.");
    EXPECT_EQ(log.lines[0].level, LogLevel::Error);
    EXPECT_EQ(log.lines[1].text, "FMOD error!, 99, Unknown error.");
}

TEST_F(AudioComponents, SoundsLoadAsTwoDOrThreeDAndBadFilesAreLoggedWhenLoadedAndPlayed) {
    writeTone("stereo.wav", 440, 0.2, 2);
    LogCapture log;
    Sound* placed = sound("placed", "stereo.wav", true);
    Sound* flat = sound("flat", "stereo.wav", false);
    ASSERT_NE(placed->clip, nullptr);
    EXPECT_TRUE(placed->is3D);
    EXPECT_EQ(placed->clip->getChannels(), 1);
    EXPECT_FALSE(flat->clip->is3D());
    EXPECT_TRUE(log.lines.empty());

    writeBytes("corrupt.wav", "RIFF\x10\0\0\0WAVEjunkjunkjunk");
    writeBytes("empty.wav", "");
    writeWav("silent.wav", {}, 1, 48000);
    for (const char* file : {"sounds/missing.wav", "corrupt.wav", "empty.wav", "silent.wav"}) {
        Sound* bad = sound(file, file, true);
        EXPECT_EQ(bad->clip, nullptr);
        EXPECT_TRUE(log.contains(std::string("Could not load sound: ") + file)) << file;
    }

    // Playing a broken or missing sound logs the resource's name and stays stopped.
    AudioSource* broken = source(cache->get<Sound>("empty.wav"), false);
    log.clear();
    broken->play();
    source(nullptr, false)->play();
    EXPECT_TRUE(log.contains("Error setting sound: empty.wav"));
    EXPECT_TRUE(log.contains("Error setting sound: "));
    EXPECT_EQ(broken->state, AudioSource::stopped);
    EXPECT_FALSE(broken->channel);
    engine.frame(); // nothing to place, nothing to warn about
    EXPECT_EQ(log.lines.size(), 2u);
}

// (That a finished one-shot starts again, the kart's impact sound shows.)
TEST_F(AudioComponents, PlayingAgainLeavesARunningSoundAlone) {
    AudioSource* music = source(sound("music", "loop.wav", false), true);
    music->volume = 0.5f;
    music->pitch = 1.5f;
    music->play();
    advance(0.2);
    music->play();
    EXPECT_EQ(audio->soundSystem->getPlayingCount(), 1);
    EXPECT_NEAR(position(*music), 0.3, 0.01) << "still playing, at the source's pitch";
    float volume = 0.0f;
    music->channel.getVolume(volume);
    EXPECT_EQ(volume, 0.5f);
    advance(1.0); // past the clip's length: looping keeps it going
    EXPECT_TRUE(isPlaying(music->channel));
}

TEST_F(AudioComponents, ThreeDSourceFollowsItsTransformAndIsHeardFromTheListener) {
    Entity* camera = scene->createEntity("camera");
    camera->addComponent<Transform>();
    camera->addComponent<AudioListener>();
    const glm::vec3 right(2, 0, 0);
    AudioSource* engineSound = source(sound("engine", "loop.wav", true), true, &right);
    engineSound->play();
    const std::vector<float> heard = listenTo(0.1);
    glm::vec3 placed(0.0f);
    engineSound->channel.get3DAttributes(placed);
    EXPECT_EQ(placed, right);
    EXPECT_GT(rms(rightOf(heard)), 3.0 * rms(leftOf(heard)));
    EXPECT_NEAR(rms(rightOf(heard)), 0.5 / std::sqrt(2.0) / 2.0, 0.01) << "1/d at 2 m";

    // The camera turns around: the same kart is now on the left.
    camera->getComponent<Transform>()->setRotation(glm::angleAxis(glm::pi<float>(), glm::vec3(0, 1, 0)));
    const std::vector<float> turned = listenTo(0.1);
    EXPECT_GT(rms(leftOf(turned)), 3.0 * rms(rightOf(turned)));

    // A 2D sound is never positioned, whatever its transform.
    const glm::vec3 far(50, 0, 0);
    AudioSource* music = source(sound("music", "loop.wav", false), true, &far);
    music->play();
    engine.frame();
    music->channel.get3DAttributes(placed);
    EXPECT_EQ(placed, glm::vec3(0.0f));
}

TEST_F(AudioComponents, ThreeDSourceWithoutTransformWarnsEveryFrame) {
    AudioSource* lost = source(sound("engine", "loop.wav", true), true);
    AudioSource* music = source(sound("music", "loop.wav", false), true);
    LogCapture log;
    engine.frame(); // not playing yet: no channel, nothing to place
    lost->play();
    music->play();
    engine.frame();
    engine.frame();
    EXPECT_EQ(log.count(missingTransform), 2);
    EXPECT_EQ(log.lines.size(), 2u);
}

TEST_F(AudioComponents, DestroyingASourceStopsALoopButLetsAOneShotFinish) {
    AudioSource* music = source(sound("music", "loop.wav", false), true);
    AudioSource* blip = source(sound("blip", "blip.wav", false), false);
    music->play();
    blip->play();
    const SoundChannel musicChannel = music->channel;
    const SoundChannel blipChannel = blip->channel;
    scene->destroyEntity(music->entity);
    scene->destroyEntity(blip->entity);
    engine.frame();
    EXPECT_FALSE(isPlaying(musicChannel));
    EXPECT_TRUE(isPlaying(blipChannel));
}

TEST_F(AudioComponents, ListenersCountAcrossScenesAndSendTheirTransformGettingOneIfMissing) {
    const int first = AudioListener::counter;
    scene->createEntity()->addComponent<AudioListener>();
    Scene* race = scenes->createScene("race2");
    race->createEntity("cam0")->addComponent<AudioListener>();
    EXPECT_EQ(race->createEntity("cam1")->addComponent<AudioListener>()->index, first + 2);
    int count = 0;
    audio->soundSystem->get3DNumListeners(count);
    EXPECT_EQ(count, first + 3);

    Entity* entity = scene->createEntity("cam");
    auto* listener = entity->addComponent<AudioListener>();
    auto* kart = scene->createEntity("kart")->addComponent<Transform>();
    kart->setPosition({10, 0, 0});
    kart->setRotation(glm::angleAxis(glm::half_pi<float>(), glm::vec3(0, 1, 0)));
    engine.frame();
    Transform* transform = entity->getComponent<Transform>();
    ASSERT_NE(transform, nullptr);
    transform->setParent(kart);
    transform->setPosition({0, 2, 0});
    engine.frame();
    glm::vec3 position(0.0f), forward(0.0f), up(0.0f);
    ASSERT_EQ(audio->soundSystem->get3DListenerAttributes(listener->index, position, forward, up),
              SoundResult::ok);
    expectNear(position, glm::vec3(10, 2, 0), 1e-5f);
    expectNear(forward, glm::vec3(-1, 0, 0), 1e-5f);
    expectNear(up, glm::vec3(0, 1, 0), 1e-5f);
}

} // namespace
