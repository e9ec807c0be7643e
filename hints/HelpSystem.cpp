#include "HelpSystem.h"

#include "LumenpadError.h"

#include "TextFile.h"

#include <QByteArray>
#include <QStringView>

namespace {

[[noreturn]] void ThrowInvalidNumber()
{
    throw LumenpadError(QStringLiteral("Ungültige numerische Eingabe"));
}

QString DecodeHintText(QByteArray bytes)
{
    // A Ctrl-Z ends the text; byte 26 never occurs inside a multi-byte UTF-8 sequence.
    const qsizetype eof = bytes.indexOf('\x1a');
    if (eof >= 0)
        bytes.truncate(eof);
    return DecodeUtf8OrLatin1(bytes);
}

// Reads the decoded hint text the way a line-oriented text file is read: whole lines, or a
// number token after skipping white space. Past the end it yields empty lines and 0.
class HintReader {
public:
    explicit HintReader(QStringView text) : text_(text) {}

    bool atEnd() const { return pos_ >= text_.size(); }

    QString readLine()
    {
        const qsizetype lineFeed = text_.indexOf(u'\n', pos_);
        const qsizetype end = lineFeed < 0 ? text_.size() : lineFeed;
        qsizetype textEnd = end;
        if (lineFeed >= 0 && textEnd > pos_ && text_[textEnd - 1] == u'\r')
            --textEnd;
        const QString line = text_.sliced(pos_, textEnd - pos_).toString();
        pos_ = lineFeed < 0 ? text_.size() : lineFeed + 1;
        return line;
    }

    // The count token and the rest of its line; throws on a token that is no integer.
    int readCountLine()
    {
        while (!atEnd() && IsSkippedBeforeCount(text_[pos_]))
            ++pos_;
        if (atEnd())
            return 0;
        const qsizetype start = pos_;
        while (!atEnd() && pos_ - start < kMaxNumberTokenLength && !EndsToken(text_[pos_]))
            ++pos_;
        int count = 0;
        if (!ParseIntegerToken(text_.sliced(start, pos_ - start), count))
            ThrowInvalidNumber();
        skipRestOfLine();
        return count;
    }

private:
    static bool IsSkippedBeforeCount(QChar c)
    {
        return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
    }
    // Blank, tab, line breaks and every other control character.
    static bool EndsToken(QChar c) { return c.unicode() < 32 || c == u' ' || c.unicode() == 127; }

    void skipRestOfLine()
    {
        const qsizetype lineFeed = text_.indexOf(u'\n', pos_);
        pos_ = lineFeed < 0 ? text_.size() : lineFeed + 1;
    }

    QStringView text_;
    qsizetype pos_ = 0;
};

} // namespace

THelpSystem::THelpSystem(QObject* owner) : QObject(owner) {}

THelpSystem::~THelpSystem() = default;

void THelpSystem::LoadHintFile(const QString& fileName)
{
    QByteArray bytes;
    if (const int err = ReadFileBytes(fileName, bytes))
        throw LumenpadError(IoErrorMessage(err));
    const QString text = DecodeHintText(std::move(bytes));
    HintReader reader(text);
    do {
        const QString name = reader.readLine();
        const int count = reader.readCountLine();
        QStringList lines;
        for (int i = 0; i < count && !reader.atEnd(); ++i)
            lines.append(reader.readLine());
        Names.append(name);
        Hints.append(lines);
    } while (!reader.atEnd());
}

QString THelpSystem::GetHint(const QString& name) const
{
    for (qsizetype i = 0; i < Names.size(); ++i) {
        if (Names[i].compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (Hints[i].isEmpty())
            break;
        return Hints[i].join(QLatin1Char('\r'));
    }
    return QString::fromLatin1(kNoHintText);
}
