// The race setup in config.ini: written into [race] keeping the rest of the
// file, read back the same, bad values warned by key; and the race built from
// a setup on the generated track.
#include "RaceWorld.h"

#include "core/render/Camera.h"
#include "core/render/Renderer.h"
#include "core/resources/Material.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/ResourceLoader.h"
#include "core/resources/Texture2D.h"
#include "core/runtime/SceneManager.h"
#include "game/AiDriver.h"
#include "game/GameAssets.h"
#include "game/LapRecords.h"
#include "game/PlayerDriver.h"
#include "game/RaceScene.h"
#include "game/RaceSetup.h"
#include "support/LogCapture.h"
#include "support/TempAssets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

bool mentions(const LogCapture& log, const std::string& text) {
    return std::any_of(log.lines.begin(), log.lines.end(),
                       [&](const LoggedLine& line) { return line.text.find(text) != std::string::npos; });
}

class RaceSetupTest : public ::testing::Test {
protected:
    void write(const std::string& text) const { std::ofstream(path) << text; }
    std::string read() const {
        std::ostringstream text;
        text << std::ifstream(path).rdbuf();
        return text.str();
    }
    RaceSetup load() const { return readRaceSetup(path, defaultRaceSetup(3)); }

    TempAssets scratch;
    const std::string dir = scratch.dir;
    const std::string path = dir + "config.ini";
};

TEST_F(RaceSetupTest, WritesRaceKeepingTheRestAndReadsItBack) {
    const std::string window = "; start-up settings\n[window]\nwidth=640\n\n";
    const std::string after = "[dir]\nassets=../assets/\n";
    write(window + "[Race]\n; kept\nplayers=1\nai=9\n" + after);
    RaceSetup setup;
    setup.players = 1;
    setup.ai = 5;
    setup.laps = 7;
    setup.skill = AiSkill::hard;
    setup.track = "scenes/Other.fbx";
    ASSERT_TRUE(writeRaceSetup(path, setup));
    EXPECT_EQ(read(),
              window +
                  "[Race]\n; kept\nplayers = 1\nai = 5\nlaps = 7\nskill = hard\ntrack = scenes/Other.fbx\n" +
                  after);
    LogCapture log;
    EXPECT_TRUE(load() == setup);
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1) << "no temporary file left";

    // A file without [race] gains it at the end; no file at all gives the defaults.
    write("[window]\nwidth=640");
    ASSERT_TRUE(writeRaceSetup(path, defaultRaceSetup(3)));
    EXPECT_EQ(read(), "[window]\nwidth=640\n\n[race]\nplayers = 2\nai = 0\nlaps = 3\nskill = medium\n"
                      "track = scenes/Track_01_LM.fbx\n");
    std::filesystem::remove(path);
    EXPECT_TRUE(load() == defaultRaceSetup(3));
}

TEST_F(RaceSetupTest, EachBadValueIsWarnedByKeyAndKeepsItsDefault) {
    write("[race]\nplayers=five\nai=-1\nlaps=10\nskill=insane\ntrack=../../etc/passwd\nghost=maybe\n");
    LogCapture log;
    EXPECT_TRUE(load() == defaultRaceSetup(3));
    ASSERT_EQ(log.lines.size(), 6u);
    for (const char* key : {"players", "ai", "laps", "skill", "track", "ghost"}) {
        EXPECT_TRUE(mentions(log, std::string("[race] ") + key)) << key;
    }
    // Too many karts: the AI gives way. Nobody at all: the defaults.
    write("[race]\nplayers=3\nai=6\n");
    EXPECT_EQ(std::make_pair(load().players, load().ai), std::make_pair(3, 5));
    write("[race]\nplayers=0\nai=0\n");
    EXPECT_EQ(load().karts(), 2);
    write("[race]\nplayers=0\nai=4\nskill=Easy\nghost = On\n");
    EXPECT_EQ(load().players, 0);
    EXPECT_EQ(load().skill, AiSkill::easy);
    EXPECT_TRUE(load().ghost);
}

TEST(RaceFromSetupTest, OnePlayerAndAnAiKartGetTheirDriversAndOneWholeView) {
    TW_REQUIRE_TRACK();
    RaceWorld world;
    Scene& scene = *world.engine.systems->get<SceneManager>()->createScene("setup");
    ResourceCache& cache = *world.engine.get<ResourceCache>();
    EXPECT_FALSE(racePictures(cache).empty());
    registerWaterMaterial(world.engine.systems.get());
    RaceSetup setup = defaultRaceSetup(2);
    setup.players = 1;
    setup.ai = 5;
    // Loaded at the low preset, which draws no normal maps, without the two karts it has no places for.
    auto* renderer = world.engine.get<Renderer>() != nullptr ? world.engine.get<Renderer>()
                                                             : world.engine.systems->add<Renderer>();
    renderer->setQuality(RenderQuality::Low);
    scene.leftOutNodes = unusedKartNodes(setup);
    EXPECT_EQ(scene.leftOutNodes, (std::vector<std::string>{"P7", "P8"}));
    world.engine.get<ResourceLoader>()->importScene(scene, raceTrackPath);
    LogCapture log;
    ASSERT_TRUE(buildRaceScene(scene, setup));
    EXPECT_EQ(scene.findEntity("P7"), nullptr);
    EXPECT_EQ(scene.findEntity("P7Body"), nullptr);
    // Only what the race draws is read: the pictures of what it draws, not the
    // left-out karts' colours nor, at low, any normal map until a preset draws them.
    const auto unread = [&](bool normalMaps) {
        size_t count = 0;
        for (const Material* material : cache.getAll<Material>()) {
            for (const auto& [sampler, texture] : material->getTextures()) {
                const auto* picture = dynamic_cast<const Texture2D*>(texture);
                if (picture == nullptr || !picture->hasSource()) {
                    continue;
                }
                if (material->isDrawn() && (normalMaps || sampler != "normalTex")) {
                    EXPECT_FALSE(picture->isPending()) << material->getName() << " " << sampler;
                } else if (sampler == "diffuseTex" || normalMaps) {
                    count += picture->isPending() ? 1 : 0;
                }
            }
        }
        return count;
    };
    EXPECT_GE(unread(false), 2u) << "the two left-out karts' colours";
    const Material* road = cache.get<Material>("Road");
    ASSERT_NE(road, nullptr);
    const auto* roadNormal = dynamic_cast<const Texture2D*>(road->getTexture("normalTex"));
    ASSERT_NE(roadNormal, nullptr);
    EXPECT_TRUE(roadNormal->isPending());
    renderer->setQuality(RenderQuality::Medium);
    EXPECT_FALSE(roadNormal->isPending());
    EXPECT_GE(unread(true), 2u);
    // Loading decodes these ahead: each was loaded under the name it is listed by.
    EXPECT_EQ(racePictures(cache), std::vector<std::string>());
    // The track has as many places as it has kart nodes; those it lacks are warned about.
    int places = 0;
    while (scene.findEntity("P" + std::to_string(places + 1) + "Wheel_RL") != nullptr) {
        ++places;
    }
    if (places < setup.karts()) {
        EXPECT_TRUE(mentions(log, "Race setup: the track has places for"));
    }
    const RaceFlow* gameplay = scene.findEntity("gameplay")->getComponent<RaceFlow>();
    ASSERT_EQ(gameplay->karts.size(), static_cast<size_t>(std::min(places, setup.karts())));
    EXPECT_EQ(gameplay->numLaps, 2u);
    EXPECT_NE(gameplay->karts[0]->getComponent<PlayerDriver>(), nullptr);
    EXPECT_EQ(gameplay->karts[0]->getComponent<AiDriver>(), nullptr);
    for (size_t i = 1; i < gameplay->karts.size(); ++i) {
        EXPECT_EQ(gameplay->karts[i]->getComponent<PlayerDriver>(), nullptr);
        EXPECT_NE(gameplay->karts[i]->getComponent<AiDriver>(), nullptr);
    }
    const Camera* view = scene.findEntity("cam0")->getComponent<Camera>();
    EXPECT_EQ(glm::vec4(view->viewportX, view->viewportY, view->viewportWidth, view->viewportHeight),
              glm::vec4(0.0f, 0.0f, 1.0f, 1.0f));
    EXPECT_EQ(scene.findEntity("cam1"), nullptr);
    EXPECT_NE(scene.findEntity("hud1_position"), nullptr);

    // Alone on the track: the other karts' nodes go, wheels and all.
    Scene& solo = *world.engine.systems->get<SceneManager>()->createScene("solo");
    world.engine.get<ResourceLoader>()->importScene(solo, raceTrackPath);
    setup.ai = 0;
    // P2 is one of the nodes every track must have: an import never leaves it out.
    EXPECT_EQ(unusedKartNodes(setup), (std::vector<std::string>{"P3", "P4", "P5", "P6", "P7", "P8"}));
    ASSERT_TRUE(buildRaceScene(solo, setup));
    solo.setRunning(true);
    solo.update(0.0f);
    EXPECT_NE(solo.findEntity("P1Wheel_FL"), nullptr);
    EXPECT_EQ(solo.findEntity("P2"), nullptr);
    EXPECT_EQ(solo.findEntity("P2Wheel_FL"), nullptr);
}

TEST_F(RaceSetupTest, BestLapsKeepTheFastestOfEachTrack) {
    const std::string records = dir + "data/torquewind/records.ini";
    const LapRecords laps(records);
    EXPECT_EQ(laps.best("scenes/A.fbx"), 0.0f);
    EXPECT_TRUE(laps.offer("scenes/A.fbx", 45.5f));
    EXPECT_TRUE(laps.offer("scenes/B.fbx", 50.0f));
    EXPECT_FALSE(laps.offer("scenes/A.fbx", 46.0f));
    EXPECT_TRUE(laps.offer("scenes/A.fbx", 44.25f));
    EXPECT_FLOAT_EQ(laps.best("scenes/A.fbx"), 44.25f);
    EXPECT_FLOAT_EQ(laps.best("scenes/B.fbx"), 50.0f);
    std::ofstream(records) << "[laps]\nscenes/A.fbx = fast\n";
    LogCapture log;
    EXPECT_EQ(laps.best("scenes/A.fbx"), 0.0f);
    EXPECT_EQ(log.lines.size(), 1u);
    EXPECT_TRUE(laps.offer("scenes/A.fbx", 47.0f));
}

} // namespace
