// File names from the command line, and what Go to Line takes.
#include "CommandLineFiles.h"
#include "GoToLine.h"

#include <gtest/gtest.h>

namespace {

TEST(FileNames, CommandLineNamesBecomeAbsolute)
{
    EXPECT_EQ(CommandLineFiles({"lumenpad", "a.vert", "../b.frag", "/c/d.glsl"}, "/home/u/work"),
              (QStringList{"/home/u/work/a.vert", "/home/u/b.frag", "/c/d.glsl"}));
}

TEST(FileNames, GoToLineTakesALineAndAColumn)
{
    const std::tuple<const char*, int, int> good[] = {{"12", 12, 0}, {" 3 : 7 ", 3, 7}, {"1:1", 1, 1}};
    for (const auto& [text, line, column] : good) {
        const auto where = ParseLineColumn(QString::fromLatin1(text));
        ASSERT_TRUE(where) << text;
        EXPECT_EQ(where->line, line) << text;
        EXPECT_EQ(where->column, column) << text;
    }
    for (const char* bad : {"", "0", "-3", "2:0", "a", "3:", ":4", "1:2:3", "99999999999"})
        EXPECT_FALSE(ParseLineColumn(QString::fromLatin1(bad))) << bad;
}

} // namespace
