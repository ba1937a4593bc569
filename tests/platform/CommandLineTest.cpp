// The option table: what it accepts, the usage errors it names and the usage text.
#include "core/platform/CommandLine.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Parsed {
    bool ok = false;
    bool help = false;
    bool version = false;
    std::string replay;
    std::string error;
};

CommandLine table(Parsed& parsed) {
    CommandLine line("torquewind", "Kart racing.");
    line.addFlag("--help", "-h", "show this help and exit", &parsed.help);
    line.addFlag("--version", "", "show the version and exit", &parsed.version);
    line.addOption("--replay", "FILE", "watch a recorded race", &parsed.replay);
    return line;
}

Parsed parse(std::vector<const char*> args) {
    Parsed parsed;
    CommandLine line = table(parsed);
    args.insert(args.begin(), "torquewind");
    parsed.ok = line.parse(static_cast<int>(args.size()), args.data());
    parsed.error = line.error();
    return parsed;
}

} // namespace

TEST(CommandLine, AcceptsFlagsShortNamesAndValuesEitherWay) {
    const Parsed none = parse({});
    EXPECT_TRUE(none.ok);
    EXPECT_FALSE(none.help || none.version);
    const Parsed both = parse({"-h", "--version", "--replay", "a b.rpl"});
    EXPECT_TRUE(both.ok && both.help && both.version);
    EXPECT_EQ(both.replay, "a b.rpl");
    EXPECT_EQ(parse({"--replay=x=y.rpl"}).replay, "x=y.rpl");
    EXPECT_EQ(parse({"--replay", "--help"}).replay, "--help") << "a value may start with a dash";
}

TEST(CommandLine, NamesTheFirstUsageErrorAndPrintsAnAlignedUsage) {
    const std::vector<std::pair<std::vector<const char*>, std::string>> bad = {
        {{"--fullscreen"}, "unrecognised option '--fullscreen'"},
        {{"-x", "--help"}, "unrecognised option '-x'"},
        {{"--help=yes"}, "option '--help' takes no value"},
        {{"--replay"}, "option '--replay' needs a value (FILE)"},
        {{"race.rpl"}, "unexpected argument 'race.rpl'"},
        {{"-"}, "unrecognised option '-'"},
        {{"--h"}, "unrecognised option '--h'"},
    };
    for (const auto& [args, error] : bad) {
        const Parsed parsed = parse(args);
        EXPECT_FALSE(parsed.ok) << error;
        EXPECT_EQ(parsed.error, error);
    }
    Parsed parsed;
    EXPECT_EQ(table(parsed).usage(), "Usage: torquewind [OPTION]...\n"
                                     "Kart racing.\n\n"
                                     "Options:\n"
                                     "  -h, --help         show this help and exit\n"
                                     "      --version      show the version and exit\n"
                                     "      --replay FILE  watch a recorded race\n");
}
