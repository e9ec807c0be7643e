#pragma once

// The recovery file: the text of the pages with unsaved changes, written every few seconds
// while they change, so that a crash of the editor (or of anything it loads) loses nothing
// typed. The next start offers the pages back.
//
// Format, all integers unsigned 32-bit little-endian:
//   "LPRECOV\n"  version (1)  page count (0..kMaxRecoveredPages)
//   per page: slot (0 vertex, 1 fragment)  flags (bit 0: changed)  encoding  line end
//             file name: length in UTF-16 code units, then the code units
//             text:      length in UTF-16 code units, then the code units
//   a checksum (FNV-1a) of every byte before it
// UTF-16 as the editor holds it, so any text (CRs, NULs, U+2029, lone surrogates) comes back
// exactly. The reader takes any bytes and refuses whatever is not a whole, well-formed file.

#include "ShaderDocument.h"
#include "TextFile.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

struct RecoveredPage {
    int slot = 0;     // 0 the vertex page, 1 the fragment page
    QString fileName; // empty for an untitled page
    QString text;     // as the editor held it
    bool changed = true;
    TextEncoding encoding = TextEncoding::Utf8;
    LineEndStyle lineEnd = LineEndStyle::CrLf;

    bool operator==(const RecoveredPage&) const = default;
};

inline constexpr int kMaxRecoveredPages = 2;
// Larger files are refused unread.
inline constexpr qsizetype kMaxRecoveryFileBytes = qsizetype(1) << 30;

QByteArray EncodeRecovery(const QList<RecoveredPage>& pages);
std::optional<QList<RecoveredPage>> DecodeRecovery(const QByteArray& bytes);

// The folder of the user's recovery files: $XDG_STATE_HOME/lumenpad, by default
// ~/.local/state/lumenpad.
QString RecoveryDirPath();
