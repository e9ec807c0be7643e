#include "Settings.h"

#include "LumenpadError.h"
#include "TextFile.h"

namespace {

const QString kInvalidNumber = QStringLiteral("Ungültige numerische Eingabe");

class SettingsReader {
public:
    explicit SettingsReader(const QByteArray& content) : data_(content) {}

    // One text line without its LF or CR LF; at the end of the file an empty line.
    QString readLine()
    {
        qsizetype end = data_.indexOf('\n', pos_);
        if (end < 0)
            end = data_.size();
        qsizetype textEnd = end;
        if (textEnd > pos_ && data_[textEnd - 1] == '\r')
            --textEnd;
        const QByteArray line = data_.mid(pos_, textEnd - pos_);
        pos_ = std::min(end + 1, data_.size());
        // 8-bit text; paths written by this program are UTF-8.
        return DecodeUtf8OrLatin1(line);
    }

    // One integer; returns false for a token that is not one.
    bool readInteger(int& value)
    {
        while (pos_ < data_.size() && static_cast<unsigned char>(data_[pos_]) < 33)
            ++pos_;
        const qsizetype start = pos_;
        while (pos_ < data_.size() && pos_ - start < kMaxNumberTokenLength
               && static_cast<unsigned char>(data_[pos_]) >= 33)
            ++pos_;
        if (pos_ == start) {
            value = 0; // end of file
            return true;
        }
        return ParseIntegerToken(QString::fromLatin1(data_.sliced(start, pos_ - start)), value);
    }

    void skipRestOfLine()
    {
        while (pos_ < data_.size() && data_[pos_] != '\n')
            ++pos_;
        if (pos_ < data_.size())
            ++pos_;
    }

private:
    const QByteArray& data_;
    qsizetype pos_ = 0;
};

// No path the system accepts is longer; a longer line names nothing and is taken as empty,
// so it never reaches a message or a file name.
QString PathLine(const QString& line)
{
    return line.size() > kMaxPathBytes || line.toUtf8().size() > kMaxPathBytes ? QString() : line;
}

} // namespace

SettingsReadResult ParseSettings(const QByteArray& content)
{
    SettingsReadResult result;
    StoredSettings& v = result.values;
    SettingsReader reader(content);

    v.validatorDir = PathLine(reader.readLine());
    v.vertexFile = PathLine(reader.readLine());
    v.fragmentFile = PathLine(reader.readLine());
    result.linesRead = 3;

    int geometry[4] = {0, 0, 0, 0};
    for (int& number : geometry) {
        if (!reader.readInteger(number)) {
            result.errorMessage = kInvalidNumber;
            return result;
        }
    }
    reader.skipRestOfLine();
    v.width = geometry[0];
    v.height = geometry[1];
    v.top = geometry[2];
    v.left = geometry[3];
    result.linesRead = 4;

    int maximised = 0;
    if (!reader.readInteger(maximised)) {
        result.errorMessage = kInvalidNumber;
        return result;
    }
    reader.skipRestOfLine();
    v.maximised = maximised;
    result.linesRead = 5;

    int scheme = 0;
    if (!reader.readInteger(scheme)) {
        result.errorMessage = kInvalidNumber;
        return result;
    }
    v.schemeIndex = scheme;
    result.linesRead = 6;
    return result;
}

QString SettingsIoMessage(int errorNumber)
{
    return IoErrorMessage(errorNumber);
}

SettingsReadResult ReadSettingsFile(const QString& path)
{
    QByteArray content;
    if (const int err = ReadFileBytes(path, content)) {
        SettingsReadResult failed;
        failed.errorMessage = SettingsIoMessage(err);
        return failed;
    }
    return ParseSettings(content);
}

QByteArray FormatSettings(const StoredSettings& s)
{
    const QString text = s.validatorDir + QLatin1String("\r\n") + s.vertexFile + QLatin1String("\r\n") +
                         s.fragmentFile + QLatin1String("\r\n") +
                         QStringLiteral("%1 %2 %3 %4\r\n").arg(s.width).arg(s.height).arg(s.top).arg(s.left) +
                         QStringLiteral("%1\r\n%2\r\n").arg(s.maximised == 1 ? 1 : 0).arg(s.schemeIndex);
    return text.toUtf8();
}

void WriteSettingsFile(const QString& path, const StoredSettings& settings)
{
    if (const int err = WriteFileAtomically(path, FormatSettings(settings)))
        throw LumenpadError(SettingsIoMessage(err));
}
