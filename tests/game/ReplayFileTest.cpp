// Replay files: what is written reads back as the same race, a race's worth of
// keyboard controls stays small, the folder keeps only the newest, and every
// kind of broken file is refused with a reason instead of being read.
#include "game/ReplayFile.h"

#include "game/Car.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// As a kart takes them: in steps of 1/controlSteps.
KartControls controlsOf(float throttle, float steering, bool boost = false, bool hop = false,
                        bool respawn = false) {
    KartControls c;
    c.throttle = quantiseControl(throttle);
    c.steering = quantiseControl(steering);
    c.boost = boost;
    c.hop = hop;
    c.respawn = respawn;
    return c;
}

// Two karts for count steps: keys that change every few steps, a pad's analog
// values, a jump across the whole range and a press now and then.
ReplayFile sampleRace(size_t count) {
    ReplayFile file;
    RaceSetup setup;
    setup.laps = 3;
    file.begin(setup, 0xdeadbeefu, {"P1", "P2"});
    for (size_t i = 0; i < count; ++i) {
        const KartControls karts[2] = {controlsOf((i / 40) % 3 == 0 ? 0.0f : 1.0f,
                                                  (i / 25) % 4 == 1 ? -1.0f : -0.0f, i % 500 == 7,
                                                  i % 300 == 3),
                                       controlsOf(0.5f + 0.25f * static_cast<float>((i / 90) % 2),
                                                  (i / 30) % 2 == 0 ? 0.125f : 0.0f, false, false, i == 100)};
        EXPECT_TRUE(file.addStep(karts));
    }
    return file;
}

bool same(const KartControls& a, const KartControls& b) {
    return std::memcmp(&a.throttle, &b.throttle, sizeof(float)) == 0 &&
           std::memcmp(&a.steering, &b.steering, sizeof(float)) == 0 && a.boost == b.boost &&
           a.hop == b.hop && a.respawn == b.respawn;
}

std::string decodeError(const std::string& bytes) {
    ReplayFile file;
    std::string reason;
    EXPECT_FALSE(file.decode(bytes, reason));
    EXPECT_EQ(file.steps(), 0u) << "a refused file leaves nothing behind";
    return reason;
}

// Offsets in the sample's header: magic, version, the build's length byte; trackAt
// gives the track's length byte.
constexpr size_t versionAt = 8;
size_t trackAt(const std::string& bytes) {
    return 12 + 1 + static_cast<unsigned char>(bytes[12]);
}

TEST(ReplayFileTest, RoundTripKeepsEveryStepBitForBitAndStaysSmall) {
    // Three laps of about a minute each.
    const ReplayFile written = sampleRace(60 * 200);
    const std::string bytes = written.encode();
    EXPECT_LT(bytes.size(), 20u * 1024u) << "three laps of two karts";

    ReplayFile read;
    std::string reason;
    ASSERT_TRUE(read.decode(bytes, reason)) << reason;
    EXPECT_TRUE(read.setup == written.setup);
    EXPECT_EQ(read.seed, 0xdeadbeefu);
    EXPECT_EQ(read.build, ReplayFile::thisBuild());
    EXPECT_EQ(read.kartNames, (std::vector<std::string>{"P1", "P2"}));
    ASSERT_EQ(read.steps(), written.steps());
    for (size_t step = 0; step < read.steps(); ++step) {
        for (size_t kart = 0; kart < 2; ++kart) {
            ASSERT_TRUE(same(read.at(step, kart), written.at(step, kart)))
                << "step " << step << " kart " << kart;
        }
    }
}

TEST(ReplayFileTest, SavedAtomicallyLoadedAndOnlyTheNewestTwentyKept) {
    const fs::path dir = fs::temp_directory_path() / ("tw_replays_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const ReplayFile written = sampleRace(600);
    std::vector<std::string> paths;
    for (int i = 0; i < 25; ++i) {
        paths.push_back(ReplayFile::newPath(dir.string()));
        ASSERT_TRUE(written.save(paths.back()));
    }
    EXPECT_EQ(std::set<std::string>(paths.begin(), paths.end()).size(), 25u) << "one second, 25 names";
    ReplayFile::keepNewest(dir.string(), ReplayFile::keptReplays);
    size_t left = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        EXPECT_EQ(entry.path().extension(), ReplayFile::extension) << "no temporary file stays";
        ++left;
    }
    EXPECT_EQ(left, 20u);
    EXPECT_FALSE(fs::exists(paths.front())) << "the oldest go";
    ReplayFile read;
    ASSERT_TRUE(read.load(paths.back()));
    EXPECT_EQ(read.steps(), 600u);

    LogCapture log;
    EXPECT_FALSE(read.load((dir / "missing.twreplay").string()));
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].text.find("missing.twreplay"), std::string::npos);
    fs::remove_all(dir);
}

TEST(ReplayFileTest, BrokenFilesAreRefusedWithAReason) {
    const std::string good = sampleRace(400).encode();
    std::string reason;
    // Cut anywhere: refused, never read past the end.
    for (size_t length = 0; length < good.size(); length += length < 80 ? 1 : 37) {
        EXPECT_FALSE(decodeError(good.substr(0, length)).empty()) << length << " bytes";
    }
    EXPECT_EQ(decodeError("PNG\x89 not a replay"), "not a replay file");
    EXPECT_EQ(decodeError(good + "x"), "bytes after the controls");

    // The reason reaches the player's log, so each guard's own words are pinned.
    const size_t track = trackAt(good);
    const size_t setupAt = track + 1 + static_cast<unsigned char>(good[track]);
    const size_t controlAt = good.size() - 20;
    const struct {
        size_t at;
        std::string bytes;
        std::string reason;
    } changes[] = {
        {versionAt, "\x02", "made by a newer game (format 2, this game reads up to 1)"},
        {track + 1, "..", "the track \"..enes/Track_01_LM.fbx\" is not a track file below the assets folder"},
        {setupAt + 2, std::string(1, '\0'), "laps or skill out of range"},
        {setupAt + 8, "\x09", "9 karts (1 to 8 allowed)"},
        {setupAt + 1, "\x03", "the setup (2 players, 3 AI) does not match its 2 karts"},
        {controlAt, std::string(1, static_cast<char>(good[controlAt] ^ 0x55)), "the controls are damaged"},
    };
    for (const auto& change : changes) {
        std::string bytes = good;
        bytes.replace(change.at, change.bytes.size(), change.bytes);
        EXPECT_EQ(decodeError(bytes), change.reason) << "at byte " << change.at;
    }

    // Controls written by hand: a step beyond full throttle, a bit no version has.
    // The header is everything before the three sizes and the packed controls,
    // whose length is the last of the sizes.
    const std::string oneStep = sampleRace(1).encode();
    size_t packedLength = 0;
    while (packedLength < 64) {
        uint32_t stored = 0;
        std::memcpy(&stored, oneStep.data() + oneStep.size() - packedLength - 4, 4);
        if (stored == packedLength) {
            break;
        }
        ++packedLength;
    }
    const std::string header = oneStep.substr(0, oneStep.size() - 12 - packedLength);
    const auto withControls = [&header](const std::string& raw) {
        std::string packed(compressBound(static_cast<uLong>(raw.size())), '\0');
        uLongf size = packed.size();
        compress(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
                 static_cast<uLong>(raw.size()));
        packed.resize(size);
        std::string bytes = header;
        for (const uint32_t value : {1u, static_cast<uint32_t>(raw.size()), static_cast<uint32_t>(size)}) {
            for (int shift = 0; shift < 32; shift += 8) {
                bytes.push_back(static_cast<char>((value >> shift) & 0xffu));
            }
        }
        return bytes + packed;
    };
    ReplayFile read;
    ASSERT_TRUE(read.decode(withControls(std::string("\x01\x80\x7f\x00", 4)), reason)) << reason;
    EXPECT_EQ(read.at(0, 0).throttle, 1.0f);
    EXPECT_EQ(decodeError(withControls(std::string("\x01\x80\x80\x00", 4))), "throttle out of range");
    EXPECT_EQ(decodeError(withControls(std::string("\x40\x00", 2))), "unknown control bits");
    EXPECT_EQ(decodeError(withControls(std::string("\x00\x00\x00", 3))), "bytes after the last step");
}

} // namespace
