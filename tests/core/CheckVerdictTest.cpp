// Which output lines make lumenpad-check report an error, over lines real compilers write.

#include "CheckVerdict.h"

#include <gtest/gtest.h>

namespace {

struct VerdictCase {
    const char* line;
    bool error;
};

void PrintTo(const VerdictCase& c, std::ostream* os) { *os << '"' << c.line << '"'; }

class Verdict : public ::testing::TestWithParam<VerdictCase> {};

TEST_P(Verdict, ErrorsCountWarningsDoNot)
{
    EXPECT_EQ(LineReportsError(QString::fromUtf8(GetParam().line)), GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Verdict,
    ::testing::Values(
        // Located diagnostics: their severity decides, not their words.
        VerdictCase{"ERROR: 0:4: 'foo' : undeclared identifier ", true},
        VerdictCase{"0:4(16): error: `foo' undeclared", true},
        VerdictCase{"0:4(1): preprocessor error: #error boom here", true},
        VerdictCase{"0(13) : error C1008: undefined variable \"foo\"", true},
        VerdictCase{"WARNING: 0:2: '#extension' : extension not supported: GL_FOO_bar", false},
        VerdictCase{"0:2(12): warning: extension `GL_FOO_bar' unsupported in vertex shader", false},
        VerdictCase{"0(13) : warning C7533: this error: is only a warning", false},
        VerdictCase{"WARNING: 0:5: 'x' : ERROR: in the text of a warning", false},
        VerdictCase{"NOTE: 0:7: 'x' : declared here", false},
        // Without a location.
        VerdictCase{"error: linking with uncompiled/unspecialized shader", true},
        VerdictCase{"error: fragment shader varying tint not written by vertex shader", true},
        VerdictCase{".error: fragment shader varying tint not written by vertex shader", true},
        VerdictCase{"error: fragment shader varying tint not written by vertex shader\r", true},
        VerdictCase{"ERROR: 1 compilation errors.  No code generated.", true},
        VerdictCase{"ERROR: Linking vertex stage: Missing entry point: Each stage requires one entry point", true},
        VerdictCase{"0:0(0): error: no main function", true},
        VerdictCase{"(0) : error C5052: gl_Position is not accessible in this profile", true},
        VerdictCase{"warning: unused varying", false},
        VerdictCase{"Vertex shader compiled: 0 errors, 1 warning.", false},
        VerdictCase{"Vertex shader failed to compile: 2 errors, 0 warnings.", false},
        VerdictCase{"glslValidate output :", false},
        VerdictCase{"Output of current glSlang-Implementation (Mesa/X.org - llvmpipe (LLVM 15.0.6, 256 bits) - 4.5 "
                    "(Compatibility Profile) Mesa 22.3.6) :",
                    false},
        VerdictCase{"Vertex shader...", false},
        VerdictCase{"Program object...", false},
        VerdictCase{"No errors.", false},
        VerdictCase{"terror: a word that merely ends in error", false},
        VerdictCase{"", false}));

TEST(Verdict, OneErrorLineAmongOthersIsEnough)
{
    EXPECT_FALSE(LinesReportError({}));
    EXPECT_FALSE(LinesReportError({"Vertex shader...", "0:2(12): warning: x", ""}));
    EXPECT_TRUE(LinesReportError({"Vertex shader...", "0:2(12): warning: x", "", "error: link failed"}));
}

} // namespace
