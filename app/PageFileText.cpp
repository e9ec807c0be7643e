#include "PageFileText.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>

namespace {

constexpr char16_t kShownForBreakChar = u'\uFFFD';
// The character a shown U+FFFD stands for; typed text that inherits the format is no U+FFFD
// and is not touched.
constexpr int kOriginalCharProperty = QTextFormat::UserProperty + 0x4c50;
// Set on a document that holds such characters, so that plain files skip the search.
constexpr char kHasBreakCharsProperty[] = "lumenpadHasBreakChars";

bool IsBreakChar(char16_t c)
{
    return c == u'\u2029' || c == u'\uFDD0' || c == u'\uFDD1';
}

struct LineEndData : QTextBlockUserData {
    explicit LineEndData(LineEndStyle s) : style(s) {}
    LineEndStyle style;
};

QString BlockText(const QTextBlock& block, bool hasBreakChars)
{
    if (!hasBreakChars)
        return block.text();
    QString text;
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        QString part = fragment.text();
        const QTextCharFormat format = fragment.charFormat();
        if (format.hasProperty(kOriginalCharProperty))
            part.replace(QChar(kShownForBreakChar), QChar(char16_t(format.intProperty(kOriginalCharProperty))));
        text += part;
    }
    return text;
}

QString JoinBlocks(const QTextDocument& document, LineEndStyle newLineEnd, bool ownBreaks)
{
    const bool hasBreakChars = document.property(kHasBreakCharsProperty).toBool();
    QString text;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        text += BlockText(block, hasBreakChars);
        if (!block.next().isValid())
            break;
        LineEndStyle end = newLineEnd;
        if (ownBreaks) {
            if (const auto* own = static_cast<const LineEndData*>(block.userData()))
                end = own->style;
        }
        text += ownBreaks ? LineEndText(end) : QLatin1StringView("\n");
    }
    return text;
}

} // namespace

void SetPageFileText(QPlainTextEdit& editor, const DecodedShaderText& decoded, const PutPageText& put)
{
    QString text = decoded.text;
    QList<std::pair<int, char16_t>> breakChars;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (IsBreakChar(text[i].unicode())) {
            breakChars.append({int(i), text[i].unicode()});
            text[i] = QChar(kShownForBreakChar);
        }
    }
    const bool plain = breakChars.isEmpty() && decoded.lineEnds.isEmpty();
    put(text, !plain);
    QTextDocument* document = editor.document();
    document->setProperty(kHasBreakCharsProperty, !breakChars.isEmpty());
    if (plain)
        return;

    // What follows is part of reading the file, not an edit to undo.
    document->setUndoRedoEnabled(false);
    QTextCursor cursor(document);
    for (const auto& [position, original] : breakChars) {
        cursor.setPosition(position);
        cursor.setPosition(position + 1, QTextCursor::KeepAnchor);
        QTextCharFormat format;
        format.setProperty(kOriginalCharProperty, int(original));
        cursor.mergeCharFormat(format);
    }
    int line = 0;
    for (QTextBlock block = document->begin(); block.isValid() && line < decoded.lineEnds.size();
         block = block.next(), ++line) {
        if (decoded.lineEnds[line] != decoded.lineEnd)
            block.setUserData(new LineEndData(decoded.lineEnds[line]));
    }
    document->setUndoRedoEnabled(true);
}

QString PageText(const QTextDocument& document)
{
    if (!document.property(kHasBreakCharsProperty).toBool()) {
        // The quick way for the usual file: one copy, no walk over the blocks.
        QString text = document.toRawText();
        text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        return text;
    }
    return JoinBlocks(document, LineEndStyle::Lf, false);
}

QString PageTextWithBreaks(const QTextDocument& document, LineEndStyle newLineEnd)
{
    return JoinBlocks(document, newLineEnd, true);
}
