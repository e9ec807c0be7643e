// Version texts, extension-name tests and the flags derived from them.
#include "GLBinding.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct VersionCase {
    const char* text;
    int major;
    int minor;
};

class ParseVersionNumberTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(ParseVersionNumberTest, GivesMajorAndMinor)
{
    const VersionCase& c = GetParam();
    const VersionNumber v = ParseVersionNumber(c.text);
    EXPECT_EQ(v.major, c.major) << '"' << c.text << '"';
    EXPECT_EQ(v.minor, c.minor) << '"' << c.text << '"';
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseVersionNumberTest, ::testing::Values(
    VersionCase{"1.5.0 NVIDIA 53.03", 1, 5},
    VersionCase{"1.4.0 - Build 4.14.10.3943", 1, 4},
    VersionCase{"4.5 (Compatibility Profile) Mesa 22.3.6", 4, 5},
    VersionCase{"abc1.2", 1, 2},
    VersionCase{"12.34xyz", 12, 34},
    VersionCase{"1.2", 1, 2},
    VersionCase{"v 3.10", 3, 10},
    VersionCase{"007.08", 7, 8},
    VersionCase{"x9.1.2", 9, 1},
    VersionCase{"2147483647.2147483647", 2147483647, 2147483647},
    // Failures give 0.0.
    VersionCase{"", 0, 0},
    VersionCase{"15", 0, 0},
    VersionCase{".5", 0, 0},
    VersionCase{"1.", 0, 0},
    VersionCase{".", 0, 0},
    VersionCase{"a.5", 0, 0},
    VersionCase{"1.b", 0, 0},
    VersionCase{"1 .5", 0, 0},
    VersionCase{"1. 5", 0, 0},
    VersionCase{"Mesa. 4.5", 0, 0},      // only the first point counts
    VersionCase{"2147483648.0", 0, 0},   // too large for 32 bits
    VersionCase{"1.99999999999", 0, 0},
    VersionCase{"-1.5", 1, 5}));         // a sign is not a digit: dropped like any letter

TEST(ParseVersionNumber, IgnoresAnyLengthOfTextAfterTheMinorDigits)
{
    const std::string text = "3.3 " + std::string(1000, 'x') + " 9.9";
    EXPECT_EQ(ParseVersionNumber(text), (VersionNumber{3, 3}));
}

struct ExtensionCase {
    const char* extensions;
    const char* name;
    bool present;
};

class HasExtensionNameTest : public ::testing::TestWithParam<ExtensionCase> {};

TEST_P(HasExtensionNameTest, FindsWholeNamesAtTheirFirstOccurrence)
{
    const ExtensionCase& c = GetParam();
    EXPECT_EQ(HasExtensionName(c.extensions, c.name), c.present)
        << '"' << c.name << "\" in \"" << c.extensions << '"';
}

INSTANTIATE_TEST_SUITE_P(Names, HasExtensionNameTest, ::testing::Values(
    ExtensionCase{"GL_ARB_multitexture GL_ARB_shadow", "GL_ARB_shadow", true},      // last
    ExtensionCase{"GL_ARB_shadow GL_ARB_multitexture", "GL_ARB_shadow", true},      // first
    ExtensionCase{"GL_ARB_shadow_ambient", "GL_ARB_shadow", false},                 // prefix only
    ExtensionCase{"GL_ARB_shadow_ambient GL_ARB_shadow", "GL_ARB_shadow", false},   // first occurrence decides
    ExtensionCase{"GL_EXT_texture3D", "GL_EXT_texture", true},                      // a digit is a boundary
    ExtensionCase{"GL_EXT_textureLOD", "GL_EXT_texture", false},                    // a letter is not
    ExtensionCase{"GL_EXT_texture_object", "GL_EXT_texture", false},                // nor an underscore
    ExtensionCase{"GL_EXT_texture-x", "GL_EXT_texture", true},
    ExtensionCase{"XGL_ARB_shadow", "GL_ARB_shadow", true},                         // the start is not examined
    ExtensionCase{"", "GL_ARB_shadow", false},
    ExtensionCase{"GL_ARB_shado", "GL_ARB_shadow", false},
    ExtensionCase{"GL_ARB_shadow", "", false}));

TEST(GLVersionFlags, FollowTheMinorNumberForVersion1)
{
    struct Case {
        const char* text;
        const char* flags; // 1.5 ... 1.0
    };
    const Case cases[] = {
        {"1.0", "000001"},
        {"1.1.0", "000011"},
        {"1.2 Mesa", "000111"},
        {"1.3", "001111"},
        {"1.4.0 - Build 4.14.10", "011111"},
        {"1.5.0 NVIDIA 53.03", "111111"},
        {"1.9", "111111"},
        {"not a version", "000001"},
        {"", "000001"},
        {"0.9", "000001"},
        {"2.0", "111111"},
        {"4.5 (Compatibility Profile) Mesa 22.3.6", "111111"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GLVersionFlagsFor(c.text).to_string(), c.flags) << c.text;
}

TEST(GLUVersionFlags, SetOnlyWhenGluGetStringExists)
{
    struct Case {
        bool haveGluGetString;
        const char* text;
        const char* flags; // 1.3 1.2 1.1
    };
    const Case cases[] = {
        {false, "1.3", "000"},
        {true, "1.3", "111"},
        {true, "1.2", "011"},
        {true, "1.1", "001"},
        {true, "1.0", "001"},
        {true, "garbage", "001"}, // does not parse, still 1.1
        {true, "", "001"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GLUVersionFlagsFor(c.haveGluGetString, c.text).to_string(), c.flags)
            << c.haveGluGetString << ' ' << c.text;
}

TEST(ExtensionFlags, OneFlagPerListedNameInListOrder)
{
    ASSERT_EQ(kExtensionNames.size(), 267u);
    EXPECT_EQ(kExtensionNames.front(), "GL_3DFX_multisample");
    EXPECT_EQ(kExtensionNames.back(), "WIN_swap_hint");
    // The ARB run of the list, in its order.
    const int shaderObjects = ExtensionIndex("GL_ARB_shader_objects");
    ASSERT_GE(shaderObjects, 0);
    EXPECT_EQ(kExtensionNames[static_cast<std::size_t>(shaderObjects) + 1], "GL_ARB_vertex_shader");
    EXPECT_EQ(kExtensionNames[static_cast<std::size_t>(shaderObjects) + 2], "GL_ARB_fragment_shader");
    EXPECT_EQ(ExtensionIndex("GL_ARB_depth_texture"), 11);
    EXPECT_EQ(ExtensionIndex("GL_ARB_texture_non_power_of_two"), 40);
    EXPECT_EQ(ExtensionIndex("GL_KHR_debug"), -1);

    const ExtensionSet flags =
        ExtensionFlagsFor("GL_ARB_shadow_ambient GL_ARB_shader_objects GL_EXT_texture3D WIN_swap_hint");
    EXPECT_TRUE(flags.test(static_cast<std::size_t>(ExtensionIndex("GL_ARB_shadow_ambient"))));
    EXPECT_FALSE(flags.test(static_cast<std::size_t>(ExtensionIndex("GL_ARB_shadow"))));
    EXPECT_TRUE(flags.test(static_cast<std::size_t>(ExtensionIndex("GL_ARB_shader_objects"))));
    EXPECT_TRUE(flags.test(static_cast<std::size_t>(ExtensionIndex("GL_EXT_texture3D"))));
    EXPECT_TRUE(flags.test(static_cast<std::size_t>(ExtensionIndex("GL_EXT_texture"))));
    EXPECT_TRUE(flags.test(static_cast<std::size_t>(ExtensionIndex("WIN_swap_hint"))));
    EXPECT_EQ(flags.count(), 5u);
}

TEST(ExtensionFlags, ListHoldsNoDuplicates)
{
    for (std::size_t i = 0; i < kExtensionNames.size(); ++i)
        EXPECT_EQ(ExtensionIndex(kExtensionNames[i]), static_cast<int>(i)) << kExtensionNames[i];
}

} // namespace
