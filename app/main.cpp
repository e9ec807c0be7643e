// Program entry: module set-up, the application object, the one main window.
#include "CommandLineFiles.h"
#include "ErrorReporting.h"
#include "GLBinding.h"
#include "HintTiming.h"
#include "LanguageSyntax.h"
#include "LumenpadError.h"
#include "MainForm.h"
#include "StartupTiming.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>

#include <csignal>
#include <cstdio>

int main(int argc, char** argv)
{
    // Before anything touches the driver: the FPU set-up, and no on-disk shader cache,
    // which would hide the compiler's warnings on a second check of the same text.
    NoteStartupEvent("main-entered");
    SetupFloatingPoint();
    DisableShaderDiskCaches();
    // A file-size limit then fails a save like a full disk (the write says EFBIG) instead of
    // ending the program with the other page's unsaved text.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    // The driver loads while the window is built (the worker starts with the settings above).
    TMainForm::StartGraphicsLoading();

    try {
        LoadWordLists();
    } catch (const LumenpadError& e) {
        const QString text = ErrorBoxText(e.message());
        std::fprintf(stderr, "lumenpad: %s\n", qPrintable(text));
        // Without a screen nobody could dismiss the box; the message above must do.
        if (QGuiApplication::platformName() != QLatin1String("offscreen"))
            QMessageBox::critical(nullptr, QStringLiteral("Anwendungsfehler"), text);
        return 1;
    }

    QApplication::setApplicationName(QStringLiteral("Lumenpad"));
    InstallHintTiming(app);

    int status = 0;
    {
        MainFormOptions options;
        options.files = CommandLineFiles(QApplication::arguments(), QDir::currentPath());
        TMainForm mainForm(options);
        WatchStartup(mainForm);
        mainForm.show();
        NoteStartupEvent("window-shown");
        status = QApplication::exec();
    }
    ReleaseWordLists();
    return status;
}
