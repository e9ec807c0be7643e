#include <QCoreApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Unit tests need no window system: a QCoreApplication for event loops and processes only.
int main(int argc, char** argv)
{
    // The program's own settings file goes to a folder of this run, never the user's.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    // So do the recovery files.
    qputenv("XDG_STATE_HOME", (config.path() + QStringLiteral("/state")).toUtf8());
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Lumenpad"));
    return RUN_ALL_TESTS();
}
