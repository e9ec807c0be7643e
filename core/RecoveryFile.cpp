#include "RecoveryFile.h"

#include <QDir>

#include <cstring>

namespace {

constexpr char kMagic[8] = {'L', 'P', 'R', 'E', 'C', 'O', 'V', '\n'};
constexpr quint32 kVersion = 1;

quint32 Checksum(const char* data, qsizetype size)
{
    quint32 hash = 2166136261u;
    for (qsizetype i = 0; i < size; ++i) {
        hash ^= static_cast<unsigned char>(data[i]);
        hash *= 16777619u;
    }
    return hash;
}

void PutU32(QByteArray& out, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
}

void PutText(QByteArray& out, const QString& text)
{
    PutU32(out, quint32(text.size()));
    // Filled in place: a page can be megabytes, and two appends a character made the write
    // of a big page hold up typing for a sixth of a second.
    const qsizetype at = out.size();
    out.resize(at + text.size() * 2);
    char* p = out.data() + at;
    for (QChar c : text) {
        *p++ = char(c.unicode() & 0xFF);
        *p++ = char(c.unicode() >> 8);
    }
}

// Reads forward through the bytes; any read past the end fails and stays failed.
class Reader {
public:
    explicit Reader(const QByteArray& bytes, qsizetype end) : bytes_(bytes), end_(end) {}

    bool u32(quint32& value)
    {
        if (end_ - pos_ < 4)
            return false;
        value = 0;
        for (int i = 0; i < 4; ++i)
            value |= quint32(static_cast<unsigned char>(bytes_[pos_ + i])) << (8 * i);
        pos_ += 4;
        return true;
    }

    bool text(QString& text)
    {
        quint32 units = 0;
        if (!u32(units) || qsizetype(units) > (end_ - pos_) / 2)
            return false;
        text.resize(qsizetype(units));
        QChar* out = text.data();
        for (quint32 i = 0; i < units; ++i, pos_ += 2)
            out[i] = QChar(char16_t(static_cast<unsigned char>(bytes_[pos_]) |
                                    (static_cast<unsigned char>(bytes_[pos_ + 1]) << 8)));
        return true;
    }

    bool skipMagic()
    {
        if (end_ - pos_ < qsizetype(sizeof kMagic) || std::memcmp(bytes_.constData() + pos_, kMagic, sizeof kMagic) != 0)
            return false;
        pos_ += sizeof kMagic;
        return true;
    }

    bool atEnd() const { return pos_ == end_; }

private:
    const QByteArray& bytes_;
    qsizetype end_;
    qsizetype pos_ = 0;
};

} // namespace

QByteArray EncodeRecovery(const QList<RecoveredPage>& pages)
{
    QByteArray out(kMagic, sizeof kMagic);
    PutU32(out, kVersion);
    PutU32(out, quint32(pages.size()));
    for (const RecoveredPage& page : pages) {
        PutU32(out, quint32(page.slot));
        PutU32(out, page.changed ? 1 : 0);
        PutU32(out, quint32(page.encoding));
        PutU32(out, quint32(page.lineEnd));
        PutText(out, page.fileName);
        PutText(out, page.text);
    }
    PutU32(out, Checksum(out.constData(), out.size()));
    return out;
}

std::optional<QList<RecoveredPage>> DecodeRecovery(const QByteArray& bytes)
{
    if (bytes.size() > kMaxRecoveryFileBytes || bytes.size() < qsizetype(sizeof kMagic) + 12)
        return std::nullopt;
    const qsizetype body = bytes.size() - 4;
    Reader in(bytes, body);
    quint32 stored = 0;
    for (int i = 0; i < 4; ++i)
        stored |= quint32(static_cast<unsigned char>(bytes[body + i])) << (8 * i);
    if (stored != Checksum(bytes.constData(), body))
        return std::nullopt;

    quint32 version = 0;
    quint32 count = 0;
    if (!in.skipMagic() || !in.u32(version) || version != kVersion || !in.u32(count) || count > kMaxRecoveredPages)
        return std::nullopt;
    QList<RecoveredPage> pages;
    bool slotTaken[kMaxRecoveredPages] = {};
    for (quint32 i = 0; i < count; ++i) {
        RecoveredPage page;
        quint32 slot = 0, flags = 0, encoding = 0, lineEnd = 0;
        if (!in.u32(slot) || !in.u32(flags) || !in.u32(encoding) || !in.u32(lineEnd))
            return std::nullopt;
        if (slot >= kMaxRecoveredPages || slotTaken[slot] || flags > 1 || encoding > quint32(TextEncoding::Latin1) ||
            lineEnd > quint32(LineEndStyle::Cr))
            return std::nullopt;
        slotTaken[slot] = true;
        page.slot = int(slot);
        page.changed = flags == 1;
        page.encoding = TextEncoding(encoding);
        page.lineEnd = LineEndStyle(lineEnd);
        if (!in.text(page.fileName) || !in.text(page.text))
            return std::nullopt;
        pages.append(std::move(page));
    }
    if (!in.atEnd())
        return std::nullopt;
    return pages;
}

QString RecoveryDirPath()
{
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // A relative XDG_STATE_HOME is to be ignored, as XDG_CONFIG_HOME is.
    const QString base = !state.isEmpty() && QDir::isAbsolutePath(state)
                             ? state
                             : QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/lumenpad");
}
