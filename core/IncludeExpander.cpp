#include "IncludeExpander.h"

#include "LumenpadError.h"
#include "TextFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace {

const QRegularExpression kIncludeLine(QStringLiteral(R"re(^\s*#\s*include\s*(?:"([^"]+)"|<([^>]+)>))re"));
const QRegularExpression kIncludeExtension(
    QStringLiteral(R"(^\s*#\s*extension\s+(GL_GOOGLE_include_directive|GL_ARB_shading_language_include)\b)"));
const QRegularExpression kVersionLine(QStringLiteral(R"(^\s*#\s*version\b)"));

struct Frame {
    QString canonical;
    QString shown;  // as the chain of includes names it
    QString source; // as messages name it: "0" for the main file, as glslang does
    int line = 0;   // of the #include being expanded
};

class Expander {
public:
    Expander(const IncludeSettings& settings, LineForm form, bool namesNext)
        : settings_(settings), form_(form), namesNext_(namesNext)
    {
    }

    ExpandedShader result;

    // A line of the expansion, and where it came from (line 0: added by the expansion).
    void put(QStringList& out, const QString& line, int index = 0, int lineNumber = 0)
    {
        out.append(line);
        result.origins.append({index, lineNumber});
    }
    void put(QStringList& out, const QStringList& lines)
    {
        for (const QString& line : lines)
            put(out, line);
    }

    // The lines of one file, its includes replaced; index is its place in result.files.
    void expand(const QString& text, const QString& shown, const QString& canonical, int index, QStringList& out,
                QList<Frame>& chain)
    {
        const QStringList lines = text.split(QLatin1Char('\n'));
        for (int n = 0; n < lines.size(); ++n) {
            const QString& line = lines[n];
            const int lineNumber = n + 1;
            if (kIncludeExtension.match(line).hasMatch()) {
                put(out, QString(), index, lineNumber); // the expansion stands in for the extension
                continue;
            }
            const QRegularExpressionMatch include = kIncludeLine.match(line);
            if (!include.hasMatch()) {
                put(out, line, index, lineNumber);
                if (index == 0 && kVersionLine.match(line).hasMatch() && !headerDone_) {
                    headerDone_ = true;
                    put(out, header());
                    put(out, defines_);
                    put(out, lineDirective(lineNumber + 1, index));
                }
                continue;
            }
            const QString name = include.captured(1).isEmpty() ? include.captured(2) : include.captured(1);
            chain.append({canonical, shown.isEmpty() ? QStringLiteral("this page") : shown,
                          index == 0 ? QStringLiteral("0") : shown, lineNumber});
            includeFile(name, shown, out, chain);
            chain.removeLast();
            put(out, lineDirective(lineNumber + 1, index));
        }
    }

    // Without a #version line the header and the macros come first.
    void beginWithoutVersion(QStringList& out)
    {
        headerDone_ = true;
        put(out, header());
        put(out, defines_);
        put(out, lineDirective(1, 0));
    }

    void setDefines(const QStringList& defines) { defines_ = defines; }

private:
    QStringList header() const
    {
        if (form_ == LineForm::Named)
            return {QStringLiteral("#extension GL_GOOGLE_cpp_style_line_directive : require")};
        return {};
    }

    // "#line" so that the next line is number `next` of file `index`; none in the mapped form.
    QStringList lineDirective(int next, int index) const
    {
        if (form_ == LineForm::Mapped)
            return {};
        const int number = namesNext_ ? next : next - 1;
        if (index > 0)
            return {QStringLiteral("#line %1 \"%2\"").arg(number).arg(result.files[index])};
        return {QStringLiteral("#line %1 0").arg(number)};
    }

    QString chainText(const QList<Frame>& chain, const QString& last) const
    {
        QStringList steps;
        for (const Frame& frame : chain)
            steps.append(QStringLiteral("%1:%2").arg(frame.shown).arg(frame.line));
        if (!last.isEmpty())
            steps.append(last);
        return steps.join(QStringLiteral(" -> "));
    }

    void fail(const QList<Frame>& chain, const QString& why)
    {
        if (!result.error.isEmpty())
            return;
        const Frame& at = chain.last();
        result.error = QStringLiteral("ERROR: %1:%2: '#include' : %3").arg(at.source).arg(at.line).arg(why);
    }

    void includeFile(const QString& name, const QString& includerShown, QStringList& out, QList<Frame>& chain)
    {
        const QString includerDir = QFileInfo(includerShown).path();
        // A page without a file has no folder of its own: the include paths only.
        QStringList candidates;
        if (QFileInfo(name).isAbsolute())
            candidates.append(name);
        else {
            if (!includerShown.isEmpty())
                candidates.append(QDir(includerDir).filePath(name));
            for (const QString& dir : settings_.includePaths)
                candidates.append(QDir(dir).filePath(name));
        }
        QString found;
        for (const QString& candidate : candidates) {
            if (QFileInfo(candidate).isFile()) {
                found = QDir::cleanPath(candidate);
                break;
            }
        }
        if (found.isEmpty()) {
            fail(chain, QStringLiteral("cannot find \"%1\" (looked in %2); included from %3")
                            .arg(name, candidates.join(QStringLiteral(", ")), chainText(chain, {})));
            return;
        }
        const QString canonical = QFileInfo(found).canonicalFilePath();
        for (const Frame& frame : chain) {
            if (frame.canonical == canonical) {
                fail(chain, QStringLiteral("\"%1\" includes itself: %2").arg(name, chainText(chain, found)));
                return;
            }
        }
        if (chain.size() > settings_.maxDepth) {
            fail(chain, QStringLiteral("includes nested deeper than %1: %2")
                            .arg(settings_.maxDepth)
                            .arg(chainText(chain, found)));
            return;
        }
        QByteArray bytes;
        if (const int err = ReadFileBytes(found, bytes)) {
            fail(chain, QStringLiteral("cannot read \"%1\": %2").arg(found, SystemReason(err)));
            return;
        }
        QString text = DecodeUtf8OrLatin1(bytes);
        text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        if (text.endsWith(QLatin1Char('\n')))
            text.chop(1);
        int index = int(result.files.indexOf(found));
        if (index < 0) {
            index = int(result.files.size());
            result.files.append(found);
        }
        put(out, lineDirective(1, index));
        expand(text, found, canonical, index, out, chain);
    }

    const IncludeSettings& settings_;
    LineForm form_;
    bool namesNext_;
    bool headerDone_ = false;
    QStringList defines_;
};

} // namespace

bool HasIncludes(const QString& text)
{
    // Only lines that name "include" at all go to the expression: a big shader without
    // includes is passed over at the speed of a search.
    const QStringView all(text);
    for (qsizetype at = all.indexOf(QLatin1StringView("include")); at >= 0;
         at = all.indexOf(QLatin1StringView("include"), at + 1)) {
        const qsizetype start = all.lastIndexOf(QLatin1Char('\n'), at) + 1;
        qsizetype end = all.indexOf(QLatin1Char('\n'), at);
        if (end < 0)
            end = all.size();
        if (kIncludeLine.match(all.sliced(start, end - start)).hasMatch())
            return true;
        at = end;
    }
    return false;
}

ExpandedShader ExpandIncludes(const QString& text, const QString& mainPath, const IncludeSettings& settings,
                              LineForm form, bool lineNamesNextLine)
{
    Expander expander(settings, form, lineNamesNextLine);
    expander.result.files = {mainPath};
    if (!HasIncludes(text) && settings.defines.isEmpty()) {
        expander.result.text = text;
        return expander.result;
    }
    QStringList defines;
    for (const auto& [name, value] : settings.defines)
        defines.append(QStringLiteral("#define %1 %2").arg(name, value).trimmed());
    expander.setDefines(defines);

    QStringList out;
    QList<Frame> chain;
    const QString canonical = mainPath.isEmpty() ? QString() : QFileInfo(mainPath).canonicalFilePath();
    const QStringList lines = text.split(QLatin1Char('\n'));
    const bool hasVersion = std::any_of(lines.cbegin(), lines.cend(),
                                        [](const QString& line) { return kVersionLine.match(line).hasMatch(); });
    if (!hasVersion)
        expander.beginWithoutVersion(out);
    expander.expand(text, mainPath, canonical, 0, out, chain);
    expander.result.text = out.join(QLatin1Char('\n'));
    expander.result.changed = true;
    return expander.result;
}

QString MapLogLine(const QString& line, const ExpandedShader& expanded)
{
    if (expanded.origins.isEmpty())
        return line;
    // "0:12(16): error", "ERROR: 0:12: ...", "0(12) : error C...": a source number, then the line.
    static const QRegularExpression kLocation(QStringLiteral(R"(^((?:ERROR|WARNING|NOTE): )?(\d+)(:|\()(\d+))"));
    const QRegularExpressionMatch m = kLocation.match(line);
    if (!m.hasMatch())
        return line;
    bool ok = false;
    const int number = m.captured(4).toInt(&ok);
    if (!ok || number < 1 || number > expanded.origins.size())
        return line;
    const auto [file, original] = expanded.origins[number - 1];
    if (original == 0)
        return line;
    const QString source = file == 0 ? QStringLiteral("0") : expanded.files[file];
    return m.captured(1) + source + m.captured(3) + QString::number(original) + line.mid(m.capturedEnd(4));
}
