// A page's lines as the driver checks take them from the editor's document.
#include "DriverCheck.h"
#include "ShaderEditor.h"

#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

TEST(DocumentLines, OneLinePerBlockAsTyped)
{
    QTextDocument document;
    document.setPlainText(QStringLiteral("void main()\n{\n}\n"));
    EXPECT_EQ(DocumentLines(document), (QStringList{"void main()", "{", "}", ""}));
    EXPECT_EQ(ShaderSourceText(DocumentLines(document)), "void main()\r\n{\r\n}\r\n");

    document.setPlainText(QString());
    EXPECT_EQ(ShaderSourceText(DocumentLines(document)), "");
}

TEST(DocumentLines, LongLinesStayWhole)
{
    // Wrapping is a matter of display; the driver sees the line as typed.
    const QString longLine = QStringLiteral("float x = ") + QString(500, QLatin1Char('1')) + QStringLiteral(".0;");
    QTextDocument document;
    document.setTextWidth(50);
    document.setPlainText(longLine);
    EXPECT_EQ(DocumentLines(document), QStringList{longLine});
}

TEST(DocumentLines, SoftLineBreakSplitsTheLine)
{
    QTextDocument document;
    document.setPlainText(QStringLiteral("a"));
    QTextCursor cursor(&document);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QString(QChar::LineSeparator) + QStringLiteral("b"));
    EXPECT_EQ(DocumentLines(document), (QStringList{"a", "b"}));
}

} // namespace
