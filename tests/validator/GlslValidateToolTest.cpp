// glslvalidate run as the editor runs it: a separate process in a directory of its own,
// judged by its exit status and the log file it leaves there.

#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <sys/stat.h>

// Readable failure output for Qt strings (and lists of them).
static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

struct ToolRun {
    int exitCode = -1;
    QByteArray standardError;
};

ToolRun RunTool(const QString& workDir, const QStringList& arguments)
{
    QProcess process;
    process.setWorkingDirectory(workDir);
    process.start(ProgramDirPath(QStringLiteral("glslvalidate")), arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        throw std::runtime_error("glslvalidate did not end normally");
    return {process.exitCode(), process.readAllStandardError()};
}

QStringList LogLines(const QByteArray& log)
{
    QStringList lines = QString::fromUtf8(log).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

QStringList DirEntries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

QStringList Sorted(QStringList names)
{
    names.sort();
    return names;
}

struct ShaderCase {
    const char* name;
    const char* stageSwitch;
    QByteArray text;
    int exitCode;
    const char* verdict;     // the last line of the log
    const char* logContains; // a message glslang must have given, or nullptr
};

void PrintTo(const ShaderCase& c, std::ostream* os) { *os << c.name; }

class ShaderCheck : public ::testing::TestWithParam<ShaderCase> {};

TEST_P(ShaderCheck, ExitStatusAndLogMatchTheShader)
{
    const ShaderCase& c = GetParam();
    ScopedWorkDir dir;
    WriteBytes(dir.file(QStringLiteral("shader.txt")), c.text);

    const ToolRun run = RunTool(dir.path(), {QString::fromLatin1(c.stageSwitch), QStringLiteral("shader.txt")});

    const bool vertex = QByteArray(c.stageSwitch) == "/v";
    const QString logName = vertex ? QStringLiteral("vertex.log") : QStringLiteral("fragment.log");
    EXPECT_EQ(run.exitCode, c.exitCode);
    // Only the stage's own log appears; no temporary file of the atomic write is left.
    EXPECT_EQ(DirEntries(dir.path()), Sorted({logName, QStringLiteral("shader.txt")}));

    const QByteArray log = ReadBytes(dir.file(logName));
    EXPECT_FALSE(log.contains('\r'));
    EXPECT_TRUE(log.endsWith('\n'));
    const QStringList lines = LogLines(log);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.back(), QString::fromUtf8(c.verdict));
    if (c.logContains) {
        EXPECT_TRUE(log.contains(c.logContains)) << log.constData();
    }

    // The verdict counts what glslang itself counted in its closing summary.
    static const QRegularExpression summary(QStringLiteral("^ERROR: (\\d+) compilation errors\\."),
                                            QRegularExpression::MultilineOption);
    static const QRegularExpression verdictCount(QStringLiteral(": (\\d+) errors?, "));
    const QRegularExpressionMatch s = summary.match(QString::fromUtf8(log));
    const QRegularExpressionMatch v = verdictCount.match(lines.back());
    ASSERT_TRUE(v.hasMatch());
    EXPECT_EQ(s.hasMatch() ? s.captured(1) : QStringLiteral("0"), v.captured(1));
}

const ShaderCase kShaderCases[] = {
    // Text without #version is desktop GLSL 1.10: fixed-function built-ins exist,
    // later keywords do not.
    {"Glsl110Vertex", "/v", "void main()\n{\n  gl_Position = ftransform();\n}\n", 0,
     "Vertex shader compiled: 0 errors, 0 warnings.", nullptr},
    {"Glsl110Fragment", "/f", "uniform vec4 tint;\nvoid main()\n{\n  gl_FragColor = tint;\n}\n", 0,
     "Fragment shader compiled: 0 errors, 0 warnings.", nullptr},
    {"Glsl110UndeclaredName", "/v", "void main()\n{\n  gl_Position = gl_Vertex;\n  gl_Position = foo;\n}\n", 1,
     "Vertex shader failed to compile: 3 errors, 0 warnings.", "ERROR: 0:4: 'foo' : undeclared identifier"},
    {"Glsl110NoImplicitIntToFloat", "/v", "void main()\n{\n  float x = 1;\n  gl_Position = vec4(x);\n}\n", 1,
     "Vertex shader failed to compile: 2 errors, 0 warnings.", "ERROR: 0:3: '=' :  cannot convert from ' const int'"},
    {"Glsl110HasNoUint", "/v", "uint x;\nvoid main() { gl_Position = vec4(1.0); }\n", 1,
     "Vertex shader failed to compile: 1 error, 0 warnings.", "syntax error"},
    {"Glsl110HasNoStageIn", "/v", "in vec4 p;\nvoid main() { gl_Position = p; }\n", 1,
     "Vertex shader failed to compile: 2 errors, 0 warnings.", "'in for stage inputs' : not supported"},
    {"FragmentHasNoGlPosition", "/f", "void main() { gl_Position = vec4(1.0); }\n", 1,
     "Fragment shader failed to compile: 2 errors, 0 warnings.", "'gl_Position' : undeclared identifier"},
    {"WarningStillCompiles", "/v", "#version 110\n#extension GL_LUMENPAD_nothing : warn\nvoid main() { gl_Position = vec4(1.0); }\n",
     0, "Vertex shader compiled: 0 errors, 1 warning.", "WARNING: 0:2: '#extension' : extension not supported"},
    {"Glsl130DeprecationWarning", "/v", "#version 130\nvarying vec4 x;\nvoid main() { gl_Position = x; }\n", 0,
     "Vertex shader compiled: 0 errors, 1 warning.", "varying deprecated in version 130"},
    // A #version line and its profile are honoured.
    {"Glsl330Core", "/v", "#version 330 core\nin vec3 p;\nvoid main() { gl_Position = vec4(p, 1.0); }\n", 0,
     "Vertex shader compiled: 0 errors, 0 warnings.", nullptr},
    {"Glsl330CoreHasNoFtransform", "/v", "#version 330 core\nvoid main() { gl_Position = ftransform(); }\n", 1,
     "Vertex shader failed to compile: 3 errors, 0 warnings.", "'ftransform' : no matching overloaded function"},
    {"Glsl330CompatibilityHasFtransform", "/v", "#version 330 compatibility\nvoid main() { gl_Position = ftransform(); }\n",
     0, "Vertex shader compiled: 0 errors, 0 warnings.", nullptr},
    {"Essl300WithPrecision", "/f", "#version 300 es\nprecision mediump float;\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n",
     0, "Fragment shader compiled: 0 errors, 0 warnings.", nullptr},
    {"Essl300FragmentNeedsPrecision", "/f", "#version 300 es\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n", 1,
     "Fragment shader failed to compile: 2 errors, 0 warnings.", "default precision qualifier"},
    {"UnknownVersion", "/v", "#version 999\nvoid main() {}\n", 1, "Vertex shader failed to compile: 1 error, 0 warnings.",
     "ERROR: version not supported"},
    // The editor saves with CR LF; such a file is as good as one with LF.
    {"CrLfLineEnds", "/v", "#version 110\r\nvoid main()\r\n{\r\n  gl_Position = foo;\r\n}\r\n", 1,
     "Vertex shader failed to compile: 3 errors, 0 warnings.", "ERROR: 0:4: 'foo' : undeclared identifier"},
    {"Latin1InComment", "/f", "// caf\xe9\nvoid main() { gl_FragColor = vec4(1.0); }\n", 0,
     "Fragment shader compiled: 0 errors, 0 warnings.", nullptr},
    {"NulByteIsAnError", "/v", QByteArray("void main() {}\0", 15), 1, "Vertex shader failed to compile: 1 error, 0 warnings.",
     "unexpected token"},
    // glslang accepts an empty compilation unit; only linking would ask for main.
    {"EmptyFile", "/v", "", 0, "Vertex shader compiled: 0 errors, 0 warnings.", nullptr},
    {"OnlyAFunction", "/f", "float twice(float x) { return x * 2.0; }\n", 0,
     "Fragment shader compiled: 0 errors, 0 warnings.", nullptr},
    {"ReservedWord", "/f", "float half(float x) { return x * 0.5; }\n", 1,
     "Fragment shader failed to compile: 2 errors, 0 warnings.", "ERROR: 0:1: 'half' : Reserved word."},
};

INSTANTIATE_TEST_SUITE_P(Shaders, ShaderCheck, ::testing::ValuesIn(kShaderCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- targets and stages ----

const QByteArray kFixedFunctionVertex = "void main()\n{\n    gl_Position = gl_ModelViewMatrix * gl_Vertex;\n}\n";
const QByteArray kVulkanVertex = "#version 450\nlayout(location = 0) out float index;\n"
                                 "void main()\n{\n    index = float(gl_VertexIndex);\n    gl_Position = vec4(0.0);\n}\n";
const QByteArray kEsFragment = "precision mediump float;\nout vec4 colour;\nvoid main()\n{\n    colour = vec4(1.0);\n}\n";
const QByteArray kCompute = "layout(local_size_x = 8) in;\nvoid main()\n{\n}\n";
const QByteArray kGeometry = "layout(points) in;\nlayout(points, max_vertices = 1) out;\n"
                             "void main()\n{\n    gl_Position = gl_in[0].gl_Position;\n    EmitVertex();\n}\n";
const QByteArray kTessControl = "layout(vertices = 3) out;\nvoid main()\n{\n    gl_TessLevelOuter[0] = 1.0;\n}\n";
// Line 3 is wrong on every target; the line number must stay 3 when a #version is put first.
const QByteArray kErrorOnLine3 = "void main()\n{\n    undeclaredThing = 1.0;\n}\n";

struct TargetCase {
    const char* name;
    const char* file;
    QByteArray text;
    const char* target;
    int exitCode;
    const char* logContains; // or nullptr
};

void PrintTo(const TargetCase& c, std::ostream* os) { *os << c.name; }

class TargetCheck : public ::testing::TestWithParam<TargetCase> {};

TEST_P(TargetCheck, VerdictForTheTarget)
{
    const TargetCase& c = GetParam();
    ScopedWorkDir dir;
    const QString file = QString::fromLatin1(c.file);
    WriteBytes(dir.file(file), c.text);
    const ToolRun run = RunTool(dir.path(), {QStringLiteral("--target"), QString::fromLatin1(c.target), file});
    const QStringList logs = QDir(dir.path()).entryList({QStringLiteral("*.log")});
    ASSERT_EQ(logs.size(), 1) << run.standardError.constData();
    const QByteArray log = ReadBytes(dir.file(logs[0]));
    EXPECT_EQ(run.exitCode, c.exitCode) << log.constData();
    if (c.logContains) {
        EXPECT_TRUE(log.contains(c.logContains)) << log.constData();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Targets, TargetCheck,
    ::testing::Values(
        TargetCase{"FixedFunctionOnAuto", "a.vert", kFixedFunctionVertex, "auto", 0, nullptr},
        TargetCase{"FixedFunctionOn120", "a.vert", kFixedFunctionVertex, "gl:120", 0, nullptr},
        TargetCase{"FixedFunctionOnCompat", "a.vert", kFixedFunctionVertex, "gl:150:compat", 0, nullptr},
        TargetCase{"FixedFunctionOnCore", "a.vert", kFixedFunctionVertex, "gl:330:core", 1,
                   "'gl_ModelViewMatrix' : undeclared identifier"},
        TargetCase{"FixedFunctionOnEs", "a.vert", kFixedFunctionVertex, "es:100", 1, "undeclared identifier"},
        TargetCase{"VertexIndexOnVulkan10", "a.vert", kVulkanVertex, "vulkan:1.0", 0, nullptr},
        TargetCase{"VertexIndexOnVulkan13", "a.vert", kVulkanVertex, "vulkan:1.3", 0, nullptr},
        TargetCase{"VertexIndexOnGl450", "a.vert", kVulkanVertex, "gl:450:core", 1, "'gl_VertexIndex' : undeclared"},
        TargetCase{"OwnVersionContradictsTheTarget", "a.vert", kVulkanVertex, "gl:330:core", 1,
                   "ERROR: 0:1: '#version' : the shader says \"#version 450\", the target is gl:330:core"},
        TargetCase{"EsFragmentOnEs300", "a.frag", kEsFragment, "es:300", 0, nullptr},
        TargetCase{"EsFragmentOnGl110", "a.frag", kEsFragment, "gl:110", 1, nullptr},
        TargetCase{"ComputeOnGl430", "a.comp", kCompute, "gl:430:core", 0, nullptr},
        TargetCase{"ComputeOnEs310", "a.comp", kCompute, "es:310", 0, nullptr},
        TargetCase{"ComputeOnGl330", "a.comp", kCompute, "gl:330:core", 1, nullptr},
        TargetCase{"GeometryOnGl150", "a.geom", kGeometry, "gl:150:core", 0, nullptr},
        TargetCase{"TessControlOnGl400", "a.tesc", kTessControl, "gl:400:core", 0, nullptr},
        TargetCase{"LineNumbersKeptDesktop", "a.frag", kErrorOnLine3, "gl:120", 1, "ERROR: 0:3: 'undeclaredThing'"},
        TargetCase{"LineNumbersKeptCore", "a.frag", kErrorOnLine3, "gl:330:core", 1, "ERROR: 0:3: 'undeclaredThing'"},
        TargetCase{"LineNumbersKeptEs", "a.frag", kErrorOnLine3, "es:300", 1, "ERROR: 0:3: 'undeclaredThing'"},
        TargetCase{"StageFromPragma", "a.glsl", "#pragma shader_stage(compute)\n" + kCompute, "gl:430:core", 0,
                   "Compute shader compiled"}),
    [](const auto& info) { return std::string(info.param.name); });

// What the SPIR-V validator says is part of the verdict; one that cannot run is a warning.
TEST(GlslValidateTool, SpirvValidatorFindingsFailTheShader)
{
    ScopedWorkDir dir;
    WriteBytes(dir.file(QStringLiteral("a.vert")), kVulkanVertex);
    const QString fake = dir.file(QStringLiteral("fake-val"));
    WriteBytes(fake, "#!/bin/sh\necho \"error: line 9: bad id\"\nexit 1\n");
    QFile::setPermissions(fake, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QStringList vulkan{QStringLiteral("--target"), QStringLiteral("vulkan:1.1")};

    EXPECT_EQ(RunTool(dir.path(), vulkan + QStringList{"--spirv-val", fake, "a.vert"}).exitCode, 1);
    EXPECT_TRUE(ReadBytes(dir.file(QStringLiteral("vertex.log"))).contains("ERROR: SPIR-V: error: line 9: bad id"));

    EXPECT_EQ(RunTool(dir.path(), vulkan + QStringList{"--spirv-val", dir.file("missing"), "a.vert"}).exitCode, 0);
    EXPECT_TRUE(ReadBytes(dir.file(QStringLiteral("vertex.log"))).contains("WARNING: SPIR-V: warning: SPIR-V not validated"));
}

TEST(GlslValidateTool, EmptyFileLogIsTheVerdictAlone)
{
    ScopedWorkDir dir;
    WriteBytes(dir.file(QStringLiteral("tmp.fs")), "");
    EXPECT_EQ(RunTool(dir.path(), {QStringLiteral("/f"), QStringLiteral("tmp.fs")}).exitCode, 0);
    EXPECT_EQ(ReadBytes(dir.file(QStringLiteral("fragment.log"))), "Fragment shader compiled: 0 errors, 0 warnings.\n");
}

struct SwitchCase {
    const char* stageSwitch;
    const char* logName;
};

class StageSwitch : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(StageSwitch, PicksTheStageAndItsLog)
{
    ScopedWorkDir dir;
    // Valid only as a vertex shader, so the verdict shows which stage was used.
    WriteBytes(dir.file(QStringLiteral("s")), "void main() { gl_Position = vec4(1.0); }\n");
    const ToolRun run = RunTool(dir.path(), {QString::fromLatin1(GetParam().stageSwitch), QStringLiteral("s")});
    const QString logName = QString::fromLatin1(GetParam().logName);
    EXPECT_EQ(DirEntries(dir.path()), Sorted({logName, QStringLiteral("s")}));
    const bool vertex = logName == QStringLiteral("vertex.log");
    EXPECT_EQ(run.exitCode, vertex ? 0 : 1);
    EXPECT_TRUE(ReadBytes(dir.file(logName)).startsWith(vertex ? "Vertex shader compiled" : "ERROR: "));
}

INSTANTIATE_TEST_SUITE_P(Switches, StageSwitch,
                         ::testing::Values(SwitchCase{"/v", "vertex.log"}, SwitchCase{"-v", "vertex.log"},
                                           SwitchCase{"--vertex", "vertex.log"}, SwitchCase{"/f", "fragment.log"},
                                           SwitchCase{"-f", "fragment.log"}, SwitchCase{"--fragment", "fragment.log"}));

class BadUsage : public ::testing::TestWithParam<QStringList> {};

TEST_P(BadUsage, PrintsUsageAndWritesNoLog)
{
    ScopedWorkDir dir;
    WriteBytes(dir.file(QStringLiteral("s")), "void main() {}\n");
    const ToolRun run = RunTool(dir.path(), GetParam());
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.standardError.contains("usage: glslvalidate /v FILE")) << run.standardError.constData();
    EXPECT_EQ(DirEntries(dir.path()), QStringList({QStringLiteral("s")}));
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, BadUsage,
    ::testing::Values(QStringList{}, QStringList{QStringLiteral("/v")}, QStringList{QStringLiteral("s")},
                      QStringList{QStringLiteral("/x"), QStringLiteral("s")},
                      QStringList{QStringLiteral("/V"), QStringLiteral("s")},
                      QStringList{QStringLiteral("v"), QStringLiteral("s")},
                      QStringList{QStringLiteral("/v"), QStringLiteral("s"), QStringLiteral("s")},
                      QStringList{QStringLiteral("s"), QStringLiteral("/v")}));

TEST(GlslValidateTool, MissingFileIsReportedInTheLogWithTheReason)
{
    ScopedWorkDir dir;
    const ToolRun run = RunTool(dir.path(), {QStringLiteral("/v"), QStringLiteral("tmp.vs")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(ReadBytes(dir.file(QStringLiteral("vertex.log"))),
              "ERROR: cannot read tmp.vs: No such file or directory\n"
              "Vertex shader failed to compile: 1 error, 0 warnings.\n");
    EXPECT_TRUE(run.standardError.contains("No such file or directory"));
}

// A FIFO would block the read for ever, a device would never end.
TEST(GlslValidateTool, AnythingButARegularFileIsReportedInTheLogAtOnce)
{
    ScopedWorkDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("tmp.fs")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.file(QStringLiteral("fifo.fs"))).constData(), 0600), 0);
    const std::pair<QString, QByteArray> cases[] = {
        {QStringLiteral("tmp.fs"), "ERROR: cannot read tmp.fs: Is a directory\n"},
        {QStringLiteral("fifo.fs"), "ERROR: cannot read fifo.fs: not a regular file\n"},
        {QStringLiteral("/dev/zero"), "ERROR: cannot read /dev/zero: not a regular file\n"},
    };
    for (const auto& [name, logStart] : cases) {
        EXPECT_EQ(RunTool(dir.path(), {QStringLiteral("/f"), name}).exitCode, 2);
        EXPECT_TRUE(ReadBytes(dir.file(QStringLiteral("fragment.log"))).startsWith(logStart)) << name.toStdString();
    }
}

TEST(GlslValidateTool, ALaterRunReplacesTheLogAndLeavesTheOtherStagesLog)
{
    ScopedWorkDir dir;
    WriteBytes(dir.file(QStringLiteral("fragment.log")), "earlier fragment run\n");
    WriteBytes(dir.file(QStringLiteral("s")), "void main() { gl_Position = foo; }\n");
    EXPECT_EQ(RunTool(dir.path(), {QStringLiteral("/v"), QStringLiteral("s")}).exitCode, 1);
    const QByteArray failedLog = ReadBytes(dir.file(QStringLiteral("vertex.log")));

    WriteBytes(dir.file(QStringLiteral("s")), "void main() { gl_Position = vec4(0.0); }\n");
    EXPECT_EQ(RunTool(dir.path(), {QStringLiteral("/v"), QStringLiteral("s")}).exitCode, 0);
    EXPECT_EQ(ReadBytes(dir.file(QStringLiteral("vertex.log"))), "Vertex shader compiled: 0 errors, 0 warnings.\n");
    EXPECT_NE(failedLog, ReadBytes(dir.file(QStringLiteral("vertex.log"))));
    EXPECT_EQ(ReadBytes(dir.file(QStringLiteral("fragment.log"))), "earlier fragment run\n");
}

TEST(GlslValidateTool, LogThatCannotBeWrittenGivesExitTwoAndKeepsWhatIsThere)
{
    ScopedWorkDir dir;
    WriteBytes(dir.file(QStringLiteral("s")), "void main() { gl_Position = vec4(0.0); }\n");
    // A directory in the log's place cannot be replaced by a file, whoever runs the test.
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("vertex.log/inside")));
    const ToolRun run = RunTool(dir.path(), {QStringLiteral("/v"), QStringLiteral("s")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.standardError.contains("cannot write vertex.log")) << run.standardError.constData();
    EXPECT_TRUE(QFileInfo(dir.file(QStringLiteral("vertex.log/inside"))).isDir());
    EXPECT_EQ(DirEntries(dir.path()), QStringList({QStringLiteral("s"), QStringLiteral("vertex.log")}));
}

TEST(GlslValidateTool, LogFollowsTheUmaskLikeAnyNewFile)
{
    ScopedWorkDir dir;
    WriteBytes(dir.file(QStringLiteral("s")), "");
    ASSERT_EQ(RunTool(dir.path(), {QStringLiteral("/v"), QStringLiteral("s")}).exitCode, 0);
    const QFile::Permissions p = QFileInfo(dir.file(QStringLiteral("vertex.log"))).permissions();
    EXPECT_TRUE(p & QFileDevice::ReadOwner);
    EXPECT_TRUE(p & QFileDevice::WriteOwner);
    EXPECT_FALSE(p & QFileDevice::ExeOwner);
    // The test runs with the usual umask 022 or similar, under which a file is readable by others.
    EXPECT_EQ(bool(p & QFileDevice::ReadOther), bool(QFileInfo(dir.file(QStringLiteral("s"))).permissions() & QFileDevice::ReadOther));
}

} // namespace
