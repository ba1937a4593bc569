// The sound runtime's engine room, private to core/audio: the output device and
// context, the clips' buffers, the listeners and the pool of virtual voices spread
// over the sources the output grants. SoundSystem and SoundChannel forward to it.
#pragma once

#include "core/audio/SoundClip.h"
#include "core/audio/SoundListeners.h"
#include "core/audio/SoundStream.h"
#include "core/audio/SoundTypes.h"

#define AL_ALEXT_PROTOTYPES
#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <glm/glm.hpp>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class SoundMixer {
public:
    SoundMixer() = default;
    ~SoundMixer();
    SoundMixer(const SoundMixer&) = delete;
    SoundMixer& operator=(const SoundMixer&) = delete;

    SoundResult open(int maxVoices, unsigned flags, int realVoiceLimit);
    SoundResult setSettings(float dopplerScale, float distanceFactor, float rolloffScale);
    SoundResult createClip(const std::string& path, unsigned mode, SoundClip*& clip);
    SoundResult play(SoundClip* clip, bool paused, std::uint64_t& id);
    SoundResult update();
    SoundResult render(float* interleavedStereo, int frames);

    SoundResult setListenerCount(int count);
    int getListenerCount() const { return listeners.getCount(); }
    SoundResult setListener(int index, const glm::vec3& position, const glm::vec3& forward,
                            const glm::vec3& up);
    SoundResult getListener(int index, glm::vec3& position, glm::vec3& forward, glm::vec3& up) const;

    bool isSilent() const { return context == nullptr; }
    bool isLoopback() const { return loopback; }
    int getRealVoiceCount() const { return static_cast<int>(sources.size()); }
    int getSampleRate() const { return sampleRate; }
    int getActiveVoiceCount() const;

    // Channel calls, by voice id; a voice that ended answers invalidHandle.
    SoundResult setLooping(std::uint64_t id, bool looping);
    SoundResult getLooping(std::uint64_t id, bool& looping);
    SoundResult setPitch(std::uint64_t id, float pitch);
    SoundResult getPitch(std::uint64_t id, float& pitch);
    SoundResult setVolume(std::uint64_t id, float volume);
    SoundResult getVolume(std::uint64_t id, float& volume);
    SoundResult setPaused(std::uint64_t id, bool paused);
    SoundResult getPaused(std::uint64_t id, bool& paused);
    SoundResult isPlaying(std::uint64_t id, bool& playing);
    SoundResult isVirtual(std::uint64_t id, bool& isVirtual);
    SoundResult getOffset(std::uint64_t id, double& seconds);
    SoundResult stop(std::uint64_t id);
    SoundResult setPosition(std::uint64_t id, const glm::vec3& position);
    SoundResult getPosition(std::uint64_t id, glm::vec3& position);

private:
    struct Voice {
        std::uint32_t generation = 1;
        bool active = false;
        SoundClip* clip = nullptr;
        ALuint source = 0; // 0 while virtual
        bool paused = true;
        bool looping = false;
        float pitch = 1.0f;
        float volume = 1.0f;
        glm::vec3 position{0.0f}; // world, right-handed
        glm::vec3 relative{0.0f}; // as placed around the nearest listener
        float audibility = 0.0f;
        // A virtual voice's playback position: offset seconds into the clip at anchor.
        double offset = 0.0;
        double anchor = 0.0;
        // A streamed clip's decoder and buffers, while the voice holds a source.
        std::unique_ptr<SoundStream> stream;
    };

    void bind() const;
    void close();
    bool openDevice(unsigned flags, int sourceCount);
    void createSources(int count);
    double now() const;
    glm::vec3 fromUser(const glm::vec3& v) const;

    Voice* find(std::uint64_t id);
    static std::uint64_t idOf(const Voice& voice, std::size_t slot);
    Voice* allocateVoice();
    bool finished(const Voice& voice) const;
    double offsetAt(const Voice& voice, double time) const;
    void reanchor(Voice& voice);
    void end(Voice& voice);
    void place(Voice& voice);
    float rolloffGain(float distance) const;
    void applySource(const Voice& voice) const;
    void realise(Voice& voice);
    void virtualise(Voice& voice);
    void rebalance();
    void refillStreams();

    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    bool loopback = false;
    bool rightHanded = false;
    int sampleRate = 0;
    std::uint64_t renderedFrames = 0;
    std::chrono::steady_clock::time_point started;

    float minDistance = 1.0f;
    float maxDistance = 10000.0f;
    float rolloffScale = 1.0f;

    SoundListeners listeners;
    std::vector<std::unique_ptr<SoundClip>> clips;
    std::vector<Voice> voices;
    // The active voices, reused each update so that a steady frame allocates nothing.
    std::vector<Voice*> activeScratch;
    std::vector<ALuint> sources;
    std::vector<ALuint> freeSources;
};
