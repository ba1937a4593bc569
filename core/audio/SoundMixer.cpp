// Voice management on OpenAL Soft. Every voice is placed listener-relative (the one
// OpenAL listener stays at the origin), 2D voices at the centre without roll-off.
// When more voices play than OpenAL granted sources, the quietest run on as virtual
// voices: their position advances on the clock and they take a source back, at the
// right offset, as soon as they are loud enough again.
#include "core/audio/SoundMixer.h"

#include "core/audio/SoundDecoder.h"

#include <AL/efx.h>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr int loopbackRate = 48000;
constexpr ALCint monoSources = 512;
constexpr ALCint stereoSources = 16;
// Volumes above 1 amplify, as game code expects; OpenAL clamps to a source's AL_MAX_GAIN.
constexpr float maxGain = 16.0f;
constexpr int maxVoiceCount = 4095;
// 2D clips longer than this stream from their file: music would otherwise sit whole in
// the output's memory (about 6 MB for half a minute of 44.1 kHz stereo).
constexpr double streamAboveSeconds = 8.0;

bool validNumber(float value) {
    return std::isfinite(value) && value >= 0.0f;
}

ALenum bufferFormat(int channels) {
    return channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16;
}

void widenToStereo(SoundDecoder::Pcm& pcm) {
    std::vector<std::int16_t> stereo;
    stereo.reserve(pcm.samples.size() * 2);
    for (std::int16_t sample : pcm.samples)
        stereo.insert(stereo.end(), {sample, sample});
    pcm.samples = std::move(stereo);
    pcm.channels = 2;
}

} // namespace

SoundMixer::~SoundMixer() {
    close();
}

void SoundMixer::bind() const {
    if (context && alcGetCurrentContext() != context)
        alcMakeContextCurrent(context);
}

SoundResult SoundMixer::open(int maxVoices, unsigned flags, int realVoiceLimit) {
    if (maxVoices < 1 || maxVoices > maxVoiceCount)
        return SoundResult::invalidParam;
    rightHanded = (flags & SoundInit::rightHanded3D) != 0;
    const int limit = realVoiceLimit < 0 ? maxVoices : std::min(maxVoices, realVoiceLimit);
    if (!openDevice(flags, limit))
        return SoundResult::outputInit;
    started = std::chrono::steady_clock::now();
    voices.clear();
    voices.resize(static_cast<std::size_t>(maxVoices));
    if (context) {
        alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
        // Velocities are always zero; Doppler stays off whatever the settings say.
        alDopplerFactor(0.0f);
        createSources(limit);
    }
    return SoundResult::ok;
}

// Without a sound card (servers, CI) no device opens; the runtime then keeps time on
// the clock with every voice virtual, so the game behaves the same, only silently.
bool SoundMixer::openDevice(unsigned flags, int sourceCount) {
    loopback = (flags & SoundInit::loopback) != 0;
    // The context keeps mixing state for every source it may hand out (about 16 KB
    // each), so it is asked for no more than will be used.
    const ALCint mono = std::clamp<ALCint>(sourceCount, 1, monoSources);
    // The limiter keeps loud moments (a countdown over music and engines) from
    // clipping at the output instead of leaving it to the sound card.
    std::vector<ALCint> attributes{ALC_MONO_SOURCES, mono, ALC_STEREO_SOURCES, stereoSources};
    attributes.insert(attributes.end(), {ALC_OUTPUT_LIMITER_SOFT, ALC_TRUE});
    // No effect slots are used: without sends each voice's mixing state is smaller.
    attributes.insert(attributes.end(), {ALC_MAX_AUXILIARY_SENDS, 0});
    if (loopback) {
        device = alcLoopbackOpenDeviceSOFT(nullptr);
        if (!device)
            return false;
        sampleRate = loopbackRate;
        attributes.insert(attributes.end(),
                          {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT,
                           ALC_FREQUENCY, loopbackRate, ALC_HRTF_SOFT, ALC_FALSE});
    } else {
        device = alcOpenDevice(nullptr);
        if (!device)
            return true;
    }
    attributes.push_back(0);
    context = alcCreateContext(device, attributes.data());
    if (!context) {
        alcCloseDevice(device);
        device = nullptr;
        return !loopback;
    }
    alcMakeContextCurrent(context);
    if (!loopback)
        alcGetIntegerv(device, ALC_FREQUENCY, 1, &sampleRate);
    return true;
}

void SoundMixer::createSources(int count) {
    for (int i = 0; i < count; ++i) {
        ALuint source = 0;
        alGetError();
        alGenSources(1, &source);
        if (alGetError() != AL_NO_ERROR)
            break;
        alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
        alSourcef(source, AL_MAX_GAIN, maxGain);
        sources.push_back(source);
    }
    freeSources.assign(sources.rbegin(), sources.rend());
}

void SoundMixer::close() {
    if (!context) {
        if (device)
            alcCloseDevice(device);
        device = nullptr;
        return;
    }
    bind();
    for (Voice& voice : voices) {
        if (voice.active)
            end(voice);
    }
    if (!sources.empty())
        alDeleteSources(static_cast<ALsizei>(sources.size()), sources.data());
    for (const auto& clip : clips) {
        if (clip->buffer != 0)
            alDeleteBuffers(1, &clip->buffer);
    }
    sources.clear();
    freeSources.clear();
    clips.clear();
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(context);
    alcCloseDevice(device);
    context = nullptr;
    device = nullptr;
}

double SoundMixer::now() const {
    if (loopback)
        return static_cast<double>(renderedFrames) / sampleRate;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

glm::vec3 SoundMixer::fromUser(const glm::vec3& v) const {
    return rightHanded ? v : glm::vec3(v.x, v.y, -v.z);
}

SoundResult SoundMixer::setSettings(float dopplerScale, float distanceFactor, float rolloff) {
    if (!validNumber(dopplerScale) || !validNumber(distanceFactor) || !validNumber(rolloff) ||
        distanceFactor <= 0.0f) {
        return SoundResult::invalidParam;
    }
    // One unit is 1/distanceFactor metres: the 1 m roll-off start scales with it.
    minDistance = distanceFactor;
    maxDistance = 10000.0f * distanceFactor;
    rolloffScale = rolloff;
    return SoundResult::ok;
}

SoundResult SoundMixer::createClip(const std::string& path, unsigned mode, SoundClip*& clip) {
    clip = nullptr;
    const bool threeD = (mode & SoundMode::threeD) != 0;
    const unsigned placement = threeD ? SoundMode::threeD : SoundMode::twoD;
    const unsigned loop = (mode & SoundMode::loopNormal) ? SoundMode::loopNormal : SoundMode::loopOff;
    SoundStream::Info info;
    if (!threeD && SoundStream::probe(path, info) == SoundResult::ok &&
        static_cast<double>(info.frames) > streamAboveSeconds * info.sampleRate) {
        std::unique_ptr<SoundClip> made(
            new SoundClip(path, placement | loop, 2, info.sampleRate, info.frames));
        made->streamed = true;
        clip = made.get();
        clips.push_back(std::move(made));
        return SoundResult::ok;
    }
    SoundDecoder::Pcm pcm;
    const SoundResult decoded = SoundDecoder::decode(path, threeD, pcm);
    if (decoded != SoundResult::ok)
        return decoded;
    // A centred mono source is panned down about 4.5 dB; 2D sounds play at full level,
    // so mono ones go out as two identical channels straight to the speakers.
    if (!threeD && pcm.channels == 1)
        widenToStereo(pcm);
    std::unique_ptr<SoundClip> made(
        new SoundClip(path, placement | loop, pcm.channels, pcm.sampleRate, pcm.frames()));
    if (context) {
        bind();
        alGetError();
        alGenBuffers(1, &made->buffer);
        alBufferData(made->buffer, bufferFormat(pcm.channels), pcm.samples.data(),
                     static_cast<ALsizei>(pcm.samples.size() * sizeof(std::int16_t)), pcm.sampleRate);
        if (alGetError() != AL_NO_ERROR) {
            alDeleteBuffers(1, &made->buffer);
            return SoundResult::memory;
        }
    }
    clip = made.get();
    clips.push_back(std::move(made));
    return SoundResult::ok;
}

std::uint64_t SoundMixer::idOf(const Voice& voice, std::size_t slot) {
    return (static_cast<std::uint64_t>(voice.generation) << 32) | slot;
}

SoundMixer::Voice* SoundMixer::allocateVoice() {
    for (Voice& voice : voices) {
        if (!voice.active)
            return &voice;
    }
    // Every voice is busy: the least audible one makes room, paused ones first.
    auto quieter = [](const Voice& a, const Voice& b) {
        if (a.paused != b.paused)
            return a.paused;
        return a.audibility < b.audibility;
    };
    Voice& victim = *std::min_element(voices.begin(), voices.end(), quieter);
    end(victim);
    return &victim;
}

SoundResult SoundMixer::play(SoundClip* clip, bool paused, std::uint64_t& id) {
    id = 0;
    const bool known =
        std::any_of(clips.begin(), clips.end(), [clip](const auto& owned) { return owned.get() == clip; });
    if (!clip || !known)
        return SoundResult::invalidParam;
    bind();
    Voice& voice = *allocateVoice();
    const std::uint32_t generation = voice.generation;
    voice = Voice{};
    voice.generation = generation;
    voice.active = true;
    voice.clip = clip;
    voice.paused = paused;
    voice.looping = (clip->getMode() & SoundMode::loopNormal) != 0;
    voice.anchor = now();
    place(voice);
    if (!freeSources.empty())
        realise(voice);
    id = idOf(voice, static_cast<std::size_t>(&voice - voices.data()));
    return SoundResult::ok;
}

double SoundMixer::offsetAt(const Voice& voice, double time) const {
    if (voice.paused)
        return voice.offset;
    const double position = voice.offset + (time - voice.anchor) * voice.pitch;
    const double length = voice.clip->getLength();
    if (voice.looping && length > 0.0)
        return std::fmod(position, length);
    return position;
}

void SoundMixer::reanchor(Voice& voice) {
    if (voice.source != 0)
        return;
    const double time = now();
    voice.offset = offsetAt(voice, time);
    voice.anchor = time;
}

bool SoundMixer::finished(const Voice& voice) const {
    if (voice.source != 0 && voice.stream)
        return voice.stream->drained(voice.source);
    if (voice.source != 0) {
        ALint state = AL_INITIAL;
        alGetSourcei(voice.source, AL_SOURCE_STATE, &state);
        return state == AL_STOPPED;
    }
    return !voice.paused && !voice.looping && offsetAt(voice, now()) >= voice.clip->getLength();
}

void SoundMixer::end(Voice& voice) {
    if (voice.source != 0) {
        alSourceRewind(voice.source);
        alSourcei(voice.source, AL_BUFFER, 0);
        freeSources.push_back(voice.source);
        voice.source = 0;
    }
    voice.stream.reset();
    voice.active = false;
    voice.clip = nullptr;
    voice.generation = voice.generation == UINT32_MAX ? 1 : voice.generation + 1;
}

SoundMixer::Voice* SoundMixer::find(std::uint64_t id) {
    const std::size_t slot = static_cast<std::size_t>(id & 0xffffffffu);
    const auto generation = static_cast<std::uint32_t>(id >> 32);
    if (slot >= voices.size())
        return nullptr;
    Voice& voice = voices[slot];
    if (!voice.active || voice.generation != generation)
        return nullptr;
    bind();
    if (finished(voice)) {
        end(voice);
        return nullptr;
    }
    return &voice;
}

float SoundMixer::rolloffGain(float distance) const {
    const float clamped = std::clamp(distance, minDistance, maxDistance);
    return minDistance / (minDistance + rolloffScale * (clamped - minDistance));
}

void SoundMixer::place(Voice& voice) {
    if (!voice.clip->is3D()) {
        voice.relative = glm::vec3(0.0f);
        voice.audibility = voice.volume;
        return;
    }
    float distance = 0.0f;
    voice.relative = listeners.place(voice.position, distance);
    voice.audibility = voice.volume * rolloffGain(distance);
}

void SoundMixer::applySource(const Voice& voice) const {
    const ALuint source = voice.source;
    // A stream loops by reading its file again; its source only plays what is queued.
    alSourcei(source, AL_LOOPING, voice.looping && !voice.stream ? AL_TRUE : AL_FALSE);
    alSourcef(source, AL_PITCH, voice.pitch);
    alSourcef(source, AL_GAIN, voice.volume);
    const bool threeD = voice.clip->is3D();
    // 2D stereo goes straight to the speakers instead of being placed at +-30 degrees.
    alSourcei(source, AL_DIRECT_CHANNELS_SOFT, threeD ? AL_FALSE : AL_TRUE);
    alSourcef(source, AL_ROLLOFF_FACTOR, threeD ? rolloffScale : 0.0f);
    alSourcef(source, AL_REFERENCE_DISTANCE, minDistance);
    alSourcef(source, AL_MAX_DISTANCE, maxDistance);
    alSource3f(source, AL_POSITION, voice.relative.x, voice.relative.y, voice.relative.z);
}

void SoundMixer::realise(Voice& voice) {
    voice.source = freeSources.back();
    freeSources.pop_back();
    const double offset = offsetAt(voice, now());
    if (voice.clip->isStreamed()) {
        // A file that no longer opens leaves the stream ended: the voice ends with the next update.
        voice.stream = std::make_unique<SoundStream>();
        voice.stream->start(voice.clip->getPath(), offset, voice.looping, voice.source);
        applySource(voice);
    } else {
        alSourcei(voice.source, AL_BUFFER, static_cast<ALint>(voice.clip->buffer));
        applySource(voice);
        // A source that is not playing keeps this offset for its next start.
        if (offset > 0.0)
            alSourcef(voice.source, AL_SEC_OFFSET, static_cast<float>(offset));
    }
    voice.offset = offset;
    if (!voice.paused)
        alSourcePlay(voice.source);
}

void SoundMixer::virtualise(Voice& voice) {
    ALint state = AL_INITIAL;
    alGetSourcei(voice.source, AL_SOURCE_STATE, &state);
    if (voice.stream) {
        voice.offset = voice.stream->offset(voice.source);
        voice.stream->stop(voice.source);
        voice.stream.reset();
    } else if (state == AL_PLAYING || state == AL_PAUSED) {
        ALfloat seconds = 0.0f;
        alGetSourcef(voice.source, AL_SEC_OFFSET, &seconds);
        voice.offset = seconds;
    }
    voice.anchor = now();
    alSourceRewind(voice.source);
    alSourcei(voice.source, AL_BUFFER, 0);
    freeSources.push_back(voice.source);
    voice.source = 0;
}

// The loudest voices get the sources; a tie keeps the voice that already has one.
void SoundMixer::rebalance() {
    std::vector<Voice*>& active = activeScratch;
    active.clear();
    for (Voice& voice : voices) {
        if (voice.active)
            active.push_back(&voice);
    }
    if (active.size() > sources.size()) {
        // Voices live in one array, so their addresses break the last tie in
        // their own order: as stable as a stable sort, without its buffer.
        std::sort(active.begin(), active.end(), [](const Voice* a, const Voice* b) {
            if (a->paused != b->paused)
                return !a->paused;
            if (a->audibility != b->audibility)
                return a->audibility > b->audibility;
            const bool aHeld = a->source != 0;
            const bool bHeld = b->source != 0;
            if (aHeld != bHeld)
                return aHeld;
            return a < b;
        });
        for (std::size_t i = sources.size(); i < active.size(); ++i) {
            if (active[i]->source != 0)
                virtualise(*active[i]);
        }
        active.resize(sources.size());
    }
    for (Voice* voice : active) {
        if (voice->source == 0 && !freeSources.empty())
            realise(*voice);
    }
}

void SoundMixer::refillStreams() {
    for (Voice& voice : voices) {
        if (voice.active && voice.stream) {
            voice.stream->refill(voice.source, voice.looping, voice.paused);
        }
    }
}

SoundResult SoundMixer::update() {
    bind();
    refillStreams();
    for (Voice& voice : voices) {
        if (voice.active && finished(voice))
            end(voice);
    }
    for (Voice& voice : voices) {
        if (!voice.active)
            continue;
        place(voice);
        if (voice.source != 0 && voice.clip->is3D()) {
            alSource3f(voice.source, AL_POSITION, voice.relative.x, voice.relative.y, voice.relative.z);
        }
    }
    if (context)
        rebalance();
    listeners.nextFrame();
    return SoundResult::ok;
}

SoundResult SoundMixer::render(float* interleavedStereo, int frames) {
    if (!loopback || !context)
        return SoundResult::unsupported;
    if (!interleavedStereo || frames < 0)
        return SoundResult::invalidParam;
    bind();
    // Streams are topped up between pieces, so a long render hears them without gaps.
    for (int done = 0; done < frames;) {
        const int piece = std::min(frames - done, SoundStream::chunkFrames);
        refillStreams();
        alcRenderSamplesSOFT(device, interleavedStereo + static_cast<std::size_t>(done) * 2, piece);
        renderedFrames += static_cast<std::uint64_t>(piece);
        done += piece;
    }
    return SoundResult::ok;
}

int SoundMixer::getActiveVoiceCount() const {
    return static_cast<int>(
        std::count_if(voices.begin(), voices.end(), [](const Voice& v) { return v.active; }));
}

SoundResult SoundMixer::setListenerCount(int count) {
    return listeners.setCount(count) ? SoundResult::ok : SoundResult::invalidParam;
}

SoundResult SoundMixer::setListener(int index, const glm::vec3& position, const glm::vec3& forward,
                                    const glm::vec3& up) {
    const bool ok = listeners.set(index, fromUser(position), fromUser(forward), fromUser(up));
    return ok ? SoundResult::ok : SoundResult::invalidParam;
}

SoundResult SoundMixer::getListener(int index, glm::vec3& position, glm::vec3& forward, glm::vec3& up) const {
    if (!listeners.get(index, position, forward, up))
        return SoundResult::invalidParam;
    position = fromUser(position);
    forward = fromUser(forward);
    up = fromUser(up);
    return SoundResult::ok;
}

SoundResult SoundMixer::setLooping(std::uint64_t id, bool looping) {
    Voice* voice = find(id);
    if (!voice)
        return SoundResult::invalidHandle;
    reanchor(*voice);
    voice->looping = looping;
    if (voice->source != 0 && !voice->stream)
        alSourcei(voice->source, AL_LOOPING, looping ? AL_TRUE : AL_FALSE);
    return SoundResult::ok;
}

SoundResult SoundMixer::getLooping(std::uint64_t id, bool& looping) {
    const Voice* voice = find(id);
    if (!voice)
        return SoundResult::invalidHandle;
    looping = voice->looping;
    return SoundResult::ok;
}

SoundResult SoundMixer::setPitch(std::uint64_t id, float pitch) {
    if (!validNumber(pitch))
        return SoundResult::invalidParam;
    Voice* voice = find(id);
    if (!voice)
        return SoundResult::invalidHandle;
    reanchor(*voice);
    voice->pitch = pitch;
    if (voice->source != 0)
        alSourcef(voice->source, AL_PITCH, pitch);
    return SoundResult::ok;
}

SoundResult SoundMixer::getPitch(std::uint64_t id, float& pitch) {
    const Voice* voice = find(id);
    if (!voice)
        return SoundResult::invalidHandle;
    pitch = voice->pitch;
    return SoundResult::ok;
}

SoundResult SoundMixer::setVolume(std::uint64_t id, float volume) {
    if (!validNumber(volume))
        return SoundResult::invalidParam;
    Voice* voice = find(id);
    if (!voice)
        return SoundResult::invalidHandle;
    voice->volume = std::min(volume, maxGain);
    place(*voice);
    if (voice->source != 0)
        alSourcef(voice->source, AL_GAIN, voice->volume);
    return SoundResult::ok;
}

SoundResult SoundMixer::getVolume(std::uint64_t id, float& volume) {
    const Voice* voice = find(id);
    if (!voice)
        return SoundResult::invalidHandle;
    volume = voice->volume;
    return SoundResult::ok;
}

SoundResult SoundMixer::setPaused(std::uint64_t id, bool paused) {
    Voice* voice = find(id);
    if (!voice)
        return SoundResult::invalidHandle;
    if (voice->paused == paused)
        return SoundResult::ok;
    reanchor(*voice);
    voice->paused = paused;
    if (voice->source == 0) {
        // An unpaused voice may deserve a source that is free right now.
        if (!paused && !freeSources.empty())
            realise(*voice);
        return SoundResult::ok;
    }
    if (paused) {
        alSourcePause(voice->source);
    } else {
        alSourcePlay(voice->source);
    }
    return SoundResult::ok;
}

SoundResult SoundMixer::getPaused(std::uint64_t id, bool& paused) {
    const Voice* voice = find(id);
    if (!voice)
        return SoundResult::invalidHandle;
    paused = voice->paused;
    return SoundResult::ok;
}

SoundResult SoundMixer::isPlaying(std::uint64_t id, bool& playing) {
    playing = find(id) != nullptr;
    return playing ? SoundResult::ok : SoundResult::invalidHandle;
}

SoundResult SoundMixer::isVirtual(std::uint64_t id, bool& isVirtual) {
    const Voice* voice = find(id);
    if (!voice)
        return SoundResult::invalidHandle;
    isVirtual = voice->source == 0;
    return SoundResult::ok;
}

SoundResult SoundMixer::getOffset(std::uint64_t id, double& seconds) {
    const Voice* voice = find(id);
    if (!voice)
        return SoundResult::invalidHandle;
    if (voice->source == 0) {
        seconds = offsetAt(*voice, now());
        return SoundResult::ok;
    }
    if (voice->stream) {
        seconds = voice->stream->offset(voice->source);
        return SoundResult::ok;
    }
    ALint state = AL_INITIAL;
    alGetSourcei(voice->source, AL_SOURCE_STATE, &state);
    ALfloat offset = 0.0f;
    if (state != AL_INITIAL)
        alGetSourcef(voice->source, AL_SEC_OFFSET, &offset);
    seconds = state == AL_INITIAL ? voice->offset : offset;
    return SoundResult::ok;
}

SoundResult SoundMixer::stop(std::uint64_t id) {
    Voice* voice = find(id);
    if (!voice)
        return SoundResult::invalidHandle;
    end(*voice);
    return SoundResult::ok;
}

SoundResult SoundMixer::setPosition(std::uint64_t id, const glm::vec3& position) {
    const glm::vec3 world = fromUser(position);
    if (!std::isfinite(world.x) || !std::isfinite(world.y) || !std::isfinite(world.z)) {
        return SoundResult::invalidParam;
    }
    Voice* voice = find(id);
    if (!voice)
        return SoundResult::invalidHandle;
    voice->position = world;
    if (!voice->clip->is3D())
        return SoundResult::ok;
    place(*voice);
    if (voice->source != 0) {
        alSource3f(voice->source, AL_POSITION, voice->relative.x, voice->relative.y, voice->relative.z);
    }
    return SoundResult::ok;
}

SoundResult SoundMixer::getPosition(std::uint64_t id, glm::vec3& position) {
    const Voice* voice = find(id);
    if (!voice)
        return SoundResult::invalidHandle;
    position = fromUser(voice->position);
    return SoundResult::ok;
}
