// #include expanded for compilers that have none: files found, errors that name the chain,
// and drivers' messages put back where their lines came from.
#include "IncludeExpander.h"

#include "TestFiles.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

class Includes : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(dir.path()).mkpath(QStringLiteral("shaders/lib"));
        QDir(dir.path()).mkpath(QStringLiteral("shared"));
        write("shaders/main.frag", "#version 330 core\n#include \"lib/common.glsl\"\nout vec4 c;\nvoid main() {}\n");
        write("shaders/lib/common.glsl", "// helpers\n#include <noise.glsl>\nfloat shade();\n");
        write("shaders/lib/noise.glsl", "float noise()\n{\n    return broken;\n}\n");
        write("shared/extra.glsl", "float extra();\n");
    }
    void write(const char* name, const QByteArray& text) { WriteBytes(dir.file(QString::fromLatin1(name)), text); }
    ExpandedShader expand(const char* name, LineForm form, IncludeSettings settings = {})
    {
        const QString path = dir.file(QString::fromLatin1(name));
        return ExpandIncludes(QString::fromUtf8(ReadBytes(path)), path, settings, form, true);
    }

    ScopedWorkDir dir;
};

TEST_F(Includes, NestedFilesAreFoundBesideTheirIncluderAndLinesMapBack)
{
    const ExpandedShader mapped = expand("shaders/main.frag", LineForm::Mapped);
    ASSERT_TRUE(mapped.error.isEmpty()) << mapped.error.toStdString();
    ASSERT_EQ(mapped.files.size(), 3);
    EXPECT_TRUE(mapped.files[2].endsWith(QLatin1String("shaders/lib/noise.glsl")));
    const QStringList lines = mapped.text.split(QLatin1Char('\n'));
    const int broken = int(lines.indexOf(QStringLiteral("    return broken;"))) + 1;
    ASSERT_GT(broken, 0);
    // A driver's message about that line names noise.glsl, line 3; one about the page stays "0".
    EXPECT_EQ(MapLogLine(QStringLiteral("0:%1(12): error: `broken' undeclared").arg(broken), mapped),
              mapped.files[2] + QStringLiteral(":3(12): error: `broken' undeclared"));
    const int out = int(lines.indexOf(QStringLiteral("out vec4 c;"))) + 1;
    EXPECT_EQ(MapLogLine(QStringLiteral("0(%1) : error C0000: x").arg(out), mapped), QStringLiteral("0(3) : error C0000: x"));
    EXPECT_EQ(MapLogLine(QStringLiteral("error: linking failed"), mapped), QStringLiteral("error: linking failed"));

    const ExpandedShader named = expand("shaders/main.frag", LineForm::Named);
    EXPECT_TRUE(named.text.startsWith(QStringLiteral("#version 330 core\n#extension GL_GOOGLE_cpp_style_line_directive")));
    EXPECT_TRUE(named.text.contains(QStringLiteral("#line 1 \"") + named.files[2] + QLatin1Char('"')));
}

struct FailureCase {
    const char* name;
    const char* mainText;
    const char* expected; // in the error
};

TEST_F(Includes, FailuresNameTheChain)
{
    write("shaders/lib/loop.glsl", "#include \"../loop.frag\"\n");
    write("shaders/loop.frag", "#include \"lib/loop.glsl\"\n");
    QByteArray deep = "void f0();\n";
    for (int i = 1; i <= 70; ++i)
        write(qPrintable(QStringLiteral("shaders/d%1.glsl").arg(i)), QStringLiteral("#include \"d%1.glsl\"\n").arg(i + 1).toUtf8());
    write("shaders/d71.glsl", deep);
    const FailureCase cases[] = {
        {"missing", "void main() {}\n#include \"lib/absent.glsl\"\n", "ERROR: 0:2: '#include' : cannot find \"lib/absent.glsl\""},
        {"cycle", "#include \"lib/loop.glsl\"\n", "includes itself"},
        {"too deep", "#include \"d1.glsl\"\n", "nested deeper than 64"},
    };
    for (const FailureCase& c : cases) {
        write("shaders/case.frag", c.mainText);
        const ExpandedShader e = expand("shaders/case.frag", LineForm::Mapped);
        EXPECT_TRUE(e.error.contains(QString::fromUtf8(c.expected))) << c.name << ": " << e.error.toStdString();
    }
    write("shaders/case.frag", "#include \"lib/loop.glsl\"\n");
    EXPECT_TRUE(expand("shaders/case.frag", LineForm::Named).error.contains(QLatin1String("case.frag:1 -> ")));
}

TEST_F(Includes, IncludePathsComeAfterTheIncludersFolderAndMacrosAreDefined)
{
    write("shaders/uses-extra.frag", "#version 330 core\n#include \"extra.glsl\"\nvoid main() {}\n");
    EXPECT_FALSE(expand("shaders/uses-extra.frag", LineForm::Mapped).error.isEmpty());
    IncludeSettings settings;
    settings.includePaths = {dir.file(QStringLiteral("shared"))};
    settings.defines = {{QStringLiteral("QUALITY"), QStringLiteral("2")}, {QStringLiteral("FAST"), QString()}};
    const ExpandedShader e = expand("shaders/uses-extra.frag", LineForm::Mapped, settings);
    ASSERT_TRUE(e.error.isEmpty()) << e.error.toStdString();
    EXPECT_TRUE(e.text.contains(QStringLiteral("float extra();")));
    EXPECT_TRUE(e.text.startsWith(QStringLiteral("#version 330 core\n#define QUALITY 2\n#define FAST\n")));
    // Without #include or macros the text is the page as it stands.
    const QString plain = QStringLiteral("void main() {}\n");
    EXPECT_FALSE(ExpandIncludes(plain, {}, {}, LineForm::Named, false).changed);
}

} // namespace
