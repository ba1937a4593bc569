// Fuzz target: sound file bytes, decoded as a clip would be (mono for 3D sounds).
#include "core/audio/SoundDecoder.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SoundDecoder::Pcm pcm;
    const bool mono = size % 2 == 0;
    if (SoundDecoder::decode(data, size, mono, pcm) == SoundResult::ok &&
        (pcm.channels < 1 || pcm.channels > 2 || (mono && pcm.channels != 1) || pcm.samples.empty())) {
        std::abort();
    }
    return 0;
}
