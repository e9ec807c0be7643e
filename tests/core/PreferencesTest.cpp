// The program's own settings file: what it keeps, and what a damaged file cannot do.
#include "Preferences.h"

#include "QtPrinters.h"

#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(Preferences, WhatIsWrittenIsReadBack)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("lumenpad.conf"));
    Preferences written;
    written.tabWidth = 8;
    written.tabKeyIndents = true;
    written.autoIndent = false;
    written.completion = false;
    written.includePaths = {QStringLiteral("/usr/include/glsl"), QStringLiteral("lib dir, with comma")};
    written.target = QStringLiteral("es:300");
    written.panelHeight = 240;
    written.carets.insert(QStringLiteral("/home/a/b.frag"), {12, 7});
    {
        QSettings store(file, QSettings::IniFormat);
        WritePreferences(store, written);
    }
    QSettings store(file, QSettings::IniFormat);
    const Preferences read = ReadPreferences(store);
    EXPECT_EQ(read.tabWidth, 8);
    EXPECT_TRUE(read.tabKeyIndents);
    EXPECT_FALSE(read.autoIndent);
    EXPECT_FALSE(read.completion);
    EXPECT_EQ(read.includePaths, written.includePaths);
    EXPECT_EQ(read.target, QStringLiteral("es:300"));
    EXPECT_EQ(read.panelHeight, 240);
    ASSERT_TRUE(read.carets.contains(QStringLiteral("/home/a/b.frag")));
    EXPECT_EQ(read.carets[QStringLiteral("/home/a/b.frag")].line, 12);
    EXPECT_EQ(read.carets[QStringLiteral("/home/a/b.frag")].column, 7);
}

TEST(Preferences, DamagedValuesKeepTheDefaults)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("lumenpad.conf"));
    const std::pair<const char*, const char*> damaged[] = {
        {"editor/tabWidth", "0"}, {"window/panelHeight", "-5"}, {"checks/target", ""},
        {"carets/size", "3"},     {"carets/1/path", ""},         {"carets/2/path", "/x"},
        {"carets/2/line", "x"},
    };
    {
        QSettings store(file, QSettings::IniFormat);
        for (const auto& [key, value] : damaged)
            store.setValue(QString::fromLatin1(key), QString::fromLatin1(value));
    }
    QSettings store(file, QSettings::IniFormat);
    const Preferences read = ReadPreferences(store);
    const Preferences defaults;
    EXPECT_EQ(read.tabWidth, defaults.tabWidth);
    EXPECT_EQ(read.panelHeight, 0);
    EXPECT_EQ(read.target, QStringLiteral("auto"));
    ASSERT_EQ(read.carets.size(), 1);
    EXPECT_EQ(read.carets[QStringLiteral("/x")].line, 1);
}

} // namespace
