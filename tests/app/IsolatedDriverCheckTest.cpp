// The driver checks run in the helper process: a shader that crashes or exhausts the driver's
// compiler costs one panel line and nothing of the editor, and a shader the driver takes well
// shows exactly the lines the same check shows in the editor's own context.
#include "WindowFixture.h"

#include "DriverRequest.h"
#include "SanitizerBuild.h"
#include "ShaderEditor.h"

#include <QComboBox>
#include <QFile>
#include <QToolButton>
#include <gmock/gmock.h>

#include <cerrno>
#include <csignal>


namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;

const QString kUnaffected = QStringLiteral("so the editor and its pages are unaffected.");
const char* kVertex = "void main()\n{\n  gl_Position = ftransform();\n}\n";
const char* kFragment = "void main()\n{\n  gl_FragColor = vec4(1.0, 0.5, 0.0, 1.0);\n}\n";

// The lines the check of these pages gives in the window's own context.
QStringList InProcessLines(TMainForm& f, const char* vertex, const char* fragment, bool link)
{
    DriverRequest request;
    request.link = link;
    request.sources.append({ShaderStage::Vertex, QString::fromLatin1(vertex).split('\n'), {}});
    if (fragment)
        request.sources.append({ShaderStage::Fragment, QString::fromLatin1(fragment).split('\n'), {}});
    return RunDriverRequest(f.MainDC, f.MainRC, request).lines;
}

bool ProcessGone(qint64 pid)
{
    return ::kill(pid_t(pid), 0) == -1 && errno == ESRCH;
}

// gl_Position = vec4(1.0+1.0+...): deep enough to overflow the stack of Mesa's compiler.
QString ManyAdditions(int count)
{
    QString sum = QStringLiteral("1.0");
    for (int i = 1; i < count; ++i)
        sum += QStringLiteral("+1.0");
    return QStringLiteral("void main()\n{\n  gl_Position = vec4(%1);\n}\n").arg(sum);
}

// Each macro doubles the one before: a small text that expands beyond any memory.
QString MacroDoublings(int count)
{
    QString text = QStringLiteral("#define A0 1.0\n");
    for (int i = 1; i <= count; ++i)
        text += QStringLiteral("#define A%1 (A%2+A%2)\n").arg(i).arg(i - 1);
    return text + QStringLiteral("void main()\n{\n  gl_Position = vec4(A%1);\n}\n").arg(count);
}

struct Hostile {
    const char* name;
    QString vertex;
    const char* says; // what the one line says happened
};

class HostileShader : public ::testing::TestWithParam<int> {};

TEST_P(HostileShader, GivesOneLineAndTheEditorKeepsItsPages)
{
#ifdef LUMENPAD_ASAN
    if (GetParam() == 1)
        GTEST_SKIP() << "AddressSanitizer's shadow memory leaves no room for the helper's address-space limit";
#endif
    const Hostile cases[] = {
        {"20,000 additions", ManyAdditions(20000), "crashed"},
        {"24 macro doublings", MacroDoublings(24), "of the 1024 MiB of memory a check may use"},
    };
    const Hostile& c = cases[GetParam()];
    WindowFixture w;
    // The smallest limit a real check fits in well (llvmpipe reserves about 600 MiB), so the
    // runaway expansion reaches it soon.
    w.driverAddressSpace = quint64(1) << 30;
    TMainForm& f = w.start();
    const QString fragment = QStringLiteral("// typed, never saved\nvoid main() { gl_FragColor = vec4(1.0); }\n");
    f.ShaderRichEdit->setPlainText(c.vertex);
    f.ShaderRichEditFS->setPlainText(fragment);

    f.ToolButton12->click();

    const QStringList lines = f.glslValidateMemo->lines();
    ASSERT_EQ(lines.size(), 1) << c.name << ": " << lines.mid(0, 5).join('\n').toStdString();
    EXPECT_THAT(lines[0].toStdString(), HasSubstr(c.says)) << c.name;
    EXPECT_THAT(lines[0].toStdString(), EndsWith(kUnaffected.toStdString())) << c.name;
    EXPECT_TRUE(w.dialogs.errors.isEmpty()) << c.name;
    EXPECT_TRUE(f.ShaderRichEdit->toPlainText() == c.vertex) << c.name;
    EXPECT_TRUE(f.ShaderRichEditFS->toPlainText() == fragment) << c.name;
    EXPECT_EQ(f.driverHelperId(), 0) << c.name;

    // The check on all targets runs the driver in the helper too: its first row fails with the
    // same line, and the editor and its pages live on.
    f.CheckAllTargetsButton->click();
    const QStringList matrix = f.glslValidateMemo->lines();
    EXPECT_TRUE(w.dialogs.errors.isEmpty()) << c.name;
    ASSERT_GE(matrix.size(), 2) << c.name;
    EXPECT_THAT(matrix[1].toStdString(), HasSubstr(c.says)) << c.name;
    EXPECT_TRUE(f.ShaderRichEditFS->toPlainText() == fragment) << c.name;

    // The next check gets a fresh helper and its own lines.
    f.ShaderRichEdit->setPlainText(QString::fromLatin1(kVertex));
    f.ToolButton12->click();
    EXPECT_NE(f.driverHelperId(), 0) << c.name;
    EXPECT_EQ(f.glslValidateMemo->lines(), InProcessLines(f, kVertex, nullptr, false)) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Driver, HostileShader, ::testing::Values(0, 1));

// The helper started after the window's start step serves every later check, and goes with
// the window.
TEST(IsolatedDriverCheck, ChecksInARowGoToTheHelperStartedAfterTheStartStep)
{
    WindowFixture w;
    w.driverPrestartMs = 0;
    TMainForm& f = w.start();
    QElapsedTimer t;
    t.start();
    while (f.driverHelperId() == 0 && t.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    const qint64 helper = f.driverHelperId();
    ASSERT_NE(helper, 0);
    f.ShaderRichEdit->setPlainText(QString::fromLatin1(kVertex));
    f.ShaderRichEditFS->setPlainText(QString::fromLatin1(kFragment));
    const QStringList expected = InProcessLines(f, kVertex, kFragment, true);
    for (int i = 0; i < 2; ++i) {
        f.ToolButton14->click();
        EXPECT_EQ(f.glslValidateMemo->lines(), expected) << "check " << i;
        EXPECT_EQ(f.driverHelperId(), helper) << "check " << i;
    }
    w.form.reset();
    EXPECT_TRUE(ProcessGone(helper));
}

// A helper that never answers is stopped at the time limit, with one line.
TEST(IsolatedDriverCheck, HelperPastTheTimeLimitIsStoppedWithOneLine)
{
    WindowFixture w;
    const QString helper = w.dir.file(QString::fromLatin1(kDriverHelperName));
    WriteBytes(helper, "#!/bin/sh\nexec sleep 60\n");
    QFile::setPermissions(helper, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    w.programDir = w.dir.path();
    w.driverTimeoutMs = 500;
    TMainForm& f = w.start();
    f.ToolButton14->click();
    EXPECT_EQ(f.glslValidateMemo->lines(),
              QStringList{QStringLiteral("The OpenGL driver did not finish the check within 500 milliseconds and was "
                                         "stopped; the check ran in a process of its own, so the editor and its pages "
                                         "are unaffected.")});
}

struct SameAsInProcess {
    const char* name;
    const char* target;
    int button; // 12, 13 or 14
    const char* vertex;
    const char* fragment;
};

// The panel after each button, against the same check run in the window's own context.
TEST(IsolatedDriverCheck, PanelShowsTheLinesOfTheCheckInTheEditorsOwnContext)
{
    const char* vertex = kVertex;
    const char* fragment = kFragment;
    const char* brokenFragment = "void main()\n{\n  gl_FragColor = vec4(1.0)\n  x;\n}\n";
    const char* varyingFragment = "varying vec3 normal;\nvoid main()\n{\n  gl_FragColor = vec4(normal, 1.0);\n}\n";
    const char* warningVertex = "#extension GL_LUMENPAD_no_such_extension : warn\n"
                                "void main()\n{\n  gl_Position = ftransform();\n}\n";
    const char* coreFragment = "#version 330 core\nout vec4 colour;\nvoid main()\n{\n  colour = vec4(1.0)\n}\n";
    const SameAsInProcess cases[] = {
        {"vertex, clean", "auto", 12, vertex, fragment},
        {"vertex, warning", "auto", 12, warningVertex, fragment},
        {"fragment, error", "auto", 13, vertex, brokenFragment},
        {"linked, clean", "auto", 14, vertex, fragment},
        {"linked, link error", "auto", 14, vertex, varyingFragment},
        {"fragment, gl:330:core, error", "gl:330:core", 13, vertex, coreFragment},
    };
    WindowFixture w;
    TMainForm& f = w.start();
    ASSERT_NE(f.MainRC, nullptr);
    qint64 helper = 0;
    for (const SameAsInProcess& c : cases) {
        f.ShaderRichEdit->setPlainText(QString::fromLatin1(c.vertex));
        f.ShaderRichEditFS->setPlainText(QString::fromLatin1(c.fragment));
        DriverRequest request;
        request.target = *ParseTarget(c.target);
        request.link = c.button == 14;
        if (c.button != 13)
            request.sources.append({ShaderStage::Vertex, QString::fromLatin1(c.vertex).split('\n'), {}});
        if (c.button != 12)
            request.sources.append({ShaderStage::Fragment, QString::fromLatin1(c.fragment).split('\n'), {}});
        const QStringList inProcess = RunDriverRequest(f.MainDC, f.MainRC, request).lines;
        ASSERT_GE(inProcess.size(), 1) << c.name;

        const int index = f.TargetChooser->findText(QString::fromLatin1(c.target));
        ASSERT_GE(index, 0) << c.name;
        f.TargetChooser->setCurrentIndex(index);
        emit f.TargetChooser->activated(index);
        (c.button == 12 ? f.ToolButton12 : c.button == 13 ? f.ToolButton13 : f.ToolButton14)->click();
        EXPECT_EQ(f.glslValidateMemo->lines(), inProcess)
            << c.name << "\n" << f.glslValidateMemo->lines().join("|\n").toStdString() << "\n--\n"
            << inProcess.join("|\n").toStdString();
        // One helper for all of them.
        helper = helper ? helper : f.driverHelperId();
        EXPECT_EQ(f.driverHelperId(), helper) << c.name;
    }
    EXPECT_NE(helper, 0);
}

} // namespace
