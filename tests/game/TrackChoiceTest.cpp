// Choosing the track: the catalog of an assets folder, the config line that
// keeps the choice, and the title's track row in the whole game, through every
// shipped track (each loaded, raced for a moment and photographed) and back to
// the choice kept for the next start.
#include "GameHarness.h"
#include "RaceWorld.h"

#include "core/runtime/Scene.h"
#include "core/ui/Text.h"
#include "core/ui/UITex.h"
#include "game/RaceSettings.h"
#include "game/TrackCatalog.h"
#include "support/FakeGamepads.h"
#include "support/LogCapture.h"
#include "support/TempAssets.h"
#include "support/TestEngine.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(TrackCatalogTest, FindsDescribedTracksIslandFirstAndLeavesOutBrokenOnes) {
    const TempAssets assets;
    assets.write("scenes/Track_01_LM.fbx", "x");
    assets.write("scenes/Track_01_LM.ini", "[track]\nname = Island Circuit\n");
    assets.write("scenes/Zed/Zed.fbx", "x");
    assets.write("scenes/Zed/Zed.ini", "[track]\nname = Zed Loop\nlength = 812\nseed = 9\ntheme = snow\n"
                                       "preview = scenes/Zed/Zed_preview.png\nsky = scenes/Zed/sky/Sky_\n"
                                       "fog = 2 0.5 -1\n");
    assets.write("scenes/Alpha/Alpha.fbx", "x");
    assets.write("scenes/Alpha/Alpha.ini", "[track]\nname = Alpha Run\nfog = grey\n");
    assets.write("scenes/Broken/Broken.fbx", "x");
    assets.write("scenes/Broken/Broken.ini", "[track]\nthis is not ini\n");
    assets.write("scenes/Plain/Plain.fbx", "x");
    LogCapture log;
    const TrackCatalog catalog = TrackCatalog::scan(assets.dir);

    ASSERT_EQ(catalog.tracks().size(), 3u);
    EXPECT_EQ(catalog.tracks()[0].file, "scenes/Track_01_LM.fbx");
    EXPECT_EQ(catalog.tracks()[1].name, "Alpha Run");
    const TrackInfo& zed = catalog.tracks()[2];
    EXPECT_EQ(zed.file, "scenes/Zed/Zed.fbx");
    EXPECT_EQ(zed.length, 812);
    EXPECT_EQ(zed.seed, 9u);
    EXPECT_EQ(zed.theme, "snow");
    EXPECT_EQ(zed.preview, "scenes/Zed/Zed_preview.png");
    EXPECT_EQ(zed.skyPrefix, "scenes/Zed/sky/Sky_");
    EXPECT_EQ(zed.fog, glm::vec3(1.0f, 0.5f, 0.0f)) << "colours are clamped";
    EXPECT_EQ(catalog.tracks()[1].fog, TrackInfo().fog) << "an unreadable colour keeps the island's haze";
    EXPECT_EQ(catalog.find("scenes/Zed/Zed.fbx").name, "Zed Loop");
    EXPECT_EQ(catalog.find("scenes/Gone.fbx").skyPrefix, TrackInfo().skyPrefix);
    EXPECT_TRUE(log.contains("Track catalog: cannot read " + assets.dir + "scenes/Broken/Broken.ini" +
                             " (line 2); the track is left out"));
    EXPECT_TRUE(TrackCatalog::scan(assets.dir + "nothing").tracks().empty());
}

// Writing a file atomically, and the rest of a [race] section, are checked with
// the race setup; the whole-game test below reads the saved choice back.
TEST(RaceSettingsTest, SavingTheTrackRewritesOnlyItsLine) {
    EXPECT_EQ(RaceSettings::withValue("[window]\nwidth=1\n\n[Race]\n; mine\nTrack=old.fbx\nlaps = 2\n",
                                      "race", "track", "new.fbx"),
              "[window]\nwidth=1\n\n[Race]\n; mine\ntrack = new.fbx\nlaps = 2\n");
    EXPECT_EQ(RaceSettings::withValue("[window]\n; track = commented\nwidth=1", "race", "track", "t.fbx"),
              "[window]\n; track = commented\nwidth=1\n\n[race]\ntrack = t.fbx\n");
    EXPECT_EQ(RaceSettings::withValue("", "race", "track", "t.fbx"), "[race]\ntrack = t.fbx\n");

    const std::string nowhere = TempAssets().dir + "missing/config.ini";
    LogCapture log;
    EXPECT_FALSE(RaceSettings::saveTrack(nowhere, "t.fbx"));
    EXPECT_TRUE(log.contains("Cannot save the track choice to " + nowhere));
}

TEST(TrackChoiceTest, RightGoesThroughEveryTrackLoadsAndRacesItAndTheChoiceIsKept) {
    TW_REQUIRE_DISPLAY();
    TW_REQUIRE_TRACK();
    const TrackCatalog catalog = TrackCatalog::scan(TW_ASSETS_DIR);
    ASSERT_GE(catalog.tracks().size(), 4u);
    ScratchGameFolder folder("tracks");
    folder.writeConfig(640, 400);
    LogCapture log;
    auto* game = new ScriptedGame(folder.configPath());
    const auto shown = [&] { return ScriptedGame::text(game->scene("menu"), "trackName")->text; };
    const auto waitForRace = [&](const std::string& name) { game->titleStep(name + " loads", 30.0f); };
    waitForRace(catalog.tracks()[0].name);
    game->step("the title shows the island circuit", 1.0f, [&] {
        EXPECT_EQ(shown(), "< Island Circuit >");
        EXPECT_NE(game->scene("menu")->findEntity("trackPreview")->getComponent<UITex>()->texture, nullptr);
        EXPECT_EQ(game->scene("game")->findEntity("Trackside_0"), nullptr);
        game->shoot("title_tracks.png");
        return true;
    });
    for (size_t i = 1; i < catalog.tracks().size(); ++i) {
        const TrackInfo& track = catalog.tracks()[i];
        const std::string stem = fs::path(track.file).stem().string();
        game->tapStep("Right to " + track.name, {GLFW_KEY_RIGHT});
        game->step(track.name + " chosen", 1.0f, [&, track] {
            EXPECT_EQ(shown(), "< " + track.name + " >");
            EXPECT_NE(readFile(folder.configPath()).find("\n[race]\ntrack = " + track.file + "\n"),
                      std::string::npos);
            return true;
        });
        waitForRace(track.name);
        game->step(track.name + " on the title", 1.0f, [&, stem] {
            EXPECT_NE(game->scene("game")->findEntity("Trackside_0"), nullptr)
                << "the chosen track is loaded";
            game->shoot("title_" + stem + ".png");
            return true;
        });
        game->tapStep("Space into " + track.name, {GLFW_KEY_SPACE});
        game->step("racing on " + track.name, 3.0f, [&, stem] {
            if (game->stepTime() < 1.0f) {
                return false;
            }
            EXPECT_EQ(game->current(), game->scene("game"));
            game->shoot("race_" + stem + ".png");
            return true;
        });
        game->tapStep("Q to the title", {GLFW_KEY_Q});
    }
    game->tapStep("Right back to the island", {GLFW_KEY_RIGHT});
    waitForRace("the island again");
    game->step("the island again", 1.0f, [&] {
        EXPECT_EQ(shown(), "< Island Circuit >");
        EXPECT_EQ(game->scene("game")->findEntity("Trackside_0"), nullptr);
        return true;
    });
    // A pad's d-pad chooses as the arrow keys do.
    FakeGamepads pads;
    game->step("the pad's Left to the last track", 1.0f, [&, frames = 0]() mutable {
        if (frames == 0) {
            pads.plugInto(*game->systems->get<Input>());
            pads.connect(0);
        }
        pads[0].buttons[pad::dpadLeft] = frames == 1;
        return ++frames > 4;
    });
    waitForRace("the last track");
    game->quitStep(GLFW_KEY_Q);
    EXPECT_TRUE(game->play());
    delete game;
    EXPECT_NE(readFile(folder.configPath()).find("[window]\nwidth=640\n"), std::string::npos)
        << "the rest is kept";

    // The next start comes back to the last choice.
    auto* again = new ScriptedGame(folder.configPath());
    again->titleStep("the last track again", 30.0f);
    again->step("its name", 1.0f, [&] {
        EXPECT_EQ(ScriptedGame::text(again->scene("menu"), "trackName")->text,
                  "< " + catalog.tracks().back().name + " >");
        return true;
    });
    again->quitStep(GLFW_KEY_Q);
    EXPECT_TRUE(again->play());
    delete again;
    EXPECT_FALSE(log.contains("could not be loaded"));
}

} // namespace
