#include "FileWatch.h"

#include "TextFile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace {
QByteArray Digest(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
}
} // namespace

FileWatch::Stamp FileWatch::StampOf(const QString& path)
{
    QFileInfo info(path);
    info.setCaching(false);
    if (!info.exists())
        return {};
    return {info.size(), info.lastModified()};
}

void FileWatch::remember(const QString& path, const QByteArray& bytes)
{
    path_ = path;
    digest_ = Digest(bytes);
    known_ = StampOf(path);
    declined_ = {};
}

void FileWatch::forget()
{
    *this = FileWatch();
}

bool FileWatch::changedOnDisk()
{
    if (path_.isEmpty())
        return false;
    const Stamp now = StampOf(path_);
    if (now.size < 0 || now == known_)
        return false;
    QByteArray bytes;
    if (ReadFileBytes(path_, bytes) != 0)
        return false;
    if (Digest(bytes) != digest_)
        return true;
    known_ = now; // touched, not changed
    return false;
}

void FileWatch::declineReload()
{
    declined_ = StampOf(path_);
}

bool FileWatch::reloadDeclined() const
{
    return declined_.size >= 0 && StampOf(path_) == declined_;
}
