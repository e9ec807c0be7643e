#include "WordListFile.h"

#include "LumenpadError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

QString DecodeWordListText(const QByteArray& bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    const QByteArrayView text = nul < 0 ? QByteArrayView(bytes) : QByteArrayView(bytes).first(nul);

    // A UTF-8 byte order mark is dropped by the decoder; it is no part of the first entry.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8.decode(text);
    if (!utf8.hasError())
        return decoded;
    return QString::fromLatin1(text);
}

QStringList SplitWordListLines(QStringView text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.sliced(start, i - start).toString());
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.sliced(start).toString());
    return lines;
}

QStringList ReadWordListFile(const QString& path)
{
    QFile file(path);
    const QString fullPath = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    if (!file.open(QIODevice::ReadOnly))
        throw LumenpadError(FileOpenMessage(fullPath, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw LumenpadError(FileOpenMessage(fullPath, file.errorString()));
    return SplitWordListLines(DecodeWordListText(bytes));
}
