// INI reading as the settings files rely on it.
#include "core/runtime/ConfigFile.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

std::string writeIni(const std::string& name, const std::string& text) {
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path) << text;
    return path;
}

} // namespace

TEST(ConfigFile, SectionAndKeyLookupsIgnoreCase) {
    const ConfigFile ini(writeIni("case.ini", "[Window]\nWidth = 1024\n"));
    EXPECT_EQ(ini.GetInteger("window", "width", 0), 1024);
    EXPECT_EQ(ini.GetInteger("WINDOW", "WIDTH", 0), 1024);
}

TEST(ConfigFile, IntegersTakeAnyBaseAndIgnoreTrailingText) {
    const ConfigFile ini(writeIni("ints.ini", "[w]\nhex=0x3C\noctal=010\ntrail=42px\nword=abc\n"));
    EXPECT_EQ(ini.GetInteger("w", "hex", 0), 60);
    EXPECT_EQ(ini.GetInteger("w", "octal", 0), 8);
    EXPECT_EQ(ini.GetInteger("w", "trail", 0), 42);
    EXPECT_EQ(ini.GetInteger("w", "word", 7), 7);
}

TEST(ConfigFile, BooleansKnowTheirWordsAndNothingElse) {
    const ConfigFile ini(writeIni("bools.ini", "[w]\na=Yes\nb=off\nc=enabled\nd=1\n"));
    EXPECT_TRUE(ini.GetBoolean("w", "a", false));
    EXPECT_FALSE(ini.GetBoolean("w", "b", true));
    EXPECT_TRUE(ini.GetBoolean("w", "c", true));
    EXPECT_FALSE(ini.GetBoolean("w", "c", false));
    EXPECT_TRUE(ini.GetBoolean("w", "d", false));
}

TEST(ConfigFile, InlineCommentsNeedWhiteSpaceBeforeTheSemicolon) {
    const ConfigFile ini(writeIni("comments.ini", "; comment\n# also\n[w]\ntitle=Kart ; a comment\nraw=a;b\n"));
    EXPECT_EQ(ini.Get("w", "title", ""), "Kart");
    EXPECT_EQ(ini.Get("w", "raw", ""), "a;b");
}

TEST(ConfigFile, RepeatedNameJoinsValuesWithALineFeed) {
    EXPECT_EQ(ConfigFile(writeIni("twice.ini", "[w]\nk=1\nk=2\n")).Get("w", "k", ""), "1\n2");
}

TEST(ConfigFile, MissingFileWarnsInYellowAndGivesDefaults) {
    LogCapture log;
    const ConfigFile ini("/nonexistent/config.ini");
    EXPECT_TRUE(ini.missing());
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].text, "WARNING: /nonexistent/config.ini not found! Using defaults instead.");
    EXPECT_EQ(log.lines[0].level, LogLevel::Warning);
    EXPECT_EQ(ini.GetInteger("window", "width", 1280), 1280);
}
