// The recovery file's reader: whatever was written comes back exactly; anything else is
// refused, never half-read.
#include "RecoveryFile.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

namespace {

QString Awkward()
{
    QString text = QStringLiteral("a\r\nb\rc\nd");
    text += QChar(0);
    text += QChar(0x2029);
    text += QChar(0xFDD0);
    text += QChar(0xD800); // a lone surrogate
    text += QStringLiteral("\u00e4\u20ac");
    return text;
}

TEST(RecoveryFile, WrittenPagesReadBackExactly)
{
    const QList<QList<RecoveredPage>> cases = {
        {},
        {{0, QString(), QString(), true, TextEncoding::Utf8, LineEndStyle::CrLf}},
        {{1, QStringLiteral("/tmp/a b/\u00fc.frag"), Awkward(), false, TextEncoding::Latin1, LineEndStyle::Cr}},
        {{0, QStringLiteral("/x.vert"), QString(100000, QLatin1Char('x')), true, TextEncoding::Utf8, LineEndStyle::Lf},
         {1, QString(), Awkward(), true, TextEncoding::Utf8, LineEndStyle::CrLf}},
    };
    for (const QList<RecoveredPage>& pages : cases) {
        const std::optional<QList<RecoveredPage>> back = DecodeRecovery(EncodeRecovery(pages));
        ASSERT_TRUE(back.has_value()) << pages.size();
        EXPECT_TRUE(*back == pages) << pages.size();
    }
}

TEST(RecoveryFile, DamagedOrForeignBytesAreRefused)
{
    const QByteArray good = EncodeRecovery({{0, QStringLiteral("/a.vert"), Awkward(), true, TextEncoding::Utf8,
                                             LineEndStyle::CrLf}});
    // Rewrites one little-endian field and puts a right checksum on the result, so only the
    // field's check can refuse it.
    const auto withField = [&](qsizetype at, quint32 value) {
        QByteArray bytes = good.left(good.size() - 4);
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = char((value >> (8 * i)) & 0xFF);
        quint32 hash = 2166136261u;
        for (char c : bytes)
            hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
        for (int i = 0; i < 4; ++i)
            bytes.append(char((hash >> (8 * i)) & 0xFF));
        return bytes;
    };
    QByteArray flipped = good;
    flipped[30] = char(flipped[30] ^ 1);
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"empty", QByteArray()},
        {"text", QByteArray("void main() {}\n")},
        {"cut short", good.left(good.size() - 1)},
        {"cut in the text", good.left(good.size() / 2)},
        {"a byte more", good + 'x'},
        {"a bit flipped", flipped},
        {"another version", withField(8, 2)},
        {"too many pages", withField(12, 3)},
        {"a third slot", withField(16, 2)},
        {"unknown flags", withField(20, 2)},
        {"unknown encoding", withField(24, 2)},
        {"unknown line end", withField(28, 3)},
        {"a name longer than the file", withField(32, 0x7FFFFFFF)},
        {"a name of 4 G units", withField(32, 0xFFFFFFFF)},
    };
    ASSERT_TRUE(DecodeRecovery(good).has_value());
    for (const auto& c : cases)
        EXPECT_FALSE(DecodeRecovery(c.bytes).has_value()) << c.name;
}

} // namespace
