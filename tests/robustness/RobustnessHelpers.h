#pragma once

// Shared pieces of the bad-input tests: checking that an
// editor's every line shows the colours the colouring core gives it, and small file systems
// that can be made full or read-only.

#include "EventLoopWait.h"
#include "LanguageSyntax.h"
#include "LineColouring.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <functional>

class QTextDocument;

// The first few blocks whose layout formats differ from what the colourer gives their text in
// the current ColourScheme (start, length, colour, underline), described for a failure
// message; empty when every block is coloured right. Plain text carries no format.
QString ColouringMismatches(const QTextDocument& document, const LineColourer& colourer, int maxReported = 5);

// A tmpfs mounted on a fresh directory for the life of the object, in a mount namespace of
// the test's own (set up once per process) so a test that dies leaves no mount behind.
class ScopedTmpfs {
public:
    // size: a mount option such as "64k"; readOnly mounts it read-only from the start.
    ScopedTmpfs(const char* size, bool readOnly);
    ~ScopedTmpfs();
    ScopedTmpfs(const ScopedTmpfs&) = delete;
    ScopedTmpfs& operator=(const ScopedTmpfs&) = delete;

    // Whether the mount is there; when not, why() says what failed.
    bool mounted() const { return mounted_; }
    const QString& why() const { return why_; }
    QString path() const { return mountPoint_; }
    // Makes a mounted file system read-only (after files were put into it).
    bool remountReadOnly();

private:
    QTemporaryDir base_;
    QString mountPoint_;
    bool mounted_ = false;
    QString why_;
};
