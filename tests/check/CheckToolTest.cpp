// lumenpad-check run as a program on real shaders, with the real glslvalidate next to it and
// the installed driver reached headless.

#include "ShaderChecks.h"
#include "TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

const QByteArray kVertex = "varying vec4 colour;\n"
                           "void main()\n"
                           "{\n"
                           "    colour = gl_Color;\n"
                           "    gl_Position = ftransform();\n"
                           "}\n";
const QByteArray kFragment = "varying vec4 colour;\n"
                             "void main()\n"
                             "{\n"
                             "    gl_FragColor = colour;\n"
                             "}\n";
// Fine alone, but it reads a varying the vertex shader above does not write.
const QByteArray kMismatchedFragment = "varying vec3 tint;\n"
                                       "void main()\n"
                                       "{\n"
                                       "    gl_FragColor = vec4(tint, 1.0);\n"
                                       "}\n";
// One error, on line 4.
const QByteArray kBrokenVertex = "varying vec4 colour;\n"
                                 "void main()\n"
                                 "{\n"
                                 "    colour = gl_Color * undeclaredScale;\n"
                                 "    gl_Position = ftransform();\n"
                                 "}\n";

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;

    QStringList outLines() const { return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
    // The "== ..." lines that open each check's output, without their "== ".
    QStringList titles() const
    {
        QStringList result;
        for (const QString& line : outLines())
            if (line.startsWith(QLatin1String("== ")))
                result.append(line.mid(3));
        return result;
    }
};

ToolRun RunTool(const QString& workDir, const QStringList& arguments,
                const QString& program = ProgramDirPath(QStringLiteral("lumenpad-check")))
{
    QProcess process;
    process.setWorkingDirectory(workDir);
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        throw std::runtime_error("lumenpad-check did not end normally");
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

class CheckTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteBytes(dir_.file(QStringLiteral("shader.vert")), kVertex);
        WriteBytes(dir_.file(QStringLiteral("shader.frag")), kFragment);
    }

    void write(const QString& name, const QByteArray& text) { WriteBytes(dir_.file(name), text); }

    // Skips where EGL offers no headless display: the driver checks cannot run there.
    ToolRun run(const QStringList& arguments)
    {
        ToolRun result = RunTool(dir_.path(), arguments);
        if (result.exitCode == 2 && result.err.contains(QString::fromLatin1(kNoHeadlessDisplayMessage)))
            skipped_ = true;
        return result;
    }
    bool skipped() const { return skipped_; }

    ScopedWorkDir dir_;

private:
    bool skipped_ = false;
};

#define SKIP_WITHOUT_DRIVER()                                                                                          \
    if (skipped())                                                                                                     \
    GTEST_SKIP() << "EGL offers no headless display here"

TEST_F(CheckTool, ValidPairPassesAndShowsEveryKindOfHeader)
{
    const ToolRun r = run({QStringLiteral("shader.vert"), QStringLiteral("shader.frag")});
    SKIP_WITHOUT_DRIVER();
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(r.titles(), QStringList({"glslValidate: shader.vert", "glslValidate: shader.frag", "driver: shader.vert",
                                       "driver: shader.frag", "driver link: shader.vert + shader.frag"}));
    // A check that found nothing says so in one line; a summary line ends the output.
    const QStringList lines = r.outLines();
    EXPECT_EQ(lines.count(QStringLiteral("clean: no errors, no warnings")), 5) << r.out.toStdString();
    EXPECT_EQ(lines.size(), 11);
    EXPECT_EQ(lines.last(), QStringLiteral("2 files, 0 errors, 0 warnings"));
    // The validator ran elsewhere: nothing is left behind in the working directory.
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              QStringList({"shader.frag", "shader.vert"}));
}

TEST_F(CheckTool, BrokenVertexShaderFailsAndShowsTheErrorLine)
{
    write(QStringLiteral("broken.vert"), kBrokenVertex);
    const ToolRun r = run({QStringLiteral("broken.vert"), QStringLiteral("shader.frag")});
    SKIP_WITHOUT_DRIVER();
    EXPECT_EQ(r.exitCode, 1) << r.out.toStdString();
    const QStringList lines = r.outLines();
    // glslang's line under the validator's title, the driver's under the driver's.
    const qsizetype validator = lines.indexOf(QStringLiteral("== glslValidate: broken.vert"));
    const qsizetype driver = lines.indexOf(QStringLiteral("== driver: broken.vert"));
    ASSERT_GE(validator, 0);
    ASSERT_GT(driver, validator);
    const auto firstStartingWith = [&](const QString& prefix) {
        for (qsizetype i = 0; i < lines.size(); ++i)
            if (lines[i].startsWith(prefix))
                return i;
        return qsizetype(-1);
    };
    // The driver's error on the same line is shown once, with glslang's, naming both checks.
    const qsizetype glslangError = firstStartingWith(QStringLiteral("ERROR: 0:4: 'undeclaredScale'"));
    ASSERT_GT(glslangError, validator) << r.out.toStdString();
    EXPECT_TRUE(lines[glslangError].endsWith(QLatin1String("[validator, driver, link]"))) << lines[glslangError].toStdString();
    EXPECT_EQ(firstStartingWith(QStringLiteral("0:4(")), -1) << r.out.toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^2 files, [1-9]\d* errors?, 0 warnings$)")).match(lines.last()).hasMatch())
        << lines.last().toStdString();
}

TEST_F(CheckTool, BrokenFragmentShaderFailsEachCheckOnItsOwn)
{
    write(QStringLiteral("broken.frag"), "void main()\n{\n    gl_FragColor = vec4(missing);\n}\n");
    for (const char* check : {"--validator", "--driver", "--link"}) {
        const ToolRun r = run({QString::fromLatin1(check), QStringLiteral("shader.vert"), QStringLiteral("broken.frag")});
        SKIP_WITHOUT_DRIVER();
        EXPECT_EQ(r.exitCode, 1) << check << "\n" << r.out.toStdString();
    }
}

TEST_F(CheckTool, MismatchedVaryingsFailOnlyTheLinkCheck)
{
    write(QStringLiteral("tint.frag"), kMismatchedFragment);
    const ToolRun alone = run({QStringLiteral("--validator"), QStringLiteral("--driver"), QStringLiteral("shader.vert"),
                               QStringLiteral("tint.frag")});
    SKIP_WITHOUT_DRIVER();
    EXPECT_EQ(alone.exitCode, 0) << alone.out.toStdString();

    const ToolRun linked = run({QStringLiteral("--link"), QStringLiteral("shader.vert"), QStringLiteral("tint.frag")});
    EXPECT_EQ(linked.exitCode, 1) << linked.out.toStdString();
    EXPECT_EQ(linked.titles(), QStringList({"driver link: shader.vert + tint.frag"}));
    const QStringList lines = linked.outLines();
    const qsizetype program = lines.indexOf(QStringLiteral("Program object..."));
    ASSERT_GE(program, 0);
    ASSERT_GT(lines.size(), program + 1) << "the link log is missing";
    EXPECT_TRUE(lines[program + 1].contains(QLatin1String("tint"))) << lines[program + 1].toStdString();

    const ToolRun all = run({QStringLiteral("shader.vert"), QStringLiteral("tint.frag")});
    EXPECT_EQ(all.exitCode, 1);
}

TEST_F(CheckTool, WarningsAloneDoNotFail)
{
    write(QStringLiteral("warns.vert"), "#version 110\n#extension GL_FOO_bar : warn\nvoid main() { gl_Position = gl_Vertex; }\n");
    const ToolRun r = run({QStringLiteral("--validator"), QStringLiteral("--driver"), QStringLiteral("warns.vert"),
                           QStringLiteral("shader.frag")});
    SKIP_WITHOUT_DRIVER();
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString();
    bool glslangWarning = false;
    bool driverWarning = false;
    for (const QString& line : r.outLines()) {
        glslangWarning = glslangWarning || line.startsWith(QLatin1String("WARNING: 0:2:"));
        driverWarning = driverWarning || (line.startsWith(QLatin1String("WARNING: 0:2:")) && line.endsWith(QLatin1String("[validator, driver]")));
    }
    EXPECT_TRUE(glslangWarning) << r.out.toStdString();
    EXPECT_TRUE(driverWarning) << r.out.toStdString();
}

TEST_F(CheckTool, FilesAreReadAsTheEditorReadsThem)
{
    // CR LF line ends and a Latin-1 comment; the error stays on line 5 for both compilers,
    // and no CR reaches the output.
    write(QStringLiteral("crlf.vert"), "// caf\xe9\r\nvoid main()\r\n{\r\n    gl_Position = gl_Vertex;\r\n"
                                       "    undefinedCall();\r\n}\r\n");
    const ToolRun r = run({QStringLiteral("--validator"), QStringLiteral("--driver"), QStringLiteral("crlf.vert"),
                           QStringLiteral("shader.frag")});
    SKIP_WITHOUT_DRIVER();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(r.out.contains(QLatin1Char('\r')));
    bool glslangError = false;
    bool driverError = false;
    for (const QString& line : r.outLines()) {
        glslangError = glslangError || line.startsWith(QLatin1String("ERROR: 0:5: 'undefinedCall'"));
        driverError = driverError || (line.startsWith(QLatin1String("ERROR: 0:5: 'undefinedCall'"))
                                      && line.endsWith(QLatin1String("[validator, driver]")));
    }
    EXPECT_TRUE(glslangError) << r.out.toStdString();
    EXPECT_TRUE(driverError) << r.out.toStdString();
}

struct SelectionCase {
    const char* name;
    QStringList options;
    QStringList titles;
};

void PrintTo(const SelectionCase& c, std::ostream* os) { *os << c.name; }

class CheckSelection : public CheckTool, public ::testing::WithParamInterface<SelectionCase> {};

TEST_P(CheckSelection, RunsTheChecksAskedFor)
{
    const ToolRun r = run(GetParam().options + QStringList{"shader.vert", "shader.frag"});
    SKIP_WITHOUT_DRIVER();
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.titles(), GetParam().titles);
}

INSTANTIATE_TEST_SUITE_P(
    Options, CheckSelection,
    ::testing::Values(
        SelectionCase{"validator", {"--validator"}, {"glslValidate: shader.vert", "glslValidate: shader.frag"}},
        SelectionCase{"driver", {"--driver"}, {"driver: shader.vert", "driver: shader.frag"}},
        SelectionCase{"link", {"--link"}, {"driver link: shader.vert + shader.frag"}},
        SelectionCase{"link_and_validator",
                      {"--link", "--validator"},
                      {"glslValidate: shader.vert", "glslValidate: shader.frag", "driver link: shader.vert + shader.frag"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CheckTool, FileNamesMayStartWithADashAfterTheEndOfOptions)
{
    QFile::rename(dir_.file(QStringLiteral("shader.vert")), dir_.file(QStringLiteral("-odd.vert")));
    const ToolRun r = run({QStringLiteral("--validator"), QStringLiteral("--"), QStringLiteral("-odd.vert"),
                           QStringLiteral("shader.frag")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.titles(), QStringList({"glslValidate: -odd.vert", "glslValidate: shader.frag"}));
}

TEST_F(CheckTool, HelpDescribesTheUsage)
{
    const ToolRun r = run({QStringLiteral("--help")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.startsWith(QLatin1String("Usage: lumenpad-check [OPTIONS] FILE...\n")))
        << r.out.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
}

struct UsageCase {
    const char* name;
    QStringList arguments;
};

void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.name; }

class BadUsage : public CheckTool, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(BadUsage, ExitsWithTwoAndSaysWhy)
{
    const ToolRun r = run(GetParam().arguments);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    EXPECT_TRUE(r.err.startsWith(QLatin1String("lumenpad-check: "))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QLatin1String("--help"))) << r.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(CommandLines, BadUsage,
                         ::testing::Values(UsageCase{"no_arguments", {}},
                                           UsageCase{"unknown_option", {"--verbose", "shader.vert", "shader.frag"}},
                                           UsageCase{"dash_for_a_file", {"shader.vert", "-"}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CheckTool, MissingFileExitsWithTwoBeforeAnyCheck)
{
    const ToolRun r = run({QStringLiteral("shader.vert"), QStringLiteral("absent.frag")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.out.isEmpty()) << "no check may run: " << r.out.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("Datei %1 kann nicht geöffnet werden.").arg(dir_.file(QStringLiteral("absent.frag")))))
        << r.err.toStdString();
}

// gl_Position = vec4(1.0+1.0+...): deep enough to overflow the stack of Mesa's compiler.
TEST_F(CheckTool, DriverCrashExitsWithTwoAndNamesTheCheck)
{
    QByteArray sum = "1.0";
    for (int i = 1; i < 20000; ++i)
        sum += "+1.0";
    write(QStringLiteral("deep.vert"), "void main()\n{\n  gl_Position = vec4(" + sum + ");\n}\n");
    const ToolRun r = run({QStringLiteral("--driver"), QStringLiteral("shader.vert"), QStringLiteral("deep.vert")});
    if (skipped())
        GTEST_SKIP() << "no headless display";
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("lumenpad-check: the OpenGL driver crashed in the check driver: deep.vert (signal ")))
        << r.err.toStdString();
}

TEST_F(CheckTool, FileTheEditorWouldRefuseExitsWithTwo)
{
    write(QStringLiteral("nul.vert"), QByteArray("void main()\0{}\n", 15));
    const ToolRun r = run({QStringLiteral("nul.vert"), QStringLiteral("shader.frag")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    EXPECT_TRUE(r.err.contains(dir_.file(QStringLiteral("nul.vert")))) << r.err.toStdString();
}

TEST_F(CheckTool, DirectoryInsteadOfFileExitsWithTwo)
{
    QDir(dir_.path()).mkdir(QStringLiteral("sub"));
    const ToolRun r = run({QStringLiteral("sub"), QStringLiteral("shader.frag")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
}

// A copy of the program in a directory without glslvalidate: the validator check cannot run,
// the driver checks still can.
TEST_F(CheckTool, ValidatorMissingBesideTheProgram)
{
    ScopedWorkDir elsewhere;
    const QString copy = elsewhere.file(QStringLiteral("lumenpad-check"));
    ASSERT_TRUE(QFile::copy(ProgramDirPath(QStringLiteral("lumenpad-check")), copy));
    const QStringList files{dir_.file(QStringLiteral("shader.vert")), dir_.file(QStringLiteral("shader.frag"))};

    const ToolRun validator = RunTool(elsewhere.path(), QStringList{"--validator"} + files, copy);
    EXPECT_EQ(validator.exitCode, 2);
    EXPECT_TRUE(validator.out.isEmpty()) << validator.out.toStdString();
    EXPECT_TRUE(validator.err.contains(QLatin1String("glslvalidate is not in ") + elsewhere.path()))
        << validator.err.toStdString();

    const ToolRun driver = RunTool(elsewhere.path(), QStringList{"--driver"} + files, copy);
    if (driver.exitCode == 2 && driver.err.contains(QString::fromLatin1(kNoHeadlessDisplayMessage)))
        GTEST_SKIP() << "EGL offers no headless display here";
    EXPECT_EQ(driver.exitCode, 0) << driver.err.toStdString();
}

// ---- any stage, any target ----

const QByteArray kTessVertex = "layout(location = 0) in vec4 p;\nvoid main() { gl_Position = p; }\n";
const QByteArray kTessControl = "layout(vertices = 3) out;\nvoid main()\n{\n"
                                "    gl_out[gl_InvocationID].gl_Position = gl_in[gl_InvocationID].gl_Position;\n"
                                "    gl_TessLevelOuter[0] = 1.0;\n    gl_TessLevelOuter[1] = 1.0;\n"
                                "    gl_TessLevelOuter[2] = 1.0;\n    gl_TessLevelInner[0] = 1.0;\n}\n";
const QByteArray kTessEvaluation = "layout(triangles) in;\nvoid main()\n{\n    gl_Position = gl_in[0].gl_Position * "
                                   "gl_TessCoord.x + gl_in[1].gl_Position * gl_TessCoord.y + gl_in[2].gl_Position * "
                                   "gl_TessCoord.z;\n}\n";
const QByteArray kCoreFragment = "out vec4 colour;\nvoid main() { colour = vec4(1.0); }\n";
const QByteArray kGeometry = "layout(points) in;\nlayout(points, max_vertices = 1) out;\n"
                             "void main()\n{\n    gl_Position = gl_in[0].gl_Position;\n    EmitVertex();\n}\n";
const QByteArray kCompute = "layout(local_size_x = 8) in;\nvoid main()\n{\n}\n";
const QByteArray kVulkanVertex = "#version 450\nlayout(location = 0) out float index;\n"
                                 "void main()\n{\n    index = float(gl_VertexIndex);\n    gl_Position = vec4(0.0);\n}\n";
const QByteArray kFixedFunctionVertex = "void main()\n{\n    gl_Position = gl_ModelViewMatrix * gl_Vertex;\n}\n";

struct StagesCase {
    const char* name;
    QList<std::pair<const char*, QByteArray>> files;
    QStringList arguments; // the files follow
    int exitCode;
    const char* outContains; // or nullptr
};

void PrintTo(const StagesCase& c, std::ostream* os) { *os << c.name; }

class StagesAndTargets : public CheckTool, public ::testing::WithParamInterface<StagesCase> {};

TEST_P(StagesAndTargets, CheckedOnTheRealValidatorAndDriver)
{
    const StagesCase& c = GetParam();
    QStringList arguments = c.arguments;
    for (const auto& [name, text] : c.files) {
        write(QString::fromLatin1(name), text);
        arguments << QString::fromLatin1(name);
    }
    const ToolRun r = run(arguments);
    SKIP_WITHOUT_DRIVER();
    EXPECT_EQ(r.exitCode, c.exitCode) << r.out.toStdString() << r.err.toStdString();
    if (c.outContains) {
        EXPECT_TRUE(r.out.contains(QString::fromUtf8(c.outContains))) << r.out.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, StagesAndTargets,
    ::testing::Values(
        StagesCase{"Geometry", {{"g.geom", kGeometry}}, {"--target", "gl:150:core"}, 0,
                   "== driver [gl:150:core]: g.geom\nclean: no errors, no warnings"},
        StagesCase{"TessellationPipelineInAnyOrder",
                   {{"t.frag", kCoreFragment}, {"t.tese", kTessEvaluation}, {"t.vert", kTessVertex}, {"t.tesc", kTessControl}},
                   {"--target", "gl:400:core"}, 0, "driver link [gl:400:core]: t.vert + t.tesc + t.tese + t.frag"},
        StagesCase{"ComputeOnDesktopAndEs", {{"c.comp", kCompute}}, {"--target", "gl:430:core", "--target", "es:310"}, 0,
                   "== driver [es:310]: c.comp\nclean: no errors, no warnings"},
        StagesCase{"PairGivenFragmentFirst", {{"p.frag", kFragment}, {"p.vert", kVertex}}, {}, 0,
                   "driver link: p.vert + p.frag"},
        StagesCase{"VertexIndexOnVulkan", {{"v.vert", kVulkanVertex}}, {"--target", "vulkan:1.0"}, 0,
                   "the driver check does not apply"},
        StagesCase{"VertexIndexOnCore", {{"v.vert", kVulkanVertex}}, {"--target", "gl:330:core"}, 1, nullptr},
        StagesCase{"CoreContextRefusesFixedFunction", {{"m.vert", kFixedFunctionVertex}}, {"--driver", "--target", "gl:330:core"},
                   1, "Core Profile"},
        StagesCase{"AutoAcceptsFixedFunction", {{"m.vert", kFixedFunctionVertex}}, {"--driver"}, 0, nullptr},
        StagesCase{"EsContextForAnEsTarget", {{"e.frag", "precision mediump float;\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n"}},
                   {"--driver", "--format", "json", "--target", "es:300"}, 0, "\"version\": \"OpenGL ES 3"},
        StagesCase{"MatrixForSeveralTargets", {{"m.vert", kFixedFunctionVertex}}, {"-j", "2", "--target", "all"}, 1,
                   "gl:330:core   FAILED     FAILED     ERROR: 0:3: 'gl_ModelViewMatrix' : undeclared identifier"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- includes and the formats for machines ----

class IncludedError : public CheckTool {
protected:
    void SetUp() override
    {
        CheckTool::SetUp();
        const QString from = SourcePath(QStringLiteral("tests/check/fixtures/includes/shaders"));
        QDir().mkpath(dir_.file(QStringLiteral("shaders/lib")));
        for (const char* name : {"main.frag", "lib/common.glsl", "lib/noise.glsl"})
            ASSERT_TRUE(QFile::copy(from + QLatin1Char('/') + QLatin1String(name),
                                    dir_.file(QStringLiteral("shaders/") + QLatin1String(name))));
    }
    ToolRun check(const QStringList& format) { return run(format + QStringList{QStringLiteral("shaders/main.frag")}); }
};

// The planted error is on line 4 of lib/noise.glsl, two includes down.
TEST_F(IncludedError, EveryFormatNamesTheIncludedFileAndLine)
{
    const ToolRun gcc = check({"--format", "gcc"});
    SKIP_WITHOUT_DRIVER();
    EXPECT_EQ(gcc.exitCode, 1);
    EXPECT_TRUE(gcc.out.startsWith(QLatin1String("shaders/lib/noise.glsl:4:1: error: 'plantedError' : undeclared "
                                                 "identifier [validator, driver]\n")))
        << gcc.out.toStdString();
    for (const QString& line : gcc.outLines())
        EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^[^:]+(:\d+:\d+)?: (error|warning|note): .+ \[[a-z, ]+\]$)"))
                        .match(line).hasMatch()) << line.toStdString();

    const ToolRun human = check({});
    EXPECT_TRUE(human.out.contains(QLatin1String("ERROR: shaders/lib/noise.glsl:4: 'plantedError' : undeclared identifier")))
        << human.out.toStdString();
    EXPECT_TRUE(human.outLines().last().startsWith(QLatin1String("1 file, "))) << human.out.toStdString();

    // The driver alone, whose messages are mapped back from the expanded text.
    const ToolRun driver = check({"--driver", "--format", "gcc"});
    EXPECT_TRUE(driver.out.contains(QLatin1String("shaders/lib/noise.glsl:4:"))) << driver.out.toStdString();
    EXPECT_FALSE(driver.out.contains(QLatin1String("shaders/main.frag:4:"))) << driver.out.toStdString();

    const ToolRun sarif = check({"--format", "sarif"});
    const QJsonObject root = QJsonDocument::fromJson(sarif.out.toUtf8()).object();
    EXPECT_EQ(root[QStringLiteral("version")].toString(), QStringLiteral("2.1.0"));
    EXPECT_FALSE(root[QStringLiteral("$schema")].toString().isEmpty());
    const QJsonObject run0 = root[QStringLiteral("runs")].toArray().at(0).toObject();
    const QJsonObject tool = run0[QStringLiteral("tool")].toObject()[QStringLiteral("driver")].toObject();
    EXPECT_EQ(tool[QStringLiteral("name")].toString(), QStringLiteral("lumenpad-check"));
    QStringList rules;
    for (const QJsonValue& rule : tool[QStringLiteral("rules")].toArray())
        rules << rule.toObject()[QStringLiteral("id")].toString();
    const QJsonArray results = run0[QStringLiteral("results")].toArray();
    ASSERT_FALSE(results.isEmpty()) << sarif.out.toStdString();
    for (const QJsonValue& value : results) {
        const QJsonObject result = value.toObject();
        EXPECT_TRUE(rules.contains(result[QStringLiteral("ruleId")].toString()));
        EXPECT_TRUE(QStringList({"error", "warning", "note"}).contains(result[QStringLiteral("level")].toString()));
        EXPECT_FALSE(result[QStringLiteral("message")].toObject()[QStringLiteral("text")].toString().isEmpty());
        const QJsonObject location =
            result[QStringLiteral("locations")].toArray().at(0).toObject()[QStringLiteral("physicalLocation")].toObject();
        const QString uri = location[QStringLiteral("artifactLocation")].toObject()[QStringLiteral("uri")].toString();
        EXPECT_TRUE(uri.startsWith(QLatin1String("shaders/"))) << uri.toStdString();
        EXPECT_GE(location[QStringLiteral("region")].toObject()[QStringLiteral("startLine")].toInt(), 1);
    }
    const QJsonObject first = results.at(0).toObject()[QStringLiteral("locations")].toArray().at(0).toObject();
    EXPECT_EQ(first[QStringLiteral("physicalLocation")].toObject()[QStringLiteral("artifactLocation")].toObject()
                  [QStringLiteral("uri")].toString(),
              QStringLiteral("shaders/lib/noise.glsl"));
}

// The verdict equals glslang's own tool on the same shader flattened by hand.
TEST_F(IncludedError, VerdictEqualsGlslangOnTheFlattenedShader)
{
    const QByteArray noise = ReadBytes(dir_.file(QStringLiteral("shaders/lib/noise.glsl")));
    const QByteArray flattened = "#version 330 core\n// shading helpers\n" + noise
                               + "float shade(vec2 p)\n{\n    return noise(p) * 0.5;\n}\n"
                                 "out vec4 colour;\nvoid main()\n{\n    colour = vec4(shade(vec2(0.5)));\n}\n";
    write(QStringLiteral("flat.frag"), flattened);
    QProcess reference;
    reference.setWorkingDirectory(dir_.path());
    reference.start(QStringLiteral("glslangValidator"), {QStringLiteral("flat.frag")});
    ASSERT_TRUE(reference.waitForFinished(30000));
    const ToolRun ours = check({"--validator"});
    EXPECT_EQ(ours.exitCode != 0, reference.exitCode() != 0);

    // Fixed, both agree it compiles.
    write(QStringLiteral("shaders/lib/noise.glsl"), "float noise(vec2 p)\n{\n    return p.x;\n}\n");
    EXPECT_EQ(check({"--validator"}).exitCode, 0);
}

TEST_F(CheckTool, WarningsFailWithWerror)
{
    write(QStringLiteral("warns.vert"), "#version 110\n#extension GL_FOO_bar : warn\nvoid main() { gl_Position = gl_Vertex; }\n");
    EXPECT_EQ(run({QStringLiteral("--validator"), QStringLiteral("warns.vert")}).exitCode, 0);
    EXPECT_EQ(run({QStringLiteral("--validator"), QStringLiteral("--werror"), QStringLiteral("warns.vert")}).exitCode, 1);
}

// The shared validator runner's time limit, from the command line: a validator that starts a
// child and hangs is stopped together with everything it started.
TEST_F(CheckTool, TimeLimitStopsTheValidatorAndWhatItStarted)
{
    ScopedWorkDir elsewhere;
    const QString copy = elsewhere.file(QStringLiteral("lumenpad-check"));
    ASSERT_TRUE(QFile::copy(ProgramDirPath(QStringLiteral("lumenpad-check")), copy));
    const QString pidFile = elsewhere.file(QStringLiteral("child.pid"));
    const QString fake = elsewhere.file(QStringLiteral("glslvalidate"));
    WriteBytes(fake, "#!/bin/sh\nsleep 1000 &\necho $! > '" + pidFile.toUtf8() + "'\nwait\n");
    ASSERT_TRUE(QFile::setPermissions(fake, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QStringList files{dir_.file(QStringLiteral("shader.vert")), dir_.file(QStringLiteral("shader.frag"))};

    QElapsedTimer clock;
    clock.start();
    const ToolRun r = RunTool(elsewhere.path(), QStringList{"--validator", "--timeout", "2"} + files, copy);
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(QLatin1String("glslvalidate did not finish within 2 seconds and was stopped")))
        << r.err.toStdString();
    bool ok = false;
    const qint64 child = QString::fromLatin1(ReadBytes(pidFile)).trimmed().toLongLong(&ok);
    ASSERT_TRUE(ok);
    EXPECT_TRUE(ProcessGone(child)) << "the validator's child still runs";
}

} // namespace
