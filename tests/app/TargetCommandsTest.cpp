// The target chooser and the check on all targets, in the real window with the real validator
// and the real driver.
#include "WindowFixture.h"

#include "LineMarkers.h"
#include "OutputPanel.h"
#include "Preferences.h"
#include "ShaderEditor.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

// Fixed-function built-ins on line 3: fine for the compatibility profile, not for a core one.
const char* kFixedFunctionVertex = "void main()\n"
                                   "{\n"
                                   "    gl_Position = gl_ModelViewMatrix * gl_Vertex;\n"
                                   "}\n";

void ChooseTarget(TMainForm& f, const char* name)
{
    const int index = f.TargetChooser->findText(QString::fromLatin1(name));
    ASSERT_GE(index, 0) << name;
    f.TargetChooser->setCurrentIndex(index);
    emit f.TargetChooser->activated(index);
}

class Targets : public ::testing::Test {
protected:
    void SetUp() override
    {
        QFile::copy(ProgramDirPath(QStringLiteral("glslvalidate")), w.dir.file("glslvalidate"));
        QFile(w.dir.file("glslvalidate")).setPermissions(QFileDevice::ExeOwner | QFileDevice::ReadOwner);
        WriteBytes(w.dir.file("config.txt"), (w.dir.path() + "\r\n\r\n\r\n737 579 110 191\r\n0\r\n0\r\n").toUtf8());
    }

    WindowFixture w;
};

TEST_F(Targets, ChosenTargetIsRememberedAndBothChecksUseIt)
{
    {
        TMainForm& f = w.start();
        EXPECT_EQ(f.TargetChooser->itemText(0), QStringLiteral("auto"));
        ChooseTarget(f, "gl:330:core");
    }
    EXPECT_EQ(LoadPreferences(w.dir.file("lumenpad.conf")).target, QStringLiteral("gl:330:core"));
    TMainForm& f = w.start();
    ASSERT_EQ(f.TargetChooser->currentText(), QStringLiteral("gl:330:core"));
    // The preferences' target field and the chooser are one setting.
    w.dialogs.preferencesEdit = [](Preferences& p) { p.target = QStringLiteral("es:300"); };
    f.PreferencesCommand();
    EXPECT_EQ(f.TargetChooser->currentText(), QStringLiteral("es:300"));
    ChooseTarget(f, "gl:330:core");
    f.ShaderRichEdit->setPlainText(QString::fromLatin1(kFixedFunctionVertex));

    f.ToolButton6->click();
    ASSERT_TRUE(w.dialogs.errors.isEmpty()) << w.dialogs.errors.join('\n').toStdString();
    ASSERT_GE(f.glslValidateMemo->lines().size(), 3);
    EXPECT_EQ(f.glslValidateMemo->lines()[0], QStringLiteral("glslValidate output :"));
    EXPECT_EQ(f.glslValidateMemo->lines()[1], QStringLiteral("Target: gl:330:core"));
    EXPECT_FALSE(f.ShaderRichEdit->markers().onBlock(2).empty());

    f.ToolButton12->click();
    ASSERT_TRUE(w.dialogs.errors.isEmpty()) << w.dialogs.errors.join('\n').toStdString();
    const QStringList& lines = f.glslValidateMemo->lines();
    ASSERT_GE(lines.size(), 3);
    if (!lines[0].startsWith(QLatin1String("Output of current")))
        GTEST_SKIP() << "no driver here: " << lines[0].toStdString();
    EXPECT_TRUE(lines[0].contains(QLatin1String("Core Profile"))) << lines[0].toStdString();
    EXPECT_EQ(lines[1], QStringLiteral("Target: gl:330:core"));
    EXPECT_FALSE(f.ShaderRichEdit->markers().onBlock(2).empty()) << lines.join('\n').toStdString();
}

TEST_F(Targets, MatrixHasARowPerTargetAndAFailingRowLeadsToItsLine)
{
    TMainForm& f = w.start();
    f.show();
    f.ShaderRichEdit->setPlainText(QString::fromLatin1(kFixedFunctionVertex));
    f.CheckAllTargetsButton->click();
    ASSERT_TRUE(w.dialogs.errors.isEmpty()) << w.dialogs.errors.join('\n').toStdString();

    const QStringList& lines = f.glslValidateMemo->lines();
    ASSERT_EQ(lines.size(), 1 + int(StandardTargets().size())) << lines.join('\n').toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("Targets of the vertex page:"));
    int coreRow = -1;
    for (int i = 1; i < lines.size(); ++i) {
        if (lines[i].startsWith(QLatin1String("gl:120:"))) {
            EXPECT_EQ(lines[i], QStringLiteral("gl:120: validator passed, driver passed"));
        }
        if (lines[i].startsWith(QLatin1String("gl:330:core:")))
            coreRow = i;
    }
    ASSERT_GE(coreRow, 0);
    EXPECT_TRUE(lines[coreRow].contains(QLatin1String("FAILED"))) << lines[coreRow].toStdString();
    EXPECT_TRUE(lines[coreRow].contains(QLatin1String("gl_ModelViewMatrix"))) << lines[coreRow].toStdString();

    f.ShaderRichEdit->moveCursor(QTextCursor::Start);
    DoubleClickPanelLine(*f.glslValidateMemo, coreRow);
    EXPECT_EQ(f.ShaderRichEdit->textCursor().blockNumber(), 2);
}

// A page that includes files: both checks name the included file's line, and nothing on the
// page is marked for it.
TEST_F(Targets, MessagesInIncludedFilesNameThatFile)
{
    const QString from = SourcePath(QStringLiteral("tests/check/fixtures/includes/shaders"));
    QDir().mkpath(w.dir.file(QStringLiteral("shaders/lib")));
    for (const char* name : {"main.frag", "lib/common.glsl", "lib/noise.glsl"})
        QFile::copy(from + QLatin1Char('/') + QLatin1String(name), w.dir.file(QStringLiteral("shaders/") + QLatin1String(name)));
    TMainForm& f = w.start();
    f.FSDocument.FileName = w.dir.file(QStringLiteral("shaders/main.frag"));
    f.ShaderRichEditFS->setPlainText(QString::fromUtf8(ReadBytes(f.FSDocument.FileName)));
    const QString noise = w.dir.file(QStringLiteral("shaders/lib/noise.glsl"));

    for (QToolButton* button : {f.ToolButton7, f.ToolButton13}) {
        button->click();
        ASSERT_TRUE(w.dialogs.errors.isEmpty()) << w.dialogs.errors.join('\n').toStdString();
        const QStringList& lines = f.glslValidateMemo->lines();
        const bool named = std::any_of(lines.begin(), lines.end(), [&](const QString& line) {
            return line.contains(noise + QStringLiteral(":4"));
        });
        EXPECT_TRUE(named) << button->objectName().toStdString() << ":\n" << lines.join('\n').toStdString();
        EXPECT_TRUE(f.ShaderRichEditFS->markers().isEmpty()) << lines.join('\n').toStdString();
    }
    // The check on all targets takes the includes too.
    f.PageControl1->setCurrentWidget(f.FSTabSheet);
    f.CheckAllTargetsButton->click();
    const QStringList& rows = f.glslValidateMemo->lines();
    const bool core = std::any_of(rows.begin(), rows.end(), [&](const QString& row) {
        return row.startsWith(QLatin1String("gl:330:core:")) && row.contains(noise + QStringLiteral(":4"));
    });
    EXPECT_TRUE(core) << rows.join('\n').toStdString();
}

} // namespace
