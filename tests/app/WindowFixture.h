#pragma once

#include "LanguageSyntax.h"
#include "MainForm.h"
#include "OutputPanel.h"
#include "ScriptedDialogs.h"
#include "TestFiles.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QTextBlock>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <memory>

// A main window started in its own working directory with the shipped data files and an
// optional config.txt, dialogs scripted, settings written into that same directory.
class WindowFixture {
public:
    explicit WindowFixture(const QByteArray& config = QByteArray(), bool withConfig = true)
    {
        for (const char* name : {"syntax_datatypes.txt", "syntax_typequalifiers.txt", "syntax_functionnames.txt",
                                 "syntax_statevars.txt", "hints_functionnames.txt"})
            QFile::copy(SourcePath(QStringLiteral("data/") + QLatin1String(name)), dir.file(QLatin1String(name)));
        // The word lists are module state loaded before any window, as the program does.
        LoadWordLists();
        if (withConfig)
            WriteBytes(dir.file("config.txt"),
                       config.isEmpty() ? QByteArray("\r\n\r\n\r\n737 579 110 191\r\n0\r\n0\r\n") : config);
    }

    TMainForm& start(bool runStartStep = true)
    {
        MainFormOptions options;
        options.dialogs = &dialogs;
        options.settingsWriteDir = dir.path();
        options.startTimerInterval = 1;
        options.preferencesFile = dir.file("lumenpad.conf");
        options.files = files;
        options.programDir = programDir;
        options.driverRun.timeoutMs = driverTimeoutMs;
        options.driverAddressSpace = driverAddressSpace;
        options.driverPrestartMs = driverPrestartMs;
        options.recoveryIntervalMs = recoveryIntervalMs;
        form = std::make_unique<TMainForm>(options);
        if (runStartStep)
            waitForStartStep();
        return *form;
    }

    void waitForStartStep()
    {
        QElapsedTimer t;
        t.start();
        while (form->StartTimer->isActive() && t.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }

    ScopedWorkDir dir;
    ScriptedDialogs dialogs;
    QStringList files; // as named on the command line
    QString programDir = ProgramDirPath(QString()); // where the helper programs lie
    int driverTimeoutMs = kDefaultDriverTimeoutMs;
    quint64 driverAddressSpace = kDriverHelperAddressSpace;
    int driverPrestartMs = -1; // the helper starts at the first check, unless a test asks
    int recoveryIntervalMs = 2000;
    std::unique_ptr<TMainForm> form;
};

// A double-click on an output panel line, as the user gives it.
inline void DoubleClickPanelLine(OutputPanel& panel, int index)
{
    const QTextBlock block = panel.document()->findBlockByNumber(index);
    QTextCursor c(block);
    const QPoint at = panel.cursorRect(c).center() + QPoint(2, 0);
    QMouseEvent press(QEvent::MouseButtonPress, at, panel.viewport()->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, panel.viewport()->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, at, panel.viewport()->mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(panel.viewport(), &press);
    QApplication::sendEvent(panel.viewport(), &release);
    QApplication::sendEvent(panel.viewport(), &dbl);
}
