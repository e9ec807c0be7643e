#include "WordListFile.h"

#include "LumenpadError.h"
#include "TextFile.h"

#include <QDir>
#include <QFileInfo>

QString DecodeWordListText(const QByteArray& bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    return DecodeUtf8OrLatin1(nul < 0 ? QByteArrayView(bytes) : QByteArrayView(bytes).first(nul));
}

QStringList ReadWordListFile(const QString& path)
{
    QByteArray bytes;
    if (const int err = ReadFileBytes(path, bytes)) {
        const QString fullPath = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
        throw LumenpadError(FileOpenMessage(fullPath, SystemReason(err)));
    }
    return SplitLines(DecodeWordListText(bytes));
}
