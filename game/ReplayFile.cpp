// Encoding, checking and keeping replay files.
#include "game/ReplayFile.h"

#include "core/platform/AtomicWrite.h"
#include "core/platform/Log.h"
#include "core/platform/UserPaths.h"

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

#ifndef TW_VERSION
#define TW_VERSION "dev"
#endif

namespace {

// What changed in a kart's controls since its previous step: the byte before
// each kart's values in the control stream.
enum ChangeBit : uint8_t {
    throttleChanged = 1,
    steeringChanged = 2,
    boostBit = 4,
    hopBit = 8,
    respawnBit = 16,
};
constexpr uint8_t knownBits = throttleChanged | steeringChanged | boostBit | hopBit | respawnBit;
// A step of a kart at most: its byte and two escaped changes.
constexpr size_t maxBytesPerKartStep = 5;

void putU8(std::string& out, uint8_t value) {
    out.push_back(static_cast<char>(value));
}

void putU32(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<char>((value >> shift) & 0xffu));
    }
}

// A control as its step, -controlSteps..controlSteps.
int controlStep(float value) {
    return static_cast<int>(std::lround(std::clamp(value, -1.0f, 1.0f) * controlSteps));
}

float controlValue(int step) {
    return static_cast<float>(step) / static_cast<float>(controlSteps);
}

// A changed control as the difference from its last step when that fits a
// signed byte (a smooth driver's small steps pack well), else the escape byte
// and the step itself.
constexpr int8_t escapeByte = -128;
void putChange(std::string& out, int before, int now) {
    const int difference = now - before;
    if (difference >= -127 && difference <= 127) {
        out.push_back(static_cast<char>(static_cast<int8_t>(difference)));
    } else {
        out.push_back(static_cast<char>(escapeByte));
        out.push_back(static_cast<char>(static_cast<int8_t>(now)));
    }
}

void putString(std::string& out, const std::string& text) {
    putU8(out, static_cast<uint8_t>(text.size()));
    out += text;
}

// Reads little-endian fields and remembers the first thing that went wrong.
class Reader {
public:
    Reader(const std::string& bytes) : data(bytes) {}

    bool ok() const { return problem.empty(); }
    const std::string& why() const { return problem; }
    bool atEnd() const { return at == data.size(); }
    void fail(const std::string& reason) {
        if (problem.empty()) {
            problem = reason;
        }
    }

    uint8_t u8(const char* what) {
        if (!need(1, what)) {
            return 0;
        }
        return static_cast<uint8_t>(data[at++]);
    }
    uint32_t u32(const char* what) {
        if (!need(4, what)) {
            return 0;
        }
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            value |= static_cast<uint32_t>(static_cast<uint8_t>(data[at++])) << (8 * i);
        }
        return value;
    }
    // The step after before, as putChange wrote it.
    int change(int before, const char* what) {
        const auto first = static_cast<int8_t>(u8(what));
        int now = before + first;
        if (ok() && first == escapeByte) {
            now = static_cast<int8_t>(u8(what));
        }
        if (ok() && (now < -controlSteps || now > controlSteps)) {
            fail(std::string(what) + " out of range");
            return 0;
        }
        return now;
    }
    std::string text(const char* what, size_t maxLength) {
        const size_t length = u8(what);
        if (ok() && length > maxLength) {
            fail(std::string(what) + " too long");
        }
        if (!need(length, what)) {
            return {};
        }
        std::string value = data.substr(at, length);
        at += length;
        for (const char c : value) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
                fail(std::string(what) + " holds control characters");
            }
        }
        return value;
    }
    std::string rest() const { return data.substr(at); }

private:
    bool need(size_t count, const char* what) {
        if (!ok()) {
            return false;
        }
        if (data.size() - at < count) {
            fail(std::string("truncated in the ") + what);
            return false;
        }
        return true;
    }

    const std::string& data;
    size_t at = 0;
    std::string problem;
};

std::string controlStream(const std::vector<KartControls>& controls, size_t karts) {
    std::string out;
    std::vector<KartControls> last(karts);
    for (size_t i = 0; i < controls.size(); ++i) {
        const KartControls& now = controls[i];
        KartControls& before = last[i % karts];
        uint8_t bits = 0;
        const int throttle = controlStep(now.throttle);
        const int steering = controlStep(now.steering);
        const int throttleBefore = controlStep(before.throttle);
        const int steeringBefore = controlStep(before.steering);
        if (throttle != throttleBefore) {
            bits |= throttleChanged;
        }
        if (steering != steeringBefore) {
            bits |= steeringChanged;
        }
        bits |= (now.boost ? boostBit : 0) | (now.hop ? hopBit : 0) | (now.respawn ? respawnBit : 0);
        putU8(out, bits);
        if ((bits & throttleChanged) != 0) {
            putChange(out, throttleBefore, throttle);
        }
        if ((bits & steeringChanged) != 0) {
            putChange(out, steeringBefore, steering);
        }
        before = now;
    }
    return out;
}

bool trackNameIsSafe(const std::string& track) {
    // A path below the assets folder, as the title screen's choice is.
    return !track.empty() && track.front() != '/' && track.find("..") == std::string::npos &&
           track.find('\\') == std::string::npos;
}

} // namespace

void ReplayFile::begin(const RaceSetup& raceSetup, uint32_t raceSeed, std::vector<std::string> names) {
    setup = raceSetup;
    seed = raceSeed;
    build = thisBuild();
    kartNames = std::move(names);
    controls.clear();
    // Five minutes of steps up front: a race's steps then rarely grow the list.
    controls.reserve(static_cast<size_t>(60 * 60 * 5) * kartNames.size());
}

bool ReplayFile::addStep(const KartControls* stepControls) {
    if (karts() == 0 || steps() >= maxSteps) {
        return false;
    }
    controls.insert(controls.end(), stepControls, stepControls + karts());
    return true;
}

std::string ReplayFile::thisBuild() {
    return std::string("torquewind " TW_VERSION ", ") + __VERSION__;
}

std::string ReplayFile::encode() const {
    std::string out(magic, sizeof magic);
    putU32(out, formatVersion);
    putString(out, build.substr(0, maxBuildLength));
    putString(out, setup.track);
    putU8(out, static_cast<uint8_t>(setup.players));
    putU8(out, static_cast<uint8_t>(setup.ai));
    putU8(out, static_cast<uint8_t>(setup.laps));
    putU8(out, static_cast<uint8_t>(setup.skill));
    putU32(out, seed);
    putU8(out, static_cast<uint8_t>(karts()));
    for (const std::string& name : kartNames) {
        putString(out, name);
    }
    putU32(out, static_cast<uint32_t>(steps()));
    const std::string raw = karts() == 0 ? std::string() : controlStream(controls, karts());
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(packedSize, '\0');
    compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
              reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()), Z_BEST_COMPRESSION);
    packed.resize(packedSize);
    putU32(out, static_cast<uint32_t>(raw.size()));
    putU32(out, static_cast<uint32_t>(packed.size()));
    out += packed;
    return out;
}

bool ReplayFile::decode(const std::string& bytes, std::string& reason) {
    *this = ReplayFile();
    Reader in(bytes);
    if (bytes.size() < sizeof magic || std::memcmp(bytes.data(), magic, sizeof magic) != 0) {
        reason = "not a replay file";
        return false;
    }
    for (size_t i = 0; i < sizeof magic; ++i) {
        in.u8("magic");
    }
    const uint32_t version = in.u32("version");
    if (in.ok() && version > formatVersion) {
        reason = "made by a newer game (format " + std::to_string(version) + ", this game reads up to " +
                 std::to_string(formatVersion) + ")";
        return false;
    }
    if (in.ok() && version == 0) {
        in.fail("format version 0");
    }
    ReplayFile file;
    file.build = in.text("build", maxBuildLength);
    file.setup.track = in.text("track", maxTrackLength);
    file.setup.players = in.u8("players");
    file.setup.ai = in.u8("AI karts");
    file.setup.laps = in.u8("laps");
    const uint8_t skill = in.u8("skill");
    file.setup.skill = static_cast<AiSkill>(skill);
    file.seed = in.u32("seed");
    const size_t kartCount = in.u8("kart count");
    if (in.ok()) {
        if (!trackNameIsSafe(file.setup.track)) {
            in.fail("the track \"" + file.setup.track + "\" is not a track file below the assets folder");
        } else if (kartCount < 1 || kartCount > static_cast<size_t>(maxKarts)) {
            in.fail(std::to_string(kartCount) + " karts (1 to " + std::to_string(maxKarts) + " allowed)");
        } else if (file.setup.players + file.setup.ai != static_cast<int>(kartCount) ||
                   file.setup.players > RaceSetup::maxPlayers || file.setup.ai > RaceSetup::maxAi) {
            in.fail("the setup (" + std::to_string(file.setup.players) + " players, " +
                    std::to_string(file.setup.ai) + " AI) does not match its " + std::to_string(kartCount) +
                    " karts");
        } else if (file.setup.laps < 1 || file.setup.laps > maxLaps || skill > 2) {
            in.fail("laps or skill out of range");
        }
    }
    for (size_t k = 0; in.ok() && k < kartCount; ++k) {
        file.kartNames.push_back(in.text("kart name", maxNameLength));
        if (in.ok() && file.kartNames.back().empty()) {
            in.fail("a kart without a name");
        }
    }
    const uint32_t stepCount = in.u32("step count");
    const uint32_t rawSize = in.u32("control size");
    const uint32_t packedSize = in.u32("control size");
    if (in.ok() && stepCount > maxSteps) {
        in.fail(std::to_string(stepCount) + " steps (at most " + std::to_string(maxSteps) + ")");
    }
    const uint64_t rawLimit = static_cast<uint64_t>(stepCount) * kartCount * maxBytesPerKartStep;
    if (in.ok() && (rawSize < static_cast<uint64_t>(stepCount) * kartCount || rawSize > rawLimit)) {
        in.fail("control size does not fit the step count");
    }
    const std::string packed = in.ok() ? in.rest() : std::string();
    if (in.ok() && packed.size() != packedSize) {
        in.fail(packed.size() < packedSize ? "truncated in the controls" : "bytes after the controls");
    }
    if (!in.ok()) {
        reason = in.why();
        return false;
    }
    std::string raw(rawSize, '\0');
    uLongf unpacked = rawSize;
    if (rawSize > 0 && (uncompress(reinterpret_cast<Bytef*>(raw.data()), &unpacked,
                                   reinterpret_cast<const Bytef*>(packed.data()),
                                   static_cast<uLong>(packed.size())) != Z_OK ||
                        unpacked != rawSize)) {
        reason = "the controls are damaged";
        return false;
    }
    Reader stream(raw);
    std::vector<KartControls> last(kartCount);
    file.controls.reserve(static_cast<size_t>(stepCount) * kartCount);
    for (size_t i = 0; stream.ok() && i < static_cast<size_t>(stepCount) * kartCount; ++i) {
        KartControls now = last[i % kartCount];
        const uint8_t bits = stream.u8("controls");
        if ((bits & ~knownBits) != 0) {
            stream.fail("unknown control bits");
        }
        if ((bits & throttleChanged) != 0) {
            now.throttle = controlValue(stream.change(controlStep(now.throttle), "throttle"));
        }
        if ((bits & steeringChanged) != 0) {
            now.steering = controlValue(stream.change(controlStep(now.steering), "steering"));
        }
        now.boost = (bits & boostBit) != 0;
        now.hop = (bits & hopBit) != 0;
        now.respawn = (bits & respawnBit) != 0;
        last[i % kartCount] = now;
        file.controls.push_back(now);
    }
    if (stream.ok() && !stream.atEnd()) {
        stream.fail("bytes after the last step");
    }
    if (!stream.ok()) {
        reason = stream.why();
        return false;
    }
    *this = std::move(file);
    return true;
}

bool ReplayFile::save(const std::string& path) const {
    return writeFileAtomically(path, encode());
}

bool ReplayFile::load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        logWarning("Replay ", path, ": cannot be opened");
        return false;
    }
    // A replay of the longest race is a few hundred kilobytes; anything far bigger is not one.
    constexpr std::streamoff largest = 16 * 1024 * 1024;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || size > largest) {
        logWarning("Replay ", path, ": too large to be a replay");
        return false;
    }
    in.seekg(0);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string reason;
    if (!decode(bytes, reason)) {
        logWarning("Replay ", path, ": ", reason);
        return false;
    }
    if (build != thisBuild()) {
        logInfo("Replay ", path, " was recorded by ", build, "; this is ", thisBuild(),
                ", so the race may differ");
    }
    return true;
}

std::string ReplayFile::folder() {
    const std::string probe = UserPaths("torquewind").dataFile("replays/x");
    return probe.empty() ? std::string() : fs::path(probe).parent_path().string();
}

std::string ReplayFile::newPath(const std::string& folder) {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    // Two races saved in one second keep apart, and the names still sort by time.
    std::string path;
    for (int n = 1; path.empty() || (fs::exists(path) && n < 100); ++n) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "-%02d", n);
        path = (fs::path(folder) / (std::string(stamp) + suffix + extension)).string();
    }
    return path;
}

void ReplayFile::keepNewest(const std::string& folder, size_t keep) {
    std::error_code error;
    std::vector<fs::path> replays;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.is_regular_file(error) && entry.path().extension() == extension) {
            replays.push_back(entry.path());
        }
    }
    if (replays.size() <= keep) {
        return;
    }
    std::sort(replays.begin(), replays.end());
    for (size_t i = 0; i + keep < replays.size(); ++i) {
        fs::remove(replays[i], error);
    }
}
