#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// What a page knows of its file: the bytes it last read from or wrote to it, so that a change
// made on disk by another program is noticed before Save overwrites it, and when the window
// is used again. A file that is gone counts as unchanged: writing it loses nothing.
class FileWatch {
public:
    // The page now holds path as these bytes (just read or written).
    void remember(const QString& path, const QByteArray& bytes);
    void forget();
    // The file the page holds; empty when it holds none.
    const QString& path() const { return path_; }

    // Whether the file differs from what the page read or wrote. Only a file whose size or
    // time stamp moved is read again.
    bool changedOnDisk();

    // The user was asked to reload the file as it is now and said no: not asked again until
    // it changes once more.
    void declineReload();
    bool reloadDeclined() const;

private:
    struct Stamp {
        qint64 size = -1;
        QDateTime modified;
        friend bool operator==(const Stamp&, const Stamp&) = default;
    };
    static Stamp StampOf(const QString& path);

    QString path_;
    QByteArray digest_;
    Stamp known_;    // stamp of the file when it last held the page's bytes
    Stamp declined_; // stamp of the file the user chose not to reload
};
