// The log-line parser over lines of real logs: glslang through glslvalidate and the
// installed driver through the editor's driver check, plus samples of drivers that cannot be
// run here (NVIDIA, AMD, Intel and Apple on their own systems).

#include "DriverCheck.h"
#include "DriverTestSupport.h"
#include "LogLineParser.h"
#include "TestFiles.h"

#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <cctype>
#include <set>

static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

using Severity = LogMessage::Severity;

const char* SeverityName(Severity s)
{
    switch (s) {
    case Severity::Error:
        return "error";
    case Severity::Warning:
        return "warning";
    case Severity::Note:
        return "note";
    }
    return "?";
}

// ---- Single lines --------------------------------------------------------------------------

struct LineCase {
    const char* name;
    const char* line;
    bool located;
    int lineNumber;
    int column;
    Severity severity;
    const char* message;
    const char* source;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

LineCase At(const char* name, const char* line, int lineNumber, int column, Severity severity, const char* message,
            const char* source)
{
    return {name, line, true, lineNumber, column, severity, message, source};
}

LineCase Nothing(const char* name, const char* line)
{
    return {name, line, false, 0, 0, Severity::Error, "", ""};
}

// The case's name as a test name: letters and digits, the rest as '_'.
struct CaseName {
    template <class Info>
    std::string operator()(const Info& info) const
    {
        std::string name = info.param.name;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    }
};

class ParseLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(ParseLine, GivesTheLocationOrNothing)
{
    const LineCase& c = GetParam();
    const std::optional<LogMessage> m = ParseLogLine(QString::fromUtf8(c.line));
    ASSERT_EQ(m.has_value(), c.located) << c.line;
    if (!c.located)
        return;
    EXPECT_EQ(m->line, c.lineNumber);
    EXPECT_EQ(m->column, c.column);
    EXPECT_STREQ(SeverityName(m->severity), SeverityName(c.severity));
    EXPECT_EQ(m->message, QString::fromUtf8(c.message));
    EXPECT_EQ(m->source, QString::fromUtf8(c.source));
}

// Lines written by glslvalidate (glslang) and by Mesa 22.3 on this system; the NVIDIA, AMD,
// Intel and Apple lines are as those drivers write them.
INSTANTIATE_TEST_SUITE_P(
    Glslang, ParseLine,
    ::testing::Values(
        At("undeclared", "ERROR: 0:4: 'foo' : undeclared identifier ", 4, 0, Severity::Error,
           "'foo' : undeclared identifier", "0"),
        At("terminated", "ERROR: 0:5: '' : compilation terminated ", 5, 0, Severity::Error,
           "'' : compilation terminated", "0"),
        At("conversion", "ERROR: 0:3: '=' :  cannot convert from ' const float' to ' temp int'", 3, 0,
           Severity::Error, "'=' :  cannot convert from ' const float' to ' temp int'", "0"),
        At("warning", "WARNING: 0:2: '#extension' : extension not supported: GL_FOO_bar", 2, 0, Severity::Warning,
           "'#extension' : extension not supported: GL_FOO_bar", "0"),
        At("note", "NOTE: 0:7: 'x' : declared here", 7, 0, Severity::Note, "'x' : declared here", "0"),
        At("internal", "INTERNAL ERROR: 0:9: unexpected node", 9, 0, Severity::Error, "unexpected node", "0"),
        At("file name", "ERROR: tmp.vs:13: 'foo' : undeclared identifier", 13, 0, Severity::Error,
           "'foo' : undeclared identifier", "tmp.vs"),
        At("drive letter", "ERROR: C:\\shaders\\a.vert:13: 'foo' : undeclared identifier", 13, 0, Severity::Error,
           "'foo' : undeclared identifier", "C:\\shaders\\a.vert"),
        At("column", "ERROR: 0:13:7: 'foo' : undeclared identifier", 13, 7, Severity::Error,
           "'foo' : undeclared identifier", "0"),
        At("large line", "ERROR: 0:2147483647: x", 2147483647, 0, Severity::Error, "x", "0"),
        Nothing("summary", "ERROR: 2 compilation errors.  No code generated."),
        Nothing("one error summary", "ERROR: 1 compilation errors.  No code generated."),
        Nothing("link without location", "ERROR: Linking vertex stage: Missing entry point: Each stage requires one entry point"),
        Nothing("unreadable file", "ERROR: cannot read tmp.vs: No such file or directory"),
        Nothing("verdict", "Vertex shader failed to compile: 2 errors, 0 warnings."),
        Nothing("heading", "glslValidate output :"),
        Nothing("line 0", "ERROR: 0:0: '' : something global"),
        Nothing("negative line", "ERROR: 0:-3: 'foo' : undeclared identifier"),
        Nothing("line beyond int", "ERROR: 0:2147483648: x"),
        Nothing("no colon after line", "ERROR: 0:13 'foo' : undeclared identifier"),
        Nothing("lower-case prefix", "error: 0:13: 'foo' : undeclared identifier"),
        Nothing("empty source", "ERROR: :13: x")),
    CaseName());

INSTANTIATE_TEST_SUITE_P(
    Mesa, ParseLine,
    ::testing::Values(
        At("undeclared", "0:4(16): error: `foo' undeclared", 4, 16, Severity::Error, "`foo' undeclared", "0"),
        At("syntax", "0:4(1): error: syntax error, unexpected '}', expecting ',' or ';'", 4, 1, Severity::Error,
           "syntax error, unexpected '}', expecting ',' or ';'", "0"),
        At("warning", "0:2(12): warning: extension `GL_FOO_bar' unsupported in vertex shader", 2, 12,
           Severity::Warning, "extension `GL_FOO_bar' unsupported in vertex shader", "0"),
        At("preprocessor", "0:4(1): preprocessor error: #error boom here", 4, 1, Severity::Error, "#error boom here",
           "0"),
        At("preprocessor warning", "0:3(9): preprocessor warning: redefined macro", 3, 9, Severity::Warning,
           "redefined macro", "0"),
        At("second string", "1:20(5): error: x", 20, 5, Severity::Error, "x", "1"),
        Nothing("link", "error: linking with uncompiled/unspecialized shader"),
        Nothing("varying", "error: fragment shader varying tint not written by vertex shader"),
        Nothing("run together", ".error: fragment shader varying tint not written by vertex shader"),
        Nothing("header", "Output of current glSlang-Implementation (Mesa/X.org - llvmpipe (LLVM 15.0.6, 256 bits) - "
                          "4.5 (Compatibility Profile) Mesa 22.3.6) :"),
        Nothing("section", "Vertex shader..."),
        Nothing("empty", ""),
        Nothing("line 0", "0:0(0): error: no main function"),
        Nothing("unknown word", "0:13(2): frobnicate: x"),
        Nothing("no colon after column", "0:13(2) error: x"),
        Nothing("no column", "0:13(): error: x")),
    CaseName());

INSTANTIATE_TEST_SUITE_P(
    OtherDrivers, ParseLine,
    ::testing::Values(
        At("nvidia error", "0(13) : error C1008: undefined variable \"foo\"", 13, 0, Severity::Error,
           "C1008: undefined variable \"foo\"", "0"),
        At("nvidia warning", "0(13) : warning C7533: global variable gl_FragColor is deprecated after version 120",
           13, 0, Severity::Warning, "C7533: global variable gl_FragColor is deprecated after version 120", "0"),
        At("nvidia fatal", "0(5) : fatal error C9999: *** exception during compilation ***", 5, 0, Severity::Error,
           "C9999: *** exception during compilation ***", "0"),
        At("nvidia without code", "0(7) : error: something", 7, 0, Severity::Error, "something", "0"),
        Nothing("nvidia link", "(0) : error C5052: gl_Position is not accessible in this profile"),
        Nothing("nvidia line 0", "0(0) : error C0000: syntax error"),
        Nothing("nvidia plural", "0(13) : errors galore"),
        Nothing("nvidia section", "Vertex info"),
        Nothing("nvidia rule", "-----------"),
        Nothing("nvidia link success", "No errors."),
        At("amd error", "ERROR: 0:13: error(#143) Undeclared identifier: foo", 13, 0, Severity::Error,
           "error(#143) Undeclared identifier: foo", "0"),
        At("amd warning", "WARNING: 0:5: warning(#283) Symbol gl_FragColor is deprecated", 5, 0, Severity::Warning,
           "warning(#283) Symbol gl_FragColor is deprecated", "0"),
        Nothing("amd summary", "ERROR: error(#273) 1 compilation errors.  No code generated"),
        Nothing("amd link", "Vertex shader(s) failed to link,  fragment shader(s) failed to link."),
        At("intel windows", "ERROR: 0:13: 'foo' : undeclared identifier", 13, 0, Severity::Error,
           "'foo' : undeclared identifier", "0"),
        At("apple", "ERROR: 0:13: Use of undeclared identifier 'foo'", 13, 0, Severity::Error,
           "Use of undeclared identifier 'foo'", "0")),
    CaseName());

INSTANTIATE_TEST_SUITE_P(
    CarriageReturns, ParseLine,
    ::testing::Values(
        At("glslang", "ERROR: 0:4: 'foo' : undeclared identifier \r", 4, 0, Severity::Error,
           "'foo' : undeclared identifier", "0"),
        At("mesa", "0:4(16): error: `foo' undeclared\r", 4, 16, Severity::Error, "`foo' undeclared", "0"),
        At("nvidia", "0(13) : error C1008: undefined variable \"foo\"\r\r", 13, 0, Severity::Error,
           "C1008: undefined variable \"foo\"", "0"),
        Nothing("summary", "ERROR: 1 compilation errors.  No code generated.\r"),
        Nothing("lone CR", "\r")),
    CaseName());

// ---- Whole logs of real compilers ----------------------------------------------------------

struct LogCase {
    const char* name;
    ShaderKind kind;
    QByteArray text;
    std::set<int> glslangErrors;
    std::set<int> glslangWarnings;
    std::set<int> driverErrors;
    std::set<int> driverWarnings;
};

void PrintTo(const LogCase& c, std::ostream* os) { *os << c.name; }

struct Located {
    std::set<int> errors;
    std::set<int> warnings;
    int errorCount = 0;
    int warningCount = 0;
};

// The lines the log's diagnostics are tied to. A line that looks located (it starts with a
// digit, or with glslang's prefix and a string number) must be read as one.
Located LocateAll(const QStringList& lines)
{
    static const QRegularExpression looksLocated(QStringLiteral("^(\\d|(ERROR|WARNING): \\d+:)"));
    Located found;
    for (const QString& line : lines) {
        const std::optional<LogMessage> m = ParseLogLine(line);
        if (!m) {
            const bool summary = line.contains(QLatin1String("compilation errors."));
            EXPECT_TRUE(summary || !looksLocated.match(line).hasMatch()) << "not read: " << line.toStdString();
            continue;
        }
        if (m->severity == Severity::Error) {
            found.errors.insert(m->line);
            ++found.errorCount;
        } else if (m->severity == Severity::Warning) {
            found.warnings.insert(m->line);
            ++found.warningCount;
        }
    }
    return found;
}

const LogCase kLogCases[] = {
    {"undeclared_identifier", ShaderKind::Vertex,
     "void main()\n{\n    vec4 p = gl_Vertex;\n    gl_Position = foo * p;\n}\n", {4}, {}, {4}, {}},
    {"two_bad_initialisers", ShaderKind::Vertex,
     "void main()\n{\n    int x = 1.5;\n    gl_Position = gl_Vertex;\n    float y = true;\n}\n", {3}, {}, {3, 5}, {}},
    {"missing_semicolon", ShaderKind::Vertex, "void main()\n{\n    gl_Position = gl_Vertex\n}\n", {4}, {}, {4}, {}},
    {"error_directive", ShaderKind::Vertex,
     "#version 110\nvoid main()\n{\n#error boom here\n    gl_Position = gl_Vertex;\n}\n", {4, 5}, {}, {4}, {}},
    {"unknown_extension_warns", ShaderKind::Vertex,
     "#version 110\n#extension GL_FOO_bar : warn\nvoid main() { gl_Position = gl_Vertex; }\n", {}, {2}, {}, {2}},
    {"fragment_undeclared", ShaderKind::Fragment,
     "void main()\n{\n\n\n\n    gl_FragColor = vec4(tint, 1.0);\n}\n", {6}, {}, {6}, {}},
    {"crlf_lines", ShaderKind::Fragment,
     "// first\r\n// second\r\nvoid main()\r\n{\r\n    gl_FragColor = nothing;\r\n}\r\n", {5}, {}, {5}, {}},
    {"clean", ShaderKind::Fragment, "void main()\n{\n    gl_FragColor = vec4(1.0);\n}\n", {}, {}, {}, {}},
};

class GlslangLog : public ::testing::TestWithParam<LogCase> {};

TEST_P(GlslangLog, DiagnosticsLandOnTheirSourceLines)
{
    const LogCase& c = GetParam();
    ScopedWorkDir dir;
    WriteBytes(dir.file(QStringLiteral("shader.txt")), c.text);
    const bool vertex = c.kind == ShaderKind::Vertex;
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(ProgramDirPath(QStringLiteral("glslvalidate")),
                  {vertex ? QStringLiteral("/v") : QStringLiteral("/f"), QStringLiteral("shader.txt")});
    ASSERT_TRUE(process.waitForFinished(60000));
    const QStringList lines = QString::fromUtf8(ReadBytes(dir.file(vertex ? QStringLiteral("vertex.log")
                                                                          : QStringLiteral("fragment.log"))))
                                  .split(QLatin1Char('\n'));

    const Located found = LocateAll(lines);
    EXPECT_EQ(found.errors, c.glslangErrors);
    EXPECT_EQ(found.warnings, c.glslangWarnings);

    // glslvalidate counts glslang's messages its own way; both must agree.
    static const QRegularExpression verdict(QStringLiteral("shader (?:compiled|failed to compile): (\\d+) errors?, (\\d+) warnings?\\.$"));
    ASSERT_GE(lines.size(), 2);
    const QRegularExpressionMatch counts = verdict.match(lines[lines.size() - 2]);
    ASSERT_TRUE(counts.hasMatch()) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(found.errorCount, counts.captured(1).toInt());
    EXPECT_EQ(found.warningCount, counts.captured(2).toInt());
}

INSTANTIATE_TEST_SUITE_P(Shaders, GlslangLog, ::testing::ValuesIn(kLogCases),
                         [](const auto& info) { return std::string(info.param.name); });

class DriverLog : public DriverTest, public ::testing::WithParamInterface<LogCase> {};

TEST_P(DriverLog, DiagnosticsLandOnTheirSourceLines)
{
    const LogCase& c = GetParam();
    if (ReadDriverStrings(dc(), rc()).version.find("Mesa") == std::string::npos)
        GTEST_SKIP() << "the expected lines are those of Mesa's compiler";
    const QStringList output =
        CheckSingleShader(dc(), rc(), c.kind, QString::fromUtf8(c.text).remove(QLatin1Char('\r')).split(QLatin1Char('\n')))
            .lines;
    ASSERT_FALSE(output.isEmpty());
    EXPECT_FALSE(ParseLogLine(output.first())) << "the header is no diagnostic";

    const Located found = LocateAll(output);
    EXPECT_EQ(found.errors, c.driverErrors) << output.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(found.warnings, c.driverWarnings) << output.join(QLatin1Char('\n')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Shaders, DriverLog, ::testing::ValuesIn(kLogCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
