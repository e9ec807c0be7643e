#include <QCoreApplication>
#include <gtest/gtest.h>

// Unit tests need no window system: a QCoreApplication for event loops and processes only.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Lumenpad"));
    return RUN_ALL_TESTS();
}
