#include "DriverRequest.h"

#include <QDataStream>
#include <QIODevice>

namespace {

constexpr quint32 kRequestMagic = 0x4C504451; // "LPDQ"
constexpr quint32 kReplyMagic = 0x4C504452;   // "LPDR"
constexpr quint32 kVersion = 2;
constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_0;

QDataStream& operator<<(QDataStream& out, const ShaderTarget& target)
{
    return out << QString::fromStdString(TargetName(target));
}

bool ReadTarget(QDataStream& in, ShaderTarget& target)
{
    QString name;
    in >> name;
    const std::optional<ShaderTarget> parsed = ParseTarget(name.toStdString());
    if (in.status() != QDataStream::Ok || !parsed)
        return false;
    target = *parsed;
    return true;
}

void WriteSource(QDataStream& out, const StageSource& source)
{
    const ExpandedShader& e = source.expansion;
    out << qint32(source.stage) << source.lines << e.text << e.files << e.origins << e.error << e.changed;
}

bool ReadSource(QDataStream& in, StageSource& source)
{
    qint32 stage = -1;
    ExpandedShader& e = source.expansion;
    in >> stage >> source.lines >> e.text >> e.files >> e.origins >> e.error >> e.changed;
    if (stage < qint32(ShaderStage::Vertex) || stage > qint32(ShaderStage::Compute))
        return false;
    source.stage = ShaderStage(stage);
    return in.status() == QDataStream::Ok;
}

// A stream over bytes that opened with the magic and version expected; null otherwise.
bool OpenMessage(QDataStream& in, quint32 magic)
{
    in.setVersion(kStreamVersion);
    quint32 seen = 0;
    quint32 version = 0;
    in >> seen >> version;
    return in.status() == QDataStream::Ok && seen == magic && version == kVersion;
}

// The whole message read, nothing left over.
bool WholeMessage(const QDataStream& in)
{
    return in.status() == QDataStream::Ok && in.atEnd();
}

bool ClassicCheck(const DriverRequest& request)
{
    if (request.target.api != TargetApi::Auto)
        return false;
    for (const StageSource& source : request.sources)
        if (source.expansion.changed)
            return false;
    const QList<StageSource>& s = request.sources;
    if (request.link)
        return s.size() == 2 && s[0].stage == ShaderStage::Vertex && s[1].stage == ShaderStage::Fragment;
    return s.size() == 1 && (s[0].stage == ShaderStage::Vertex || s[0].stage == ShaderStage::Fragment);
}

} // namespace

QByteArray EncodeDriverRequest(const DriverRequest& request)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    out << kRequestMagic << kVersion << request.target << request.link << request.addressSpace << qint32(request.sources.size());
    for (const StageSource& source : request.sources)
        WriteSource(out, source);
    return bytes;
}

std::optional<DriverRequest> DecodeDriverRequest(const QByteArray& bytes)
{
    if (bytes.size() > kMaxDriverMessageBytes)
        return std::nullopt;
    QDataStream in(bytes);
    if (!OpenMessage(in, kRequestMagic))
        return std::nullopt;
    DriverRequest request;
    qint32 count = 0;
    if (!ReadTarget(in, request.target))
        return std::nullopt;
    in >> request.link >> request.addressSpace >> count;
    // Six stages at most, each once.
    if (in.status() != QDataStream::Ok || count < 1 || count > 6)
        return std::nullopt;
    for (qint32 i = 0; i < count; ++i) {
        StageSource source;
        if (!ReadSource(in, source))
            return std::nullopt;
        request.sources.append(std::move(source));
    }
    if (!WholeMessage(in))
        return std::nullopt;
    return request;
}

QByteArray EncodeDriverReply(const DriverReply& reply)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    out << kReplyMagic << kVersion << reply.lines << reply.failure << qint32(reply.outcome);
    return bytes;
}

std::optional<DriverReply> DecodeDriverReply(const QByteArray& bytes)
{
    if (bytes.size() > kMaxDriverMessageBytes)
        return std::nullopt;
    QDataStream in(bytes);
    if (!OpenMessage(in, kReplyMagic))
        return std::nullopt;
    DriverReply reply;
    qint32 outcome = 0;
    in >> reply.lines >> reply.failure >> outcome;
    if (!WholeMessage(in) || outcome < qint32(DriverOutcome::Checked) || outcome > qint32(DriverOutcome::NotApplicable))
        return std::nullopt;
    reply.outcome = DriverOutcome(outcome);
    return reply;
}

QByteArray FrameDriverMessage(const QByteArray& message)
{
    const quint32 n = quint32(message.size());
    const char length[4] = {char(n >> 24), char(n >> 16), char(n >> 8), char(n)};
    return QByteArray(length, 4) + message;
}

DriverFrame TakeDriverFrame(QByteArray& buffer, QByteArray& message)
{
    if (buffer.size() < 4)
        return DriverFrame::Incomplete;
    const auto byte = [&](int i) { return quint32(quint8(buffer[i])); };
    const quint32 n = byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
    if (n > quint32(kMaxDriverMessageBytes))
        return DriverFrame::Malformed;
    if (buffer.size() - 4 < qsizetype(n))
        return DriverFrame::Incomplete;
    message = buffer.mid(4, n);
    buffer.remove(0, 4 + n);
    return DriverFrame::Complete;
}

DriverLog RunDriverRequest(void* dc, void* rc, const DriverRequest& request)
{
    const QList<StageSource>& s = request.sources;
    if (ClassicCheck(request)) {
        if (request.link)
            return CheckLinkedShaders(dc, rc, s[0].lines, s[1].lines);
        const ShaderKind kind = s[0].stage == ShaderStage::Vertex ? ShaderKind::Vertex : ShaderKind::Fragment;
        return CheckSingleShader(dc, rc, kind, s[0].lines);
    }
    return CheckForTarget(dc, request.target, s, request.link);
}
