#include "WindowFixture.h"

#include "GLBinding.h"
#include "OutputPanel.h"
#include "ShaderEditor.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

QByteArray config(const QString& validatorDir, const QString& vs, const QString& fs, const char* geometry,
                  const char* maximised, const char* scheme)
{
    return (validatorDir + "\r\n" + vs + "\r\n" + fs + "\r\n").toUtf8() + geometry + "\r\n" + maximised + "\r\n" +
           scheme + "\r\n";
}

QList<QByteArray> writtenLines(const WindowFixture& w)
{
    QList<QByteArray> lines = ReadBytes(w.dir.file("config.txt")).split('\n');
    for (QByteArray& l : lines)
        l.chop(l.endsWith('\r') ? 1 : 0);
    return lines;
}

TEST(Startup, GeometryRoundTripsThroughConfig)
{
    WindowFixture w(config("", "", "", "800 600 10 20", "0", "0"));
    TMainForm& f = w.start(false);
    f.show();
    w.waitForStartStep();
    EXPECT_EQ(f.frameGeometry(), QRect(20, 10, 800, 600));
    f.close();
    const auto lines = writtenLines(w);
    ASSERT_GE(lines.size(), 6);
    EXPECT_EQ(lines[3], QByteArray("800 600 10 20"));
    EXPECT_EQ(lines[4], QByteArray("0"));
    EXPECT_EQ(lines[5], QByteArray("0"));
}

TEST(Startup, TabsAndRunsOfBlanksReadTheSameAndAreWrittenWithSingleSpaces)
{
    WindowFixture w(config("", "", "", "800\t600    10 \t20", "0", "0"));
    TMainForm& f = w.start(false);
    f.show();
    w.waitForStartStep();
    f.close();
    EXPECT_EQ(writtenLines(w)[3], QByteArray("800 600 10 20"));
}

TEST(Startup, MaximisedWindowWritesItsMaximisedBounds)
{
    WindowFixture w(config("", "", "", "700 500 10 20", "1", "0"));
    TMainForm& f = w.start(false);
    f.show();
    w.waitForStartStep();
    EXPECT_TRUE(f.isMaximized());
    const QRect maximised = f.frameGeometry();
    f.close();
    const auto lines = writtenLines(w);
    EXPECT_EQ(lines[3], QStringLiteral("%1 %2 %3 %4")
                            .arg(maximised.width())
                            .arg(maximised.height())
                            .arg(maximised.top())
                            .arg(maximised.left())
                            .toUtf8());
    EXPECT_EQ(lines[4], QByteArray("1"));
}

TEST(Startup, WindowSavedOffScreenComesBackOntoTheScreen)
{
    WindowFixture w(config("", "", "", "640 480 9000 9000", "0", "0"));
    TMainForm& f = w.start(false);
    f.show();
    w.waitForStartStep();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_TRUE(screen.intersects(f.frameGeometry()));
    EXPECT_EQ(f.frameGeometry().size(), QSize(640, 480));
}

TEST(Startup, SchemeIndexIsRestoredAndUnknownIndexWrittenBackAsMinusOne)
{
    {
        WindowFixture w(config("", "", "", "700 500 10 20", "0", "2"));
        TMainForm& f = w.start();
        EXPECT_EQ(f.ComboBoxSourceHighlight->currentIndex(), 2);
        EXPECT_EQ(f.ShaderRichEdit->palette().color(QPalette::Base), QColor(0x00, 0x00, 0x80));
        EXPECT_EQ(f.ShaderRichEditFS->palette().color(QPalette::Base), QColor(0x00, 0x00, 0x80));
    }
    {
        WindowFixture w(config("", "", "", "700 500 10 20", "0", "7"));
        TMainForm& f = w.start();
        EXPECT_EQ(f.ComboBoxSourceHighlight->currentIndex(), -1);
        EXPECT_EQ(f.ShaderRichEdit->palette().color(QPalette::Base), QColor(Qt::white));
        f.close();
        EXPECT_EQ(writtenLines(w)[5], QByteArray("-1"));
    }
}

TEST(Startup, ValidatorPresenceLines)
{
    {
        WindowFixture w;
        const QString vdir = w.dir.file("with blank");
        QDir().mkpath(vdir);
        WriteBytes(vdir + "/glslvalidate", "#!/bin/sh\n");
        WriteBytes(w.dir.file("config.txt"), config(vdir, "", "", "700 500 10 20", "0", "0"));
        TMainForm& f = w.start();
        EXPECT_EQ(f.glslValidateMemo->lines(),
                  QStringList{QStringLiteral("glslValidate.exe present in \"") + vdir + QStringLiteral("\"...")});
    }
    {
        WindowFixture w(config("", "", "", "700 500 10 20", "0", "0"));
        TMainForm& f = w.start();
        EXPECT_EQ(f.glslValidateMemo->lines(),
                  (QStringList{QStringLiteral("glslValidate.exe not found in \"\", please specify the correct "
                                              "path in config.txt!"),
                               QStringLiteral("If you don't do this or haven't installed glslValidate, then the "
                                              "shaders can't be validated...")}));
    }
}

TEST(Startup, LastFilesAreReopenedAndMissingOnesKeptForNextTime)
{
    WindowFixture w;
    const QString vs = w.dir.file("last.vert");
    WriteBytes(vs, "uniform vec4 c;\nvoid main() { gl_Position = c; }\n");
    const QString fs = w.dir.file("gone.frag");
    WriteBytes(w.dir.file("config.txt"), config("", vs, fs, "700 500 10 20", "0", "0"));
    TMainForm& f = w.start();
    EXPECT_TRUE(w.dialogs.errors.filter(QStringLiteral("kann nicht")).isEmpty());
    EXPECT_EQ(f.ShaderRichEdit->toPlainText(), QStringLiteral("uniform vec4 c;\nvoid main() { gl_Position = c; }\n"));
    EXPECT_EQ(f.StatusPanel0->text(), QStringLiteral("VS:") + vs);
    EXPECT_FALSE(f.VSDocument.Changed);
    EXPECT_TRUE(f.ShaderRichEditFS->toPlainText().isEmpty());
    EXPECT_TRUE(f.StatusPanel1->text().isEmpty());
    EXPECT_FALSE(f.StartTimer->isActive());
    f.ToolButton1->click();
    EXPECT_EQ(w.dialogs.saveQuestions, 0);
    f.close();
    const auto lines = writtenLines(w);
    EXPECT_EQ(lines[1], QByteArray()); // New made the vertex page untitled
    EXPECT_EQ(lines[2], fs.toUtf8());
}

TEST(Startup, UnreadableLastFileLeavesThePageUntitled)
{
    WindowFixture w;
    const QString vs = w.dir.file("binary.vert");
    WriteBytes(vs, QByteArray("\0\1\2", 3));
    WriteBytes(w.dir.file("config.txt"), config("", vs, "", "700 500 10 20", "0", "0"));
    TMainForm& f = w.start();
    EXPECT_EQ(w.dialogs.errors.size(), 1);
    EXPECT_TRUE(f.VSDocument.FileName.isEmpty());
    // Save now asks for a name instead of writing the empty page over the file.
    f.ToolButton3->click();
    EXPECT_EQ(w.dialogs.saveDialogs, 1);
    EXPECT_EQ(ReadBytes(vs), QByteArray("\0\1\2", 3));
}

TEST(Startup, BadSettingsAreReportedAndStartUpCarriesOn)
{
    WindowFixture w(config("/v", "", "", "800 six 10 20", "0", "1"));
    TMainForm& f = w.start();
    ASSERT_FALSE(w.dialogs.errors.isEmpty());
    EXPECT_EQ(w.dialogs.errors[0], QStringLiteral("Ungültige numerische Eingabe."));
    EXPECT_EQ(f.ValidatorDir, QStringLiteral("/v"));
    EXPECT_EQ(f.glslValidateMemo->lines().size(), 2) << "the validator test still ran";
    EXPECT_EQ(f.ComboBoxSourceHighlight->currentIndex(), 0);
    EXPECT_FALSE(f.StartTimer->isActive());
    EXPECT_NE(f.HelpSystem, nullptr);
}

TEST(Startup, WithoutConfigTheCloseWritesACompleteFile)
{
    WindowFixture w(QByteArray(), false);
    TMainForm& f = w.start();
    ASSERT_FALSE(w.dialogs.errors.isEmpty());
    EXPECT_EQ(w.dialogs.errors[0], QStringLiteral("Datei nicht gefunden."));
    f.close();
    const auto lines = writtenLines(w);
    ASSERT_GE(lines.size(), 6);
    EXPECT_EQ(lines[0], QByteArray());
    EXPECT_EQ(lines[4], QByteArray("0"));
    EXPECT_EQ(lines[5], QByteArray("0"));
}


// The program loads the graphics libraries and Mesa's driver on a worker thread from the top
// of main(). A driver that cannot be loaded there is reported as it is without the worker: the
// same box, while the window is made (before its start step), and the window goes on without a
// rendering context.
TEST(Startup, ADriverThatFailsOnTheLoadingThreadIsReportedAsWithoutIt)
{
    // Mesa keeps a display it has initialised: only a process without one can see the failure.
    if (EGLLibrary)
        GTEST_SKIP() << "the driver was loaded earlier in this process";
    qputenv("LIBGL_DRIVERS_PATH", "/nonexistent-lumenpad-drivers");
    QStringList reported[2];
    for (const bool worker : {false, true}) {
        SCOPED_TRACE(worker ? "worker thread" : "window's thread");
        if (worker)
            TMainForm::StartGraphicsLoading();
        WindowFixture w;
        TMainForm& f = w.start(false);
        EXPECT_TRUE(f.StartTimer->isActive());
        EXPECT_EQ(f.MainRC, nullptr);
        reported[worker] = w.dialogs.errors;
    }
    qunsetenv("LIBGL_DRIVERS_PATH");
    ASSERT_EQ(reported[0].size(), 1);
    EXPECT_TRUE(reported[0][0].startsWith(QStringLiteral("Systemfehler."))) << reported[0][0].toStdString();
    EXPECT_EQ(reported[1], reported[0]);
}

} // namespace
