// The sound runtime rendered through OpenAL Soft's loopback device: levels, panning,
// pitch, listeners and virtual voices measured on the samples.
#include "audio/AudioTestUtil.h"
#include "core/audio/SoundSystem.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

using namespace audiotest;

namespace {

class SoundRuntime : public ::testing::Test {
protected:
    void start(int maxVoices = 512, int realVoices = -1) {
        ASSERT_EQ(SoundSystem::create(system), SoundResult::ok);
        if (realVoices >= 0) {
            ASSERT_EQ(system->setRealVoiceLimit(realVoices), SoundResult::ok);
        }
        ASSERT_EQ(system->init(maxVoices, SoundInit::rightHanded3D | SoundInit::loopback), SoundResult::ok);
        ASSERT_EQ(system->set3DSettings(1.0f, 1.0f, 1.0f), SoundResult::ok);
        rate = system->getSampleRate();
    }

    SoundClip* load(const std::string& path, unsigned mode) {
        SoundClip* clip = nullptr;
        EXPECT_EQ(system->createSound(path, mode, &clip), SoundResult::ok) << path;
        return clip;
    }

    SoundChannel play(SoundClip* clip, float volume = 1.0f) {
        SoundChannel channel;
        EXPECT_EQ(system->playSound(clip, true, &channel), SoundResult::ok);
        EXPECT_EQ(channel.setVolume(volume), SoundResult::ok);
        EXPECT_EQ(channel.setPaused(false), SoundResult::ok);
        return channel;
    }

    void listen(int index, glm::vec3 position, glm::vec3 forward = {0, 0, -1}) {
        ASSERT_EQ(system->set3DListenerAttributes(index, position, glm::vec3(0), forward, glm::vec3(0, 1, 0)),
                  SoundResult::ok);
    }

    std::vector<float> render(double seconds) {
        std::vector<float> out(static_cast<std::size_t>(seconds * rate) * 2);
        EXPECT_EQ(system->render(out.data(), static_cast<int>(out.size() / 2)), SoundResult::ok);
        return out;
    }

    // Updates, lets gain changes ramp in, then measures.
    std::vector<float> settleAndRender(double seconds = 0.1) {
        system->update();
        render(0.02);
        return render(seconds);
    }

    static bool isVirtual(const SoundChannel& channel) {
        bool result = false;
        channel.isVirtual(result);
        return result;
    }

    std::unique_ptr<SoundSystem> system;
    int rate = 0;
};

TEST_F(SoundRuntime, TwoDSoundIsCentredIgnoresTheListenerAndKeepsItsStereo) {
    start();
    SoundChannel channel = play(load(writeTone("flat.wav", 440, 2.0), SoundMode::twoD));
    ASSERT_EQ(channel.set3DAttributes({30, 0, 0}, glm::vec3(0)), SoundResult::ok);
    const std::vector<float> near = settleAndRender();
    listen(0, {200, 5, -40}, {1, 0, 0});
    const std::vector<float> far = settleAndRender();
    const double left = rms(leftOf(near)), right = rms(rightOf(near));
    EXPECT_NEAR(left, 0.5 / std::sqrt(2.0), 0.005) << "a 2D sound plays at the file's level";
    EXPECT_NEAR(left / right, 1.0, 0.01);
    EXPECT_NEAR(rms(leftOf(far)) / left, 1.0, 0.01);
    EXPECT_NEAR(rms(rightOf(far)) / right, 1.0, 0.01);

    // Stereo reaches the speakers unmixed: a left-only file stays left.
    channel.stop();
    play(load(writeTone("lr.wav", 440, 1.0, 2, 48000, 0.5f, 0.0f), SoundMode::twoD));
    const std::vector<float> stereo = settleAndRender();
    EXPECT_NEAR(rms(leftOf(stereo)), 0.5 / std::sqrt(2.0), 0.01);
    EXPECT_LT(rms(rightOf(stereo)), 1e-3);
}

TEST_F(SoundRuntime, PitchScalesFrequencyAndVolumeScalesLevel) {
    start();
    SoundChannel channel = play(load(writeTone("pitch.wav", 441, 3.0, 1, 44100), SoundMode::twoD));
    const std::vector<float> base = leftOf(settleAndRender(0.5));
    channel.setPitch(2.0f);
    channel.setVolume(2.0f);
    const std::vector<float> doubled = leftOf(settleAndRender(0.5));
    EXPECT_NEAR(frequency(base, rate), 441.0, 3.0);
    EXPECT_NEAR(frequency(doubled, rate), 882.0, 5.0);
    EXPECT_NEAR(rms(doubled) / rms(base), 2.0, 0.02);
    EXPECT_EQ(channel.setPitch(-1.0f), SoundResult::invalidParam);
    float pitch = 0.0f;
    channel.getPitch(pitch);
    EXPECT_EQ(pitch, 2.0f);
}

TEST_F(SoundRuntime, LoudSoundsTogetherAreLimitedBelowFullScaleNotClipped) {
    start();
    // Three tones that would add up to four and a half times full scale.
    for (const double f : {220.0, 330.0, 495.0}) {
        play(load(writeTone("loud" + std::to_string(static_cast<int>(f)) + ".wav", f, 2.0), SoundMode::twoD),
             3.0f);
    }
    const std::vector<float> mix = settleAndRender(1.0);
    float peak = 0.0f;
    size_t nearFullScale = 0;
    for (const float v : mix) {
        peak = std::max(peak, std::abs(v));
        nearFullScale += std::abs(v) > 0.99f ? 1 : 0;
    }
    // The limiter's ceiling is full scale itself, give or take rounding.
    EXPECT_LE(peak, 1.0f + 1e-5f);
    EXPECT_LT(nearFullScale, mix.size() / 100) << "squashed flat against full scale: clipped, not limited";
    EXPECT_GT(rms(mix), 0.3) << "limited, not muted";
}

TEST_F(SoundRuntime, EachListenerHearsTheSourceNearestToItWhileItIsKeptUpToDate) {
    start();
    SoundChannel low = play(load(writeTone("low.wav", 400, 3.0), SoundMode::threeD));
    SoundChannel high = play(load(writeTone("high.wav", 1000, 3.0), SoundMode::threeD));
    low.set3DAttributes({-1, 0, 0}, glm::vec3(0));   // 1 m left of player 1
    high.set3DAttributes({101, 0, 0}, glm::vec3(0)); // 1 m right of player 2
    listen(0, {0, 0, 0});
    const std::vector<float> one = settleAndRender();

    ASSERT_EQ(system->set3DNumListeners(2), SoundResult::ok);
    listen(0, {0, 0, 0});
    listen(1, {100, 0, 0});
    const std::vector<float> two = settleAndRender();
    const std::vector<float> left = leftOf(two), right = rightOf(two);
    // With one listener the far source is 101 m away; the second listener brings it to 1 m.
    EXPECT_GT(toneLevel(right, 1000, rate), 50.0 * toneLevel(rightOf(one), 1000, rate));
    EXPECT_GT(toneLevel(left, 400, rate), 3.0 * toneLevel(right, 400, rate));
    EXPECT_GT(toneLevel(right, 1000, rate), 3.0 * toneLevel(left, 1000, rate));
    EXPECT_NEAR(toneLevel(left, 400, rate) / toneLevel(right, 1000, rate), 1.0, 0.05);

    // A listener no longer updated stops attracting sounds.
    for (int frame = 0; frame < 3; ++frame) { // only listener 0 is kept up to date
        listen(0, {0, 0, 0});
        system->update();
    }
    listen(0, {0, 0, 0});
    EXPECT_LT(toneLevel(rightOf(settleAndRender()), 1000, rate), toneLevel(right, 1000, rate) / 50.0);
    EXPECT_EQ(system->set3DNumListeners(0), SoundResult::invalidParam);
    EXPECT_EQ(system->set3DListenerAttributes(2, glm::vec3(0), glm::vec3(0), {0, 0, -1}, {0, 1, 0}),
              SoundResult::invalidParam);
}

TEST_F(SoundRuntime, QuietestVoicesGoVirtualAndComeBackInTime) {
    start(512, 2);
    EXPECT_EQ(system->getRealVoiceCount(), 2);
    SoundChannel loud = play(load(writeTone("v1.wav", 500, 3.0), SoundMode::twoD), 1.0f);
    SoundChannel mid = play(load(writeTone("v2.wav", 800, 3.0), SoundMode::twoD), 0.5f);
    SoundChannel quiet = play(load(writeTone("v3.wav", 1300, 3.0), SoundMode::twoD), 0.1f);
    const std::vector<float> three = leftOf(settleAndRender(0.2));
    EXPECT_TRUE(isVirtual(quiet));
    EXPECT_FALSE(isVirtual(mid));
    EXPECT_GT(toneLevel(three, 800, rate), 0.1);
    EXPECT_LT(toneLevel(three, 1300, rate), 1e-3);

    bool playing = false;
    EXPECT_EQ(quiet.isPlaying(playing), SoundResult::ok);
    EXPECT_TRUE(playing) << "a virtual voice still plays";
    loud.stop();
    system->update();
    EXPECT_FALSE(isVirtual(quiet));
    double position = 0.0;
    quiet.getPosition(position);
    EXPECT_NEAR(position, 0.22, 0.005) << "the virtual voice kept time";
    EXPECT_GT(toneLevel(leftOf(render(0.2)), 1300, rate), 0.02);
}

TEST_F(SoundRuntime, AFullPoolStealsTheQuietestVoiceAndStaleHandlesStayDead) {
    SoundChannel none;
    bool playing = true;
    EXPECT_EQ(none.isPlaying(playing), SoundResult::invalidHandle);
    EXPECT_FALSE(playing);
    start(2);
    SoundClip* clip = load(writeTone("steal.wav", 440, 3.0), SoundMode::twoD);
    SoundChannel a = play(clip, 1.0f);
    SoundChannel b = play(clip, 0.2f);
    system->update();
    play(clip, 0.5f);
    EXPECT_EQ(b.isPlaying(playing), SoundResult::invalidHandle);
    EXPECT_EQ(system->getPlayingCount(), 2) << "the loud one and the new one";

    const SoundChannel copy = a;
    a.stop();
    EXPECT_EQ(copy.setVolume(0.5f), SoundResult::invalidHandle);
    SoundChannel other = play(clip);
    EXPECT_EQ(copy.isPlaying(playing), SoundResult::invalidHandle) << "slot reuse must not revive it";
    system->close();
    EXPECT_EQ(other.setPitch(1.5f), SoundResult::invalidHandle);
    EXPECT_EQ(system->update(), SoundResult::notInitialized);
}

// Music long enough to stream: three 3 s tones, 500, 1000 and 1500 Hz, so that what
// plays tells where in the track the output is.
std::string writeThreeTones(const std::string& name) {
    std::vector<float> samples;
    for (double frequency : {500.0, 1000.0, 1500.0}) {
        for (int i = 0; i < 3 * 48000; ++i)
            samples.push_back(0.5f * static_cast<float>(std::sin(2.0 * pi * frequency * i / 48000.0)));
    }
    return writeWav(name, samples, 1, 48000);
}

TEST_F(SoundRuntime, LongMusicStreamsWholeLoopsAndResumesWhereItWasAfterGoingVirtual) {
    start(512, 1);
    SoundClip* music = load(writeThreeTones("music.wav"), SoundMode::twoD | SoundMode::loopNormal);
    ASSERT_NE(music, nullptr);
    EXPECT_TRUE(music->isStreamed());
    EXPECT_NEAR(music->getLength(), 9.0, 1e-9);
    SoundChannel channel = play(music, 0.5f);
    SoundChannel jingle;
    // Frames of a quarter second, as a slow game runs them; 13 s goes round the track past
    // its end. From 2 s to 4 s a louder jingle takes the only source and the music runs virtual.
    for (int frame = 0; frame < 52; ++frame) {
        const double t = frame * 0.25;
        if (frame == 8) {
            jingle = play(load(writeTone("jingle.wav", 3000, 5.0), SoundMode::twoD), 1.0f);
        } else if (frame == 16) {
            jingle.stop();
        }
        system->update();
        const std::vector<float> left = leftOf(render(0.25));
        const bool virtualMusic = frame >= 8 && frame < 16;
        const double expected = 500.0 * (1 + static_cast<int>(std::fmod(t, 9.0) / 3.0));
        for (double f : {500.0, 1000.0, 1500.0}) {
            const double level = toneLevel(left, f, rate);
            if (f == expected && !virtualMusic) {
                EXPECT_GT(level, 0.2) << f << " Hz at " << t << " s";
            } else {
                EXPECT_LT(level, 0.02) << f << " Hz at " << t << " s";
            }
        }
        EXPECT_EQ(toneLevel(left, 3000, rate) > 0.2, virtualMusic) << "jingle at " << t << " s";
    }
    double offset = 0.0;
    EXPECT_EQ(channel.getPosition(offset), SoundResult::ok);
    EXPECT_NEAR(offset, 4.0, 0.01);
}

TEST_F(SoundRuntime, StreamedMusicEndsAfterOnePassEvenInOneLongRenderOrAtOnceIfItsFileIsGone) {
    start();
    SoundChannel channel = play(load(writeThreeTones("once.wav"), SoundMode::twoD));
    system->update();
    const std::vector<float> left = leftOf(render(9.5));
    const auto at = [&](double from, double to) {
        return std::vector<float>(left.begin() + static_cast<long>(from * rate),
                                  left.begin() + static_cast<long>(to * rate));
    };
    EXPECT_GT(toneLevel(at(4.0, 5.0), 1000, rate), 0.4);
    EXPECT_GT(toneLevel(at(8.0, 8.9), 1500, rate), 0.4);
    EXPECT_LT(rms(at(9.1, 9.5)), 1e-4);
    system->update();
    bool playing = true;
    EXPECT_EQ(channel.isPlaying(playing), SoundResult::invalidHandle);
    EXPECT_FALSE(playing);

    // A looping track whose file is gone ends its voice silently.
    const std::string path = writeThreeTones("gone_music.wav");
    SoundClip* music = load(path, SoundMode::twoD | SoundMode::loopNormal);
    ASSERT_NE(music, nullptr);
    std::filesystem::remove(path);
    EXPECT_EQ(system->playSound(music, false, &channel), SoundResult::ok);
    system->update();
    EXPECT_LT(rms(render(0.5)), 1e-4);
    EXPECT_EQ(channel.isPlaying(playing), SoundResult::invalidHandle);
    EXPECT_EQ(system->getPlayingCount(), 0);
}

// OpenAL reads its driver list once per process, so this runs in a fresh child.
TEST(SoundRuntimeDeathTest, WithoutAnOutputDeviceEverythingRunsSilently) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string path = writeTone("silent_run.wav", 440, 0.05);
    EXPECT_EXIT(
        {
            setenv("ALSOFT_DRIVERS", "no-such-driver", 1);
            std::unique_ptr<SoundSystem> system;
            SoundSystem::create(system);
            bool ok = system->init(512, SoundInit::rightHanded3D) == SoundResult::ok && system->isSilent();
            SoundClip* clip = nullptr;
            ok = ok && system->createSound(path, SoundMode::threeD, &clip) == SoundResult::ok;
            SoundChannel channel;
            ok = ok && system->playSound(clip, false, &channel) == SoundResult::ok;
            bool playing = false;
            channel.isPlaying(playing);
            ok = ok && playing;
            std::this_thread::sleep_for(std::chrono::milliseconds(120));
            system->update();
            channel.isPlaying(playing);
            ok = ok && !playing;
            std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
