// The [controls] section of config.ini: rebinding, swapping, and the warnings
// that name the line and keep the default.
#include "game/ControlsConfig.h"
#include "core/runtime/Keys.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

ControlsConfig readText(const std::string& text) {
    const std::string path = ::testing::TempDir() + "controls_" + std::to_string(getpid()) + ".ini";
    std::ofstream(path) << text;
    const ControlsConfig config = ControlsConfig::read(path);
    std::remove(path.c_str());
    return config;
}

} // namespace

TEST(ControlsConfig, KeysAreReboundSwappedAndSharedOnlyForTheSameAction) {
    const ControlsConfig none = readText("[window]\nwidth=640\n");
    EXPECT_EQ(none.players[0].accelerate, key::w);
    EXPECT_EQ(none.players[1].boost, key::rightControl);
    EXPECT_EQ(ControlsConfig::read("/nonexistent/config.ini").players[1].hop, key::space);

    LogCapture log;
    const ControlsConfig config = readText("[controls]\n"
                                           "; player 1 on the keypad\n"
                                           "P1.Accelerate = kp8\n"
                                           "p1.boost=F\n"
                                           "p2.accelerate = S\n"
                                           "p1.reverse = Up\n"
                                           "p2.hop = Space\n"
                                           "[window]\n"
                                           "p1.left = X\n");
    EXPECT_TRUE(log.lines.empty()) << log.lines.front().text;
    EXPECT_EQ(config.players[0].accelerate, key::fromName("KP8"));
    EXPECT_EQ(config.players[0].boost, key::fromName("F"));
    // Player 1 took Up, player 2 took S: a swap across players is no clash.
    EXPECT_EQ(config.players[0].reverse, key::up);
    EXPECT_EQ(config.players[1].accelerate, key::s);
    EXPECT_EQ(config.players[0].steerLeft, key::a) << "only [controls] counts";
}

TEST(ControlsConfig, EachBadLineWarnsWithItsNumberAndKeepsTheDefault) {
    LogCapture log;
    const std::string file = "[controls]\n"
                             "p1.jump = J\n"
                             "p1.boost = Banana\n"
                             "p1.hop\n"
                             "p2.left = W\n"
                             "p1.respawn = M\n"
                             "p2.respawn = M\n";
    const ControlsConfig config = readText(file);
    const std::vector<std::string> warnings = log.at(LogLevel::Warning);
    ASSERT_EQ(log.lines.size(), 4u);
    ASSERT_EQ(warnings.size(), 4u);
    const char* const expected[] = {" line 2: no control named \"p1.jump\"",
                                    " line 3: no key named \"Banana\" for p1.boost; keeping E",
                                    " line 4: expected \"control = key\", not \"p1.hop\"",
                                    " line 5: W is already p1.accelerate; p2.left keeps Left"};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_NE(warnings[i].find(expected[i]), std::string::npos) << warnings[i];
    }
    EXPECT_EQ(config.players[0].boost, key::e);
    EXPECT_EQ(config.players[1].steerLeft, key::left);
    EXPECT_EQ(config.players[0].respawn, key::fromName("M")) << "both players' respawn on one key";
    EXPECT_EQ(config.players[1].respawn, key::fromName("M"));
}
