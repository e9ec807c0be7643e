// The three driver checks against the installed driver (Mesa's llvmpipe in CI), with real
// shaders and the driver's own info logs.
#include "DriverCheck.h"
#include "DriverTestSupport.h"

#include <QRegularExpression>
#include <gmock/gmock.h>

#include <algorithm>
#include <future>
#include <iostream>
#include <thread>

namespace {

using ::testing::AllOf;
using ::testing::AnyOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

const QStringList kValidVertex{
    "void main()",
    "{",
    "  gl_Position = ftransform();",
    "}",
};

const QStringList kValidFragment{
    "void main()",
    "{",
    "  gl_FragColor = vec4(1.0, 0.5, 0.0, 1.0);",
    "}",
    "",
};

// Line 4 lacks nothing but the statement before it lacks its semicolon.
const QStringList kBrokenFragment{
    "void main()",
    "{",
    "  gl_FragColor = vec4(1.0)",
    "  x;",
    "}",
};

// Reads a varying that kValidVertex never writes (GLSL 1.10: a link error).
const QStringList kFragmentReadingVarying{
    "varying vec3 normal;",
    "void main()",
    "{",
    "  gl_FragColor = vec4(normal, 1.0);",
    "}",
};

const QStringList kVertexWithWarning{
    "#extension GL_LUMENPAD_no_such_extension : warn",
    "void main()",
    "{",
    "  gl_Position = ftransform();",
    "}",
};

std::vector<std::string> Lines(const QStringList& output)
{
    std::vector<std::string> lines;
    for (const QString& line : output)
        lines.push_back(line.toStdString());
    return lines;
}

class DriverCheckTest : public DriverTest {
protected:
    std::string Header()
    {
        const DriverStrings s = ReadDriverStrings(dc(), rc());
        return "Output of current glSlang-Implementation (" + s.vendor + " - " + s.renderer + " - " +
               s.version + ") :";
    }

    // The last check's output.
    QStringList panel;
};

TEST_F(DriverCheckTest, HeaderNamesTheDriverAndACleanShaderAddsNothing)
{
    panel = CheckSingleShader(dc(), rc(), ShaderKind::Vertex, kValidVertex).lines;

    const std::string header = Header();
    EXPECT_THAT(Lines(panel), ElementsAre(header));
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^Output of current glSlang-Implementation \(.+ - .+ - .+\) :$)"))
                    .match(panel.value(0))
                    .hasMatch());
    EXPECT_FALSE(HaveCurrentContext());
    std::cout << "[ driver   ] " << header << '\n';
}

TEST_F(DriverCheckTest, CleanFragmentPageLeavesTheHeaderAlone)
{
    panel = CheckSingleShader(dc(), rc(), ShaderKind::Fragment, kValidFragment).lines;
    EXPECT_THAT(Lines(panel), ElementsAre(Header()));
}

TEST_F(DriverCheckTest, BrokenFragmentPageShowsTheCompileLogThenTheLinkLog)
{
    panel = CheckSingleShader(dc(), rc(), ShaderKind::Fragment, kBrokenFragment).lines;
    const std::vector<std::string> lines = Lines(panel);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], Header());
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^0:4\(\d+\): error: syntax error)"))
                    .match(panel[1])
                    .hasMatch())
        << lines[1];
    // The compile log ends with a line feed: one empty line, then the link log directly.
    EXPECT_EQ(lines[2], "");
    EXPECT_THAT(lines[3], HasSubstr("error"));
    EXPECT_FALSE(HaveCurrentContext());
}

TEST_F(DriverCheckTest, VertexShaderCompiledAsFragmentShaderFails)
{
    // gl_Position does not exist in a fragment shader: the page's kind reaches the driver.
    panel = CheckSingleShader(dc(), rc(), ShaderKind::Fragment, kValidVertex).lines;
    ASSERT_GE(panel.size(), 2);
    EXPECT_THAT(Lines(panel)[1], HasSubstr("error"));
}

TEST_F(DriverCheckTest, CombinedCheckWritesTheSectionLinesEvenWithEmptyLogs)
{
    panel = CheckLinkedShaders(dc(), rc(), kValidVertex, kValidFragment).lines;
    EXPECT_THAT(Lines(panel),
                ElementsAre(Header(), "Vertex shader...", "Fragment shader...", "Program object..."));
}

TEST_F(DriverCheckTest, CombinedCheckShowsTheLinkErrorOfAMissingVarying)
{
    panel = CheckLinkedShaders(dc(), rc(), kValidVertex, kFragmentReadingVarying).lines;
    const std::vector<std::string> lines = Lines(panel);
    ASSERT_GE(lines.size(), 5u);
    EXPECT_THAT(std::vector<std::string>(lines.begin(), lines.begin() + 4),
                ElementsAre(Header(), "Vertex shader...", "Fragment shader...", "Program object..."));
    EXPECT_THAT(lines, Contains(HasSubstr("varying normal not written by vertex shader")));
}

TEST_F(DriverCheckTest, CombinedCheckPutsEachCompileLogUnderItsSection)
{
    panel = CheckLinkedShaders(dc(), rc(), kVertexWithWarning, kBrokenFragment).lines;
    const std::vector<std::string> lines = Lines(panel);
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[1], "Vertex shader...");
    EXPECT_THAT(lines[2], HasSubstr("warning"));
    const auto fragment = std::find(lines.begin(), lines.end(), "Fragment shader...");
    const auto program = std::find(lines.begin(), lines.end(), "Program object...");
    ASSERT_NE(fragment, lines.end());
    ASSERT_NE(program, lines.end());
    ASSERT_LT(fragment, program);
    EXPECT_THAT(*(fragment + 1), HasSubstr("0:4("));
    EXPECT_THAT(*(fragment + 1), HasSubstr("error"));
}

TEST_F(DriverCheckTest, WarningShowsOnEveryCheckOfTheSameText)
{
    // With the driver's shader cache on, the second compile would be skipped and its log empty.
    for (int round = 0; round < 2; ++round) {
        panel = CheckSingleShader(dc(), rc(), ShaderKind::Vertex, kVertexWithWarning).lines;
        EXPECT_THAT(Lines(panel), Contains(AllOf(HasSubstr("warning"), HasSubstr("GL_LUMENPAD_no_such_extension"))))
            << "check " << round + 1;
    }
}

TEST_F(DriverCheckTest, SecondCheckClearsTheFirstOutput)
{
    panel = CheckSingleShader(dc(), rc(), ShaderKind::Fragment, kBrokenFragment).lines;
    ASSERT_GT(panel.size(), 1);
    panel = CheckSingleShader(dc(), rc(), ShaderKind::Fragment, kValidFragment).lines;
    EXPECT_THAT(Lines(panel), ElementsAre(Header()));
}

TEST_F(DriverCheckTest, EmptyPageIsSentAsAnEmptyString)
{
    panel = CheckSingleShader(dc(), rc(), ShaderKind::Vertex, QStringList{QString()}).lines;
    // An empty shader has no main(): the driver says so, at compile or at link.
    ASSERT_GE(panel.size(), 2);
    EXPECT_THAT(Lines(panel), Contains(AnyOf(HasSubstr("main"), HasSubstr("error"))));
}

TEST_F(DriverCheckTest, WithoutAContextTheCheckStopsAtTheAssertion)
{
    const QString message = FailureOf([&] { CheckSingleShader(dc(), nullptr, ShaderKind::Vertex, kValidVertex); });
    EXPECT_TRUE(message.startsWith(QStringLiteral("RC must not be 0 ("))) << message.toStdString();
    EXPECT_FALSE(HaveCurrentContext());

    const QString combined = FailureOf([&] { CheckLinkedShaders(dc(), nullptr, kValidVertex, kValidFragment); });
    EXPECT_TRUE(combined.startsWith(QStringLiteral("RC must not be 0 ("))) << combined.toStdString();
}

// When activation leaves no context current (here: the context is current on another
// thread), the header keeps only its fixed texts and nothing is handed to a driver.
TEST_F(DriverCheckTest, ContextThatCannotBeMadeCurrentGivesTheFixedHeaderAndOneLine)
{
    std::promise<void> madeCurrent;
    std::promise<void> mayRelease;
    std::future<void> madeCurrentFuture = madeCurrent.get_future();
    std::future<void> mayReleaseFuture = mayRelease.get_future();
    std::thread holder([&] {
        MakeGLContextCurrent(dc(), rc());
        madeCurrent.set_value();
        mayReleaseFuture.wait();
        ReleaseGLContext();
        if (auto releaseThread = EntryAs<PFNEGLRELEASETHREADPROC>(GLEntries.eglReleaseThread))
            releaseThread();
    });
    madeCurrentFuture.wait();

    panel = CheckSingleShader(dc(), rc(), ShaderKind::Vertex, kBrokenFragment).lines;
    const std::vector<std::string> single = Lines(panel);
    panel = CheckLinkedShaders(dc(), rc(), kValidVertex, kBrokenFragment).lines;
    const std::vector<std::string> combined = Lines(panel);

    mayRelease.set_value();
    holder.join();

    EXPECT_THAT(single, ElementsAre("Output of current glSlang-Implementation ( -  - ) :", kNoShaderObjectsLine));
    EXPECT_THAT(combined, ElementsAre("Output of current glSlang-Implementation ( -  - ) :", kNoShaderObjectsLine));
}

// Every program and shader object a check creates is gone when it returns.
TEST_F(DriverCheckTest, ChecksLeaveNoObjectsBehind)
{
    using namespace gltypes;
    constexpr GLenum kObjectType = 0x8B4E; // GL_OBJECT_TYPE_ARB
    constexpr GLhandleARB kProbeLimit = 4096;
    const auto liveObjects = [&] {
        auto getParameter = EntryAs<GetObjectParameterivARBProc>(GLEntries.glGetObjectParameterivARB);
        int live = 0;
        for (GLhandleARB handle = 1; handle < kProbeLimit; ++handle) {
            GLint type = -1;
            getParameter(handle, kObjectType, &type);
            if (type != -1)
                ++live;
        }
        return live;
    };

    panel = CheckSingleShader(dc(), rc(), ShaderKind::Vertex, kValidVertex).lines;
    panel = CheckSingleShader(dc(), rc(), ShaderKind::Fragment, kBrokenFragment).lines;
    panel = CheckLinkedShaders(dc(), rc(), kValidVertex, kFragmentReadingVarying).lines;

    MakeGLContextCurrent(dc(), rc());
    const int afterChecks = liveObjects();
    // The probe itself sees an object that exists.
    const GLhandleARB own = EntryAs<CreateProgramObjectARBProc>(GLEntries.glCreateProgramObjectARB)();
    const int withOwn = liveObjects();
    EntryAs<DeleteObjectARBProc>(GLEntries.glDeleteObjectARB)(own);
    ReleaseGLContext();

    ASSERT_GT(own, 0u);
    ASSERT_LT(own, kProbeLimit);
    EXPECT_EQ(withOwn, 1);
    EXPECT_EQ(afterChecks, 0);
}

} // namespace
