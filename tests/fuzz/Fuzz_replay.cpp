// Fuzz target: a replay file, read as --replay and the end screen read one. What
// is accepted must write back to bytes that read as the same race.
#include "game/ReplayFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ReplayFile file;
    std::string reason;
    if (!file.decode(std::string(reinterpret_cast<const char*>(data), size), reason)) {
        if (reason.empty() || file.steps() != 0) {
            std::abort();
        }
        return 0;
    }
    ReplayFile again;
    if (!again.decode(file.encode(), reason) || again.steps() != file.steps() ||
        again.karts() != file.karts() || again.seed != file.seed || again.setup.track != file.setup.track) {
        std::abort();
    }
    for (size_t step = 0; step < file.steps(); ++step) {
        for (size_t kart = 0; kart < file.karts(); ++kart) {
            const KartControls& a = file.at(step, kart);
            const KartControls& b = again.at(step, kart);
            if (a.throttle != b.throttle || a.steering != b.steering || a.boost != b.boost ||
                a.hop != b.hop || a.respawn != b.respawn) {
                std::abort();
            }
        }
    }
    return 0;
}
