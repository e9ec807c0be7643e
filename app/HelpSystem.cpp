#include "HelpSystem.h"

#include "LumenpadError.h"

#include <QByteArray>
#include <QFile>
#include <QStringDecoder>
#include <QStringView>

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

namespace {

[[noreturn]] void ThrowFileError(int error)
{
    if (error == ENOENT)
        throw LumenpadError(QStringLiteral("Datei nicht gefunden"));
    if (error == EACCES)
        throw LumenpadError(QStringLiteral("Dateizugriff verweigert"));
    throw LumenpadError(QStringLiteral("E/A-Fehler %1").arg(error));
}

[[noreturn]] void ThrowInvalidNumber()
{
    throw LumenpadError(QStringLiteral("Ungültige numerische Eingabe"));
}

// The whole file, read through the system calls so a failure keeps its errno.
QByteArray ReadWholeFile(const QString& fileName)
{
    const QByteArray path = QFile::encodeName(fileName);
    int fd;
    do {
        fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        ThrowFileError(errno);

    QByteArray bytes;
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n > 0) {
            bytes.append(chunk, n);
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            const int error = errno;
            ::close(fd);
            ThrowFileError(error);
        }
    }
    ::close(fd);
    return bytes;
}

QString DecodeHintText(QByteArray bytes)
{
    // A Ctrl-Z ends the text; byte 26 never occurs inside a multi-byte UTF-8 sequence.
    const qsizetype eof = bytes.indexOf('\x1a');
    if (eof >= 0)
        bytes.truncate(eof);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

// An optionally signed decimal integer that fits an int, and nothing else.
bool ParseCount(QStringView token, int& count)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < token.size() && (token[i] == u'+' || token[i] == u'-')) {
        negative = token[i] == u'-';
        ++i;
    }
    if (i == token.size())
        return false;
    // Accumulated as a negative number so INT_MIN fits as well.
    long long value = 0;
    for (; i < token.size(); ++i) {
        const char16_t c = token[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        value = value * 10 - (c - u'0');
        if (value < std::numeric_limits<int>::min())
            return false;
    }
    if (!negative) {
        value = -value;
        if (value > std::numeric_limits<int>::max())
            return false;
    }
    count = static_cast<int>(value);
    return true;
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
        while (!atEnd() && pos_ - start < kMaxTokenLength && !EndsToken(text_[pos_]))
            ++pos_;
        int count = 0;
        if (!ParseCount(text_.sliced(start, pos_ - start), count))
            ThrowInvalidNumber();
        skipRestOfLine();
        return count;
    }

private:
    static constexpr qsizetype kMaxTokenLength = 32;

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
    const QString text = DecodeHintText(ReadWholeFile(fileName));
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
