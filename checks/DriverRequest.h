#pragma once

// A driver check as data, so it can be handed to a process of its own: the driver's compiler
// runs hostile text with the rights of the editor's process, and a stack overflow or a memory
// blow-up inside it must not take the editor's pages with it. The request carries what the
// toolbar's check compiles (the pages' lines, includes already expanded, the target); the
// reply carries the output panel's lines, or the message of a check that could not run.
//
// Both are encoded with a magic, a version and length-prefixed fields; the decoders take any
// bytes and refuse what is not a whole, well-formed message.

#include "DriverCheck.h"
#include "TargetDriverCheck.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct DriverRequest {
    ShaderTarget target;
    bool link = false;          // all stages linked into one program (ToolButton14Click)
    QList<StageSource> sources; // in the order the check takes them
    // The address space the process that runs the check may take, in bytes; 0 for no limit.
    quint64 addressSpace = 0;
};

struct DriverReply {
    QStringList lines; // the output panel's lines
    QString failure;   // non-empty: the check could not run; the message says why
    DriverOutcome outcome = DriverOutcome::Checked; // how far the check got
};

// Requests and replies beyond this are refused (a page of the editor is far smaller).
inline constexpr qsizetype kMaxDriverMessageBytes = 512 * 1024 * 1024;

QByteArray EncodeDriverRequest(const DriverRequest& request);
std::optional<DriverRequest> DecodeDriverRequest(const QByteArray& bytes);

QByteArray EncodeDriverReply(const DriverReply& reply);
std::optional<DriverReply> DecodeDriverReply(const QByteArray& bytes);

// Between the editor and a helper that stays, each message goes as a frame: its length as four
// bytes, most significant first, then the message.
QByteArray FrameDriverMessage(const QByteArray& message);

enum class DriverFrame {
    Incomplete, // more bytes are to come
    Complete,   // message holds the first frame, and the bytes after it stay in buffer
    Malformed,  // the length is beyond kMaxDriverMessageBytes: nothing that follows can be trusted
};
// Takes the first whole frame out of buffer.
DriverFrame TakeDriverFrame(QByteArray& buffer, QByteArray& message);

// Runs the request in the context rc on dc: on "auto" with vertex and fragment pages that hold
// no includes, the classic checks of DriverCheck.h; otherwise the targeted check.
DriverLog RunDriverRequest(void* dc, void* rc, const DriverRequest& request);
