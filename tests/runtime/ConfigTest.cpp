// INI reading as the settings files rely on it, and the start-up settings read from it.
#include "core/runtime/Config.h"
#include "core/runtime/ConfigFile.h"
#include "support/LogCapture.h"
#include "support/TempAssets.h"

#include <gtest/gtest.h>

#include <string>

namespace {

Config readConfig(const std::string& text) {
    Config config;
    config.read(ConfigFile(text.data(), text.size()));
    return config;
}

} // namespace

TEST(ConfigFile, ReadsValuesAsTheSettingsFilesWriteThem) {
    const TempAssets folder;
    const ConfigFile ini(folder.write("values.ini", "; comment\n# also\n[Window]\nWidth = 1024\n"
                                                    "[w]\nhex=0x3C\noctal=010\ntrail=42px\nword=abc\n"
                                                    "a=Yes\nb=off\nc=enabled\n"
                                                    "title=Kart ; a comment\nraw=a;b\nk=1\nk=2\n"));
    EXPECT_EQ(ini.GetInteger("WINDOW", "width", 0), 1024) << "names ignore case";
    EXPECT_EQ(ini.GetInteger("w", "hex", 0), 60);
    EXPECT_EQ(ini.GetInteger("w", "octal", 0), 8);
    EXPECT_EQ(ini.GetInteger("w", "trail", 0), 42);
    EXPECT_EQ(ini.GetInteger("w", "word", 7), 7);
    EXPECT_TRUE(ini.GetBoolean("w", "a", false));
    EXPECT_FALSE(ini.GetBoolean("w", "b", true));
    EXPECT_TRUE(ini.GetBoolean("w", "c", true)) << "not a boolean word: the default";
    EXPECT_FALSE(ini.GetBoolean("w", "c", false));
    // An inline comment needs white space before the semicolon.
    EXPECT_EQ(ini.Get("w", "title", ""), "Kart");
    EXPECT_EQ(ini.Get("w", "raw", ""), "a;b");
    EXPECT_EQ(ini.Get("w", "k", ""), "1\n2") << "a repeated name joins its values";
}

TEST(Config, RenderScaleIsTakenInRangeAndOtherwiseNamedAndLeftToThePreset) {
    EXPECT_EQ(readConfig("").renderScale, 0.0f) << "unset: the preset decides";
    EXPECT_EQ(readConfig("[graphics]\nrender_scale=0.6\n").renderScale, 0.6f);
    EXPECT_EQ(readConfig("[graphics]\nrender_scale=1\n").renderScale, 1.0f);
    LogCapture log;
    EXPECT_EQ(readConfig("[graphics]\nrender_scale=3\n").renderScale, 0.0f);
    EXPECT_EQ(readConfig("[graphics]\nrender_scale=0.1\n").renderScale, 0.0f);
    EXPECT_TRUE(
        log.contains("config.ini: graphics render_scale=3 is out of range (0.25 to 1); using the preset's"));
    EXPECT_EQ(log.lines.size(), 2u);
}

TEST(Config, TheWindowGetsADepthBufferOnlyWhereTheViewsDrawStraightIntoIt) {
    EXPECT_FALSE(readConfig("").windowDepth) << "auto: low on a software renderer, drawn offscreen";
    EXPECT_FALSE(readConfig("[graphics]\nquality=medium\n").windowDepth);
    EXPECT_TRUE(readConfig("[graphics]\nquality=high\n").windowDepth);
    EXPECT_FALSE(readConfig("[graphics]\nquality=high\nrender_scale=0.5\n").windowDepth);
    EXPECT_TRUE(readConfig("[graphics]\nquality=low\nrender_scale=1\n").windowDepth);
}
