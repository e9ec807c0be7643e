// lumenpad-check's command line, read without running anything.

#include "CheckOptions.h"

#include <gtest/gtest.h>

namespace {

struct ArgumentsCase {
    const char* name;
    QStringList arguments;
    bool usable;
    bool validator, driver, link;
    const char* files; // "path:stage" for each file, blank-separated; stage "?" when unknown
    const char* targets = "auto";
};

void PrintTo(const ArgumentsCase& c, std::ostream* os) { *os << c.name; }

ArgumentsCase Usable(const char* name, QStringList arguments, bool validator, bool driver, bool link,
                     const char* files = "a.vert:vertex b.frag:fragment", const char* targets = "auto")
{
    return {name, std::move(arguments), true, validator, driver, link, files, targets};
}

ArgumentsCase Unusable(const char* name, QStringList arguments)
{
    return {name, std::move(arguments), false, false, false, false, ""};
}

class Arguments : public ::testing::TestWithParam<ArgumentsCase> {};

TEST_P(Arguments, AreReadAsTheHelpDescribes)
{
    const ArgumentsCase& c = GetParam();
    const ParsedArguments parsed = ParseCheckArguments(c.arguments);
    EXPECT_FALSE(parsed.help);
    ASSERT_EQ(parsed.options.has_value(), c.usable) << parsed.error.toStdString();
    if (!c.usable) {
        EXPECT_FALSE(parsed.error.isEmpty());
        return;
    }
    EXPECT_EQ(parsed.options->validator, c.validator);
    EXPECT_EQ(parsed.options->driver, c.driver);
    EXPECT_EQ(parsed.options->link, c.link);
    QStringList files;
    for (const CheckFile& f : parsed.options->files)
        files << f.path + QLatin1Char(':') + (f.stage ? QString::fromLatin1(StageName(*f.stage)) : QStringLiteral("?"));
    EXPECT_EQ(files.join(QLatin1Char(' ')), QString::fromUtf8(c.files));
    QStringList targets;
    for (const ShaderTarget& t : parsed.options->targets)
        targets << QString::fromStdString(TargetName(t));
    EXPECT_EQ(targets.join(QLatin1Char(' ')), QString::fromUtf8(c.targets));
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, Arguments,
    ::testing::Values(
        Usable("no_option_runs_all", {"a.vert", "b.frag"}, true, true, true),
        Usable("validator_only", {"--validator", "a.vert", "b.frag"}, true, false, false),
        Usable("driver_only", {"--driver", "a.vert", "b.frag"}, false, true, false),
        Usable("link_only", {"--link", "a.vert", "b.frag"}, false, false, true),
        Usable("options_after_files", {"a.vert", "b.frag", "--link", "--validator"}, true, false, true),
        Usable("options_between_files", {"a.vert", "--driver", "b.frag"}, false, true, false),
        Usable("repeated_option", {"--link", "--link", "a.vert", "b.frag"}, false, false, true),
        Usable("dash_names_after_end_of_options", {"--driver", "--", "-a.vert", "--link"}, false, true, false,
               "-a.vert:vertex --link:?"),
        Usable("same_file_twice", {"s.glsl", "s.glsl"}, true, true, true, "s.glsl:? s.glsl:?"),
        Usable("timeout_takes_its_value", {"--timeout", "7", "a.vert", "b.frag"}, true, true, true),
        Usable("one_file", {"a.vert"}, true, true, true, "a.vert:vertex"),
        Usable("any_stage_by_name", {"g.geom", "c.comp", "t.tesc", "e.tese", "x.frag.glsl"}, true, true, true,
               "g.geom:geometry c.comp:compute t.tesc:tesscontrol e.tese:tessevaluation x.frag.glsl:fragment"),
        Usable("stage_names_the_files_after_it", {"a.glsl", "--stage", "frag", "b.glsl", "c.vert"}, true, true, true,
               "a.glsl:? b.glsl:fragment c.vert:fragment"),
        Usable("targets_repeat_without_doubles", {"--target", "es:300", "--target", "gl:330", "--target", "es:300",
                                                  "a.vert"}, true, true, true, "a.vert:vertex", "es:300 gl:330:core"),
        Usable("jobs", {"-j", "2", "-j3", "a.vert"}, true, true, true, "a.vert:vertex"),
        Unusable("nothing", {}),
        Unusable("options_without_files", {"--driver", "--link"}),
        Unusable("unknown_option", {"--verbose", "a.vert", "b.frag"}),
        Unusable("single_dash_option", {"-x", "a.vert", "b.frag"}),
        Unusable("stdin_dash", {"-", "b.frag"}),
        Unusable("empty_name", {"", "b.frag"}),
        Unusable("timeout_without_seconds", {"a.vert", "b.frag", "--timeout"}),
        Unusable("timeout_zero", {"--timeout", "0", "a.vert", "b.frag"}),
        Unusable("timeout_not_a_number", {"--timeout", "2s", "a.vert", "b.frag"}),
        Unusable("unknown_target", {"--target", "gl:331", "a.vert"}),
        Unusable("profile_before_150", {"--target", "gl:130:core", "a.vert"}),
        Unusable("unknown_stage", {"--stage", "pixel", "a.vert"}),
        Unusable("no_jobs", {"-j", "0", "a.vert"})),
    [](const auto& info) { return std::string(info.param.name); });

struct HelpCase {
    QStringList arguments;
    bool help;
};

void PrintTo(const HelpCase& c, std::ostream* os) { *os << c.arguments.join(QLatin1Char(' ')).toStdString(); }

class Help : public ::testing::TestWithParam<HelpCase> {};

TEST_P(Help, IsAnsweredWhateverElseIsGiven)
{
    EXPECT_EQ(ParseCheckArguments(GetParam().arguments).help, GetParam().help);
}

INSTANTIATE_TEST_SUITE_P(CommandLines, Help,
                         ::testing::Values(HelpCase{{"--help"}, true}, HelpCase{{"-h"}, true},
                                           HelpCase{{"a.vert", "b.frag", "--help"}, true},
                                           HelpCase{{"--bogus", "--help"}, true},
                                           HelpCase{{"a.vert", "b.frag", "c.frag", "-h"}, true},
                                           HelpCase{{"--", "--help", "b.frag"}, false},
                                           HelpCase{{"--helpful", "a.vert", "b.frag"}, false},
                                           HelpCase{{"a.vert", "b.frag"}, false}));

TEST(Arguments, HelpNamesEveryOptionAndTheExitStatuses)
{
    const QString help = CheckHelpText();
    for (const char* word : {"--validator", "--driver", "--link", "--help", "VERT", "FRAG", "Exit status", "0", "1", "2"})
        EXPECT_TRUE(help.contains(QString::fromLatin1(word))) << word;
}

} // namespace
