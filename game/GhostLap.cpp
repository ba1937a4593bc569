// Ghost laps: sampling, interpolation and their file.
#include "game/GhostLap.h"

#include "core/platform/AtomicWrite.h"
#include "core/platform/Log.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

void putU32(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<char>((value >> shift) & 0xffu));
    }
}

void putFloat(std::string& out, float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    putU32(out, bits);
}

uint32_t readU32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
    }
    return value;
}

float readFloat(const std::string& bytes, size_t at) {
    const uint32_t bits = readU32(bytes, at);
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

constexpr size_t floatsPerPose = 7;
constexpr size_t maxTrackLength = 200;

} // namespace

GhostLap::Pose GhostLap::poseAt(uint32_t step) const {
    if (samples.empty()) {
        return {};
    }
    const uint32_t index = step / sampleSteps;
    if (index + 1 >= samples.size()) {
        return samples.back();
    }
    const float t = static_cast<float>(step % sampleSteps) / static_cast<float>(sampleSteps);
    const Pose& a = samples[index];
    const Pose& b = samples[index + 1];
    return {glm::mix(a.position, b.position, t), glm::slerp(a.rotation, b.rotation, t)};
}

std::string GhostLap::encode() const {
    std::string out(magic, sizeof magic);
    putU32(out, formatVersion);
    putU32(out, static_cast<uint32_t>(track.size()));
    out += track;
    putFloat(out, lapTime);
    putU32(out, static_cast<uint32_t>(samples.size()));
    for (const Pose& pose : samples) {
        for (const float value : {pose.position.x, pose.position.y, pose.position.z, pose.rotation.w,
                                  pose.rotation.x, pose.rotation.y, pose.rotation.z}) {
            putFloat(out, value);
        }
    }
    return out;
}

bool GhostLap::decode(const std::string& bytes, std::string& reason) {
    *this = GhostLap();
    if (bytes.size() < sizeof magic || std::memcmp(bytes.data(), magic, sizeof magic) != 0) {
        reason = "not a ghost file";
        return false;
    }
    size_t at = sizeof magic;
    if (bytes.size() < at + 8) {
        reason = "truncated in the header";
        return false;
    }
    const uint32_t version = readU32(bytes, at);
    if (version == 0 || version > formatVersion) {
        reason = "format " + std::to_string(version) + " (this game reads up to " +
                 std::to_string(formatVersion) + ")";
        return false;
    }
    const uint32_t trackLength = readU32(bytes, at + 4);
    at += 8;
    if (trackLength > maxTrackLength || bytes.size() < at + trackLength + 8) {
        reason = "truncated or overlong track name";
        return false;
    }
    GhostLap lap;
    lap.track = bytes.substr(at, trackLength);
    at += trackLength;
    lap.lapTime = readFloat(bytes, at);
    const uint32_t count = readU32(bytes, at + 4);
    at += 8;
    if (!(lap.lapTime > 0.0f && lap.lapTime < 3600.0f) || count < 2 || count > maxSamples) {
        reason = "lap time or sample count out of range";
        return false;
    }
    if (bytes.size() - at != static_cast<size_t>(count) * floatsPerPose * 4) {
        reason = "the samples do not fill the file";
        return false;
    }
    lap.samples.resize(count);
    for (Pose& pose : lap.samples) {
        float v[floatsPerPose];
        for (float& value : v) {
            value = readFloat(bytes, at);
            at += 4;
            if (!std::isfinite(value) || std::abs(value) > 1e5f) {
                reason = "a pose out of range";
                return false;
            }
        }
        pose.position = {v[0], v[1], v[2]};
        pose.rotation = glm::quat(v[3], v[4], v[5], v[6]);
    }
    *this = std::move(lap);
    return true;
}

bool GhostLap::save(const std::string& path) const {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    return writeFileAtomically(path, encode());
}

bool GhostLap::load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string reason;
    if (!decode(bytes, reason)) {
        logWarning("Ghost ", path, ": ", reason, "; racing without it");
        return false;
    }
    return true;
}

std::string GhostLap::pathBeside(const std::string& recordsPath, const std::string& track) {
    // One file per track, named after the track file's own name.
    std::string stem = std::filesystem::path(track).stem().string();
    for (char& c : stem) {
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-')) {
            c = '_';
        }
    }
    const std::filesystem::path folder = std::filesystem::path(recordsPath).parent_path() / "ghosts";
    return (folder / ((stem.empty() ? std::string("track") : stem) + ".twghost")).string();
}
