// config.txt: ParseSettings against a reading written from the file's rules, and the written
// form read back whatever follows it.

#include "FuzzSupport.h"
#include "Settings.h"

#include <QStringDecoder>

#include <climits>

namespace {

const QString kInvalidNumber = QStringLiteral("Ungültige numerische Eingabe");

// The reading rules, independently: lines 1-3 up to LF (a CR before it dropped), each line
// UTF-8 when valid, else Latin-1; then integer tokens after any run of bytes below 33, at most
// 32 bytes each, an optionally signed decimal that fits an int; the end of the file reads as 0.
class ReferenceReader {
public:
    explicit ReferenceReader(const QByteArray& bytes) : bytes_(bytes) {}

    QString line()
    {
        qsizetype end = pos_;
        while (end < bytes_.size() && bytes_[end] != '\n')
            ++end;
        qsizetype textEnd = end;
        // A CR just before the end of the file goes as well, the way the file's last line
        // would have been written with CR LF.
        if (textEnd > pos_ && bytes_[textEnd - 1] == '\r')
            --textEnd;
        const QByteArray raw = bytes_.mid(pos_, textEnd - pos_);
        pos_ = end < bytes_.size() ? end + 1 : end;
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = utf8.decode(raw);
        return utf8.hasError() ? QString::fromLatin1(raw) : text;
    }

    bool integer(int& value)
    {
        while (pos_ < bytes_.size() && static_cast<unsigned char>(bytes_[pos_]) < 33)
            ++pos_;
        QByteArray token;
        while (pos_ < bytes_.size() && token.size() < 32 && static_cast<unsigned char>(bytes_[pos_]) >= 33)
            token += bytes_[pos_++];
        if (token.isEmpty()) {
            value = 0;
            return true;
        }
        qsizetype i = 0;
        bool negative = false;
        if (token[0] == '+' || token[0] == '-') {
            negative = token[0] == '-';
            ++i;
        }
        if (i == token.size())
            return false;
        long long magnitude = 0;
        for (; i < token.size(); ++i) {
            if (token[i] < '0' || token[i] > '9')
                return false;
            magnitude = magnitude * 10 + (token[i] - '0');
            if (magnitude > 1LL + INT_MAX)
                return false;
        }
        const long long signedValue = negative ? -magnitude : magnitude;
        if (signedValue < INT_MIN || signedValue > INT_MAX)
            return false;
        value = int(signedValue);
        return true;
    }

    void restOfLine()
    {
        while (pos_ < bytes_.size() && bytes_[pos_] != '\n')
            ++pos_;
        if (pos_ < bytes_.size())
            ++pos_;
    }

private:
    const QByteArray& bytes_;
    qsizetype pos_ = 0;
};

SettingsReadResult ReferenceParse(const QByteArray& bytes)
{
    SettingsReadResult r;
    ReferenceReader in(bytes);
    r.values.validatorDir = in.line();
    r.values.vertexFile = in.line();
    r.values.fragmentFile = in.line();
    r.linesRead = 3;
    int g[4] = {};
    for (int& n : g)
        if (!in.integer(n)) {
            r.errorMessage = kInvalidNumber;
            return r;
        }
    in.restOfLine();
    r.values.width = g[0];
    r.values.height = g[1];
    r.values.top = g[2];
    r.values.left = g[3];
    r.linesRead = 4;
    int maximised = 0;
    if (!in.integer(maximised)) {
        r.errorMessage = kInvalidNumber;
        return r;
    }
    in.restOfLine();
    r.values.maximised = maximised;
    r.linesRead = 5;
    int scheme = 0;
    if (!in.integer(scheme)) {
        r.errorMessage = kInvalidNumber;
        return r;
    }
    r.values.schemeIndex = scheme;
    r.linesRead = 6;
    return r;
}

QString Describe(const SettingsReadResult& r)
{
    const StoredSettings& v = r.values;
    return QStringLiteral("lines %1 error '%2' dir %3 vs %4 fs %5 geometry %6 %7 %8 %9 max %10 scheme %11")
        .arg(r.linesRead)
        .arg(r.errorMessage)
        .arg(QString::fromStdString(Escaped(v.validatorDir)), QString::fromStdString(Escaped(v.vertexFile)),
             QString::fromStdString(Escaped(v.fragmentFile)))
        .arg(v.width)
        .arg(v.height)
        .arg(v.top)
        .arg(v.left)
        .arg(v.maximised)
        .arg(v.schemeIndex);
}

bool SameValues(const StoredSettings& a, const StoredSettings& b)
{
    return a.validatorDir == b.validatorDir && a.vertexFile == b.vertexFile && a.fragmentFile == b.fragmentFile &&
           a.width == b.width && a.height == b.height && a.top == b.top && a.left == b.left &&
           a.maximised == b.maximised && a.schemeIndex == b.schemeIndex;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input = FuzzBytes(data, size);
    const SettingsReadResult got = ParseSettings(input);

    FUZZ_CHECK(got.linesRead >= 0 && got.linesRead <= 6, Describe(got));
    FUZZ_CHECK(got.errorMessage.isEmpty() == (got.linesRead == 6), Describe(got));
    FUZZ_CHECK(got.errorMessage.isEmpty() || got.errorMessage == kInvalidNumber, Describe(got));
    for (const QString* line : {&got.values.validatorDir, &got.values.vertexFile, &got.values.fragmentFile})
        FUZZ_CHECK(!line->contains(QLatin1Char('\n')), Describe(got));

    const SettingsReadResult expected = ReferenceParse(input);
    FUZZ_CHECK(got.linesRead == expected.linesRead && got.errorMessage == expected.errorMessage &&
                   SameValues(got.values, expected.values),
               QStringLiteral("got      %1\nexpected %2").arg(Describe(got), Describe(expected)));

    // What the program writes reads back the same, and nothing after the sixth line is read.
    // A text line that itself starts with U+FEFF cannot come back: a line's leading byte order
    // mark is taken for the file's.
    const bool bomLed = got.values.validatorDir.startsWith(QChar(0xFEFF)) ||
                        got.values.vertexFile.startsWith(QChar(0xFEFF)) ||
                        got.values.fragmentFile.startsWith(QChar(0xFEFF));
    if (!bomLed) {
        const QByteArray written = FormatSettings(got.values) + input;
        const SettingsReadResult again = ParseSettings(written);
        StoredSettings want = got.values;
        want.maximised = want.maximised == 1 ? 1 : 0;
        FUZZ_CHECK(again.linesRead == 6 && again.errorMessage.isEmpty() && SameValues(again.values, want),
                   QStringLiteral("written %1\nread back %2")
                       .arg(QString::fromStdString(Escaped(FormatSettings(got.values))), Describe(again)));
    }
    return 0;
}
