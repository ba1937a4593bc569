// Ghosts: the lap file reads back and interpolates between its samples, broken
// files are refused; a one-player race keeps its best lap beside the records and
// the next race drives it as a see-through kart without a body, from the line.
#include "RaceDriver.h"
#include "RaceWorld.h"

#include "core/physics/RigidBody.h"
#include "core/render/MeshRenderer.h"
#include "core/resources/Material.h"
#include "game/GhostKart.h"
#include "game/GhostRecorder.h"
#include "game/Spawner.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

TEST(GhostTest, LapFileRoundTripInterpolatesAndRefusesBrokenFiles) {
    GhostLap lap;
    lap.track = "scenes/Track_01_LM.fbx";
    lap.lapTime = 42.5f;
    lap.samples = {{{0, 1, 0}, glm::quat(1, 0, 0, 0)}, {{2, 1, 0}, glm::angleAxis(1.0f, glm::vec3(0, 1, 0))}};
    GhostLap read;
    std::string reason;
    ASSERT_TRUE(read.decode(lap.encode(), reason)) << reason;
    EXPECT_EQ(read.track, lap.track);
    EXPECT_EQ(read.lapTime, 42.5f);
    ASSERT_EQ(read.samples.size(), 2u);
    EXPECT_EQ(read.steps(), 4u);
    EXPECT_EQ(read.poseAt(1).position, glm::vec3(1, 1, 0)) << "half way between the two samples";
    EXPECT_NEAR(glm::angle(read.poseAt(1).rotation), 0.5f, 1e-4f);
    EXPECT_EQ(read.poseAt(99).position, glm::vec3(2, 1, 0)) << "the last pose after the lap";

    const std::string good = lap.encode();
    for (size_t length = 0; length < good.size(); ++length) {
        EXPECT_FALSE(read.decode(good.substr(0, length), reason)) << length;
    }
    std::string nan = good;
    nan.replace(nan.size() - 4, 4, std::string("\x00\x00\xc0\x7f", 4));
    EXPECT_FALSE(read.decode(nan, reason));
    EXPECT_EQ(reason, "a pose out of range");
    EXPECT_FALSE(read.decode("TWREPLAY", reason));
    EXPECT_EQ(read.samples.size(), 0u);
}

// One player (P1, the race driver) against a parked P2 on the generated track,
// its ghost kept beside a scratch records file.
struct GhostRace {
    explicit GhostRace(const fs::path& records) {
        EXPECT_TRUE(world.loadTrack());
        for (Entity* kart : world.karts) {
            kart->addComponent<Spawner>();
        }
        world.gameplay->setKarts({world.karts[0], world.karts[1]}, 1);
        world.gameplay->recordsPath = records.string();
        Entity* holder = world.scene->createEntity("ghost");
        recorder = holder->addComponent<GhostRecorder>();
        recorder->watch(*world.gameplay, 1, "scenes/Track_01_LM.fbx");
        recorder->ghostKart = holder->addComponent<GhostKart>();
        recorder->ghostKart->build(*world.scene, *world.karts[0]);
        world.gameplay->numLaps = 3;
        world.gameplay->startRace();
        driver = std::make_unique<RaceDriver>(*world.gameplay, world.car(0), RaceDriver::playerKeys(0), 0.0f);
    }

    // Frames until P1 is on lap, driving; false when it takes too long.
    bool driveUntilLap(int lap) {
        for (int frame = 0; frame < 60 * 150; ++frame) {
            if (world.race(0).lap >= lap) {
                return true;
            }
            driver->drive(*world.input, 1.0f / 60.0f);
            world.step();
        }
        return false;
    }

    RaceWorld world;
    GhostRecorder* recorder = nullptr;
    std::unique_ptr<RaceDriver> driver;
};

TEST(GhostTest, TheBestLapIsKeptAndTheNextRaceDrivesItWithoutABody) {
    TW_REQUIRE_TRACK();
    const fs::path dir = fs::temp_directory_path() / ("tw_ghost_" + std::to_string(getpid()));
    fs::remove_all(dir);
    const fs::path records = dir / "records.ini";
    float kept = 0.0f;
    {
        GhostRace race(records);
        EXPECT_TRUE(race.recorder->best().samples.empty()) << "no ghost yet";
        ASSERT_TRUE(race.driveUntilLap(1));
        EXPECT_FALSE(race.recorder->ghostKart->isShown()) << "nothing to race the first time";
        ASSERT_TRUE(race.driveUntilLap(2));
        race.world.step();
        kept = race.recorder->best().lapTime;
        EXPECT_GT(kept, 15.0f);
        EXPECT_LT(kept, 90.0f);
        EXPECT_NEAR(static_cast<float>(race.recorder->best().samples.size()), kept * 30.0f, 2.0f);
        ASSERT_EQ(race.recorder->file(), (dir / "ghosts" / "Track_01_LM.twghost").string());
        ASSERT_TRUE(fs::exists(race.recorder->file()));
        // A slower lap keeps the faster one: P1 idles through the next one.
        race.driver->release(*race.world.input);
        race.world.stepSeconds(5.0f);
        ASSERT_TRUE(race.driveUntilLap(3));
        race.world.step();
        EXPECT_EQ(race.recorder->best().lapTime, kept);
    }
    GhostRace race(records);
    EXPECT_EQ(race.recorder->best().lapTime, kept) << "read again at the start";
    GhostKart& ghost = *race.recorder->ghostKart;
    Entity* look = race.world.scene->findEntity("ghostKart");
    ASSERT_NE(look, nullptr);
    // Every part is see-through, and none has a body: it collides with nothing.
    size_t meshes = 0;
    for (const auto& entity : race.world.scene->getEntities()) {
        if (entity->name.rfind("ghost", 0) != 0) {
            continue;
        }
        EXPECT_EQ(entity->getComponent<RigidBody>(), nullptr) << entity->name;
        if (const auto* renderer = entity->getComponent<MeshRenderer>()) {
            meshes += 1;
            for (const Material* material : renderer->getMaterials()) {
                EXPECT_EQ(material->getBlendMode(), BlendMode::Alpha) << entity->name;
                EXPECT_FLOAT_EQ(material->getUniform("albedo").asVec4().a, GhostKart::opacity);
            }
        }
    }
    EXPECT_GE(meshes, 5u) << "the body and four wheels";
    EXPECT_FALSE(ghost.isShown()) << "hidden before the line";
    ASSERT_TRUE(race.driveUntilLap(1));
    race.world.step();
    EXPECT_TRUE(ghost.isShown());
    EXPECT_LT(
        glm::distance(look->getComponent<Transform>()->getWorldPosition(), ghost.lap().samples[0].position),
        1.0f)
        << "it sets off from where the kept lap began";
    fs::remove_all(dir);
}

} // namespace
