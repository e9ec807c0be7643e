#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>

// Widget tests need one QApplication for the whole run; headless unless told otherwise.
int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The program's own settings file goes to a folder of this run, never the user's.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    // So do the recovery files.
    qputenv("XDG_STATE_HOME", (config.path() + QStringLiteral("/state")).toUtf8());
    // As the program does before the driver loads: a compile from Mesa's disk cache comes back
    // with an empty log.
    setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);
    setenv("__GL_SHADER_DISK_CACHE", "0", 1);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumenpad"));
    return RUN_ALL_TESTS();
}
