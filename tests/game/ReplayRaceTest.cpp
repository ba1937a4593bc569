// Exactly the same race: a one-lap race on the generated track between a player
// (the tests' race driver, with hops, boosts and a respawn) and an AI kart, in
// frames of zero to three fixed steps, is recorded after another race on the
// same scene; played back on a fresh scene from the recording in other frames,
// every kart stands exactly where it stood at every step, and the progress
// lines come out the same.
#include "RaceDriver.h"
#include "RaceWorld.h"

#include "game/AiDriver.h"
#include "game/PlayerDriver.h"
#include "game/RacingLine.h"
#include "game/ReplayDriver.h"
#include "game/ReplayFile.h"
#include "game/ReplayRecorder.h"
#include "game/Spawner.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// Every kart's body pose at the start of every fixed step.
class PoseLog : public Updateable {
public:
    using Updateable::Updateable;

    void fixedUpdate(float dt) override {
        Updateable::fixedUpdate(dt);
        std::vector<float> step;
        for (Entity* kart : karts) {
            const auto* body = kart->getComponent<RigidBodyDynamic>();
            const glm::vec3 p = body->getGlobalPosition();
            const glm::quat q = body->getGlobalRotation();
            step.insert(step.end(), {p.x, p.y, p.z, q.w, q.x, q.y, q.z});
        }
        poses.push_back(step);
    }

    std::vector<Entity*> karts;
    std::vector<std::vector<float>> poses;
};

// The track with both karts, each with its Spawner, in a race of one lap: P1 a
// player's, P2 driven by the computer.
void setUpRace(RaceWorld& world) {
    ASSERT_TRUE(world.loadTrack());
    for (Entity* kart : world.karts) {
        kart->addComponent<Spawner>();
    }
    world.karts[1]->removeComponents<PlayerDriver>();
    world.karts[1]->addComponent<AiDriver>(std::make_shared<const RacingLine>(world.gameplay->checkpoints),
                                           AiSkill::medium);
    world.gameplay->setKarts({world.karts[0], world.karts[1]}, 1);
    world.gameplay->numLaps = 1;
}

PoseLog* addPoseLog(RaceWorld& world) {
    auto* log = world.gameplay->entity->addComponent<PoseLog>();
    log->karts = {world.karts[0], world.karts[1]};
    return log;
}

std::vector<std::string> progressLines(const LogCapture& log) {
    std::vector<std::string> lines;
    for (const LoggedLine& line : log.lines) {
        if (line.text.rfind("P1", 0) == 0 || line.text.rfind("P2", 0) == 0 ||
            line.text.rfind("Player ", 0) == 0) {
            lines.push_back(line.text);
        }
    }
    return lines;
}

TEST(ReplayRaceTest, PlaybackRepeatsEveryStepOfTheRecordedRace) {
    TW_REQUIRE_TRACK();
    std::shared_ptr<ReplayFile> recorded;
    std::vector<std::vector<float>> racePoses;
    std::vector<std::string> raceLines;
    {
        RaceWorld world;
        setUpRace(world);
        auto* recorder = world.gameplay->entity->addComponent<ReplayRecorder>();
        recorder->saves = false;
        recorder->record(*world.gameplay, RaceSetup());
        PoseLog* poses = addPoseLog(world);
        {
            // A race driven first on the scene: what it knocked over and left in the
            // simulation must not steer the recorded one.
            RaceDriver first(*world.gameplay, world.car(0), RaceDriver::playerKeys(0), 2.0f);
            world.gameplay->startRace();
            for (int frame = 0; frame < 900; ++frame) {
                first.drive(*world.input, 1.0f / 60.0f);
                world.step(1);
            }
            poses->poses.clear();
        }
        LogCapture log;
        std::vector<RaceDriver> drivers;
        drivers.emplace_back(*world.gameplay, world.car(0), RaceDriver::playerKeys(0), -2.5f);
        // A seed of its own, so that every run of the test drives the same race.
        world.gameplay->seed = 20;
        world.gameplay->chosenSeed = true;
        world.gameplay->startRace();
        const int stepsPerFrame[] = {1, 2, 0, 3, 1, 1};
        for (int frame = 0; frame < 60 * 120 && !recorder->hasFinishedRace(); ++frame) {
            for (RaceDriver& driver : drivers) {
                driver.drive(*world.input, 1.0f / 60.0f);
            }
            // Both karts hop (Space), then each boosts, and P1 asks to be put back.
            const int key = frame == 500    ? GLFW_KEY_SPACE
                            : frame == 700  ? GLFW_KEY_E
                            : frame == 760  ? GLFW_KEY_RIGHT_CONTROL
                            : frame == 1300 ? GLFW_KEY_R
                                            : 0;
            if (key != 0) {
                world.press(key);
            }
            world.step(stepsPerFrame[frame % 6]);
            if (key != 0) {
                world.release(key);
            }
        }
        ASSERT_TRUE(recorder->hasFinishedRace()) << "no kart finished the lap";
        recorded = std::make_shared<ReplayFile>(recorder->recording());
        racePoses = poses->poses;
        raceLines = progressLines(log);
    }
    ASSERT_GT(recorded->steps(), 60u * 20u);
    // About 2 KB: the AI's steering and throttle change nearly every step, by small steps.
    EXPECT_LT(recorded->encode().size(), 4u * 1024u) << "one lap of a player and an AI kart";
    EXPECT_EQ(recorded->seed, 20u);
    EXPECT_EQ(recorded->setup.players, 1);
    EXPECT_EQ(recorded->setup.ai, 1);
    // The player's finish is in what must come out again.
    EXPECT_TRUE(std::any_of(raceLines.begin(), raceLines.end(), [](const std::string& line) {
        return line.rfind("P1 finished, position ", 0) == 0;
    }));

    // Through the file's bytes, as a player's replay would come.
    std::string reason;
    auto file = std::make_shared<ReplayFile>();
    ASSERT_TRUE(file->decode(recorded->encode(), reason)) << reason;

    RaceWorld world;
    setUpRace(world);
    world.gameplay->numLaps = 3;
    const std::vector<ReplayDriver*> drivers = ReplayDriver::driveRace(*world.gameplay, file);
    ASSERT_EQ(drivers.size(), 2u);
    EXPECT_EQ(world.gameplay->numLaps, 1u) << "the recorded laps";
    PoseLog* poses = addPoseLog(world);
    LogCapture log;
    world.gameplay->startRace();
    // Keys do nothing now; watched at x4, x1 and x0.25 in turn.
    world.press(GLFW_KEY_W);
    const int stepsPerFrame[] = {4, 1, 0, 0, 0, 1};
    for (int frame = 0; frame < 60 * 240 && !drivers[0]->done(); ++frame) {
        world.step(stepsPerFrame[frame % 6]);
    }
    ASSERT_TRUE(drivers[0]->done());
    // The race's end follows the last recorded step.
    world.steps(2);
    EXPECT_EQ(progressLines(log), raceLines);
    ASSERT_GE(poses->poses.size(), recorded->steps());
    ASSERT_GE(racePoses.size(), recorded->steps());
    for (size_t step = 0; step < recorded->steps(); ++step) {
        ASSERT_EQ(poses->poses[step], racePoses[step]) << "the karts part at step " << step;
    }
    EXPECT_EQ(world.gameplay->state, RaceFlow::raceOver) << "the race ends on its recorded step";
}

} // namespace
