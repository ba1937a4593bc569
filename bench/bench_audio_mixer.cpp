// Cost of one sound-runtime update with every virtual voice busy: 512 moving 3D
// voices over a limited number of output sources, heard by four listeners.
// Run by hand: build/bench/bench_audio_mixer
#include "core/audio/SoundSystem.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

std::string writeTone() {
    const std::string path = (std::filesystem::temp_directory_path() / "tw_bench_tone.wav").string();
    const int rate = 48000, frames = rate;
    std::ofstream out(path, std::ios::binary);
    auto put = [&out](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.put(static_cast<char>((v >> (8 * i)) & 0xff));
    };
    out.write("RIFF", 4);
    put(36 + frames * 2, 4);
    out.write("WAVEfmt ", 8);
    put(16, 4), put(1, 2), put(1, 2), put(rate, 4), put(rate * 2, 4), put(2, 2), put(16, 2);
    out.write("data", 4);
    put(frames * 2, 4);
    for (int i = 0; i < frames; ++i) {
        put(static_cast<std::uint16_t>(static_cast<std::int16_t>(8000 * std::sin(i * 0.06))), 2);
    }
    return path;
}

void run(int realVoices) {
    std::unique_ptr<SoundSystem> system;
    SoundSystem::create(system);
    system->setRealVoiceLimit(realVoices);
    system->init(512, SoundInit::rightHanded3D | SoundInit::loopback);
    system->set3DNumListeners(4);
    SoundClip* clip = nullptr;
    system->createSound(writeTone(), SoundMode::threeD | SoundMode::loopNormal, &clip);
    std::vector<SoundChannel> channels(512);
    for (SoundChannel& channel : channels)
        system->playSound(clip, false, &channel);

    const int frames = 300;
    std::vector<float> mix(800 * 2);
    double updateSeconds = 0.0;
    for (int frame = 0; frame < frames; ++frame) {
        for (int l = 0; l < 4; ++l) {
            system->set3DListenerAttributes(l, {l * 20.0f, 0, frame * 0.1f}, glm::vec3(0), {0, 0, -1},
                                            {0, 1, 0});
        }
        for (std::size_t i = 0; i < channels.size(); ++i) {
            const float a = 0.01f * frame + static_cast<float>(i);
            channels[i].set3DAttributes({30.0f * std::cos(a), 0, 30.0f * std::sin(a)}, glm::vec3(0));
        }
        const auto start = std::chrono::steady_clock::now();
        system->update();
        updateSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        system->render(mix.data(), 800); // one 60 Hz frame of output
    }
    std::printf("%3d output sources: update %.1f us per frame\n", system->getRealVoiceCount(),
                1e6 * updateSeconds / frames);
}

} // namespace

int main() {
    for (int realVoices : {16, 64, 512})
        run(realVoices);
}
