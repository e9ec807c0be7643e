// The line colouring core: the spans of any line cover it exactly, in order, one role per
// run, and match a plain search for every whole-word occurrence of every entry and a plain
// walk through the comments, block comments carried from line to line.

#include "FuzzSupport.h"
#include "LineColouring.h"
#include "WordListFile.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace {

using Lists = std::array<QStringList, 4>; // DataTypes, TypeQualifiers, FunctionNames, StateVars

// The rules written out the slow way: each entry compared at every position.
class ReferenceColourer {
public:
    explicit ReferenceColourer(const Lists& lists)
    {
        for (int l = 0; l < 4; ++l)
            for (const QString& e : lists[size_t(l)])
                if (!e.isEmpty())
                    byFirst_[FoldCharacter(e[0].unicode())].push_back(
                        {e, std::uint8_t(l + 1),
                         std::all_of(e.cbegin(), e.cend(), [](QChar c) { return IsWordCharacter(c.unicode()); })});
    }

    // inComment: the line starts inside a block comment; on return, whether it ends in one.
    std::vector<ColourSpan> colour(QStringView line, bool& inComment) const
    {
        const qsizetype n = line.size();
        std::vector<std::uint8_t> roles(size_t(n), std::uint8_t{0}); // Text
        for (qsizetype s = 0; s < n; ++s) {
            const auto found = byFirst_.constFind(FoldCharacter(line[s].unicode()));
            if (found == byFirst_.constEnd())
                continue;
            for (const Entry& e : *found) {
                const qsizetype m = e.text.size();
                if (s + m > n)
                    continue;
                // Compared in case-folded form; an entry that is one word matches words only, so
                // U+0345 (a combining mark, which case-folds onto the letter iota) is not iota.
                bool same = true;
                for (qsizetype k = 0; same && k < m; ++k)
                    same = FoldCharacter(line[s + k].unicode()) == FoldCharacter(e.text[k].unicode()) &&
                           (!e.plainWord || IsWordCharacter(line[s + k].unicode()));
                if (!same)
                    continue;
                const bool startOk = s == 0 || !IsWordCharacter(e.text[0].unicode()) ||
                                     !IsWordCharacter(line[s - 1].unicode());
                const bool endOk = s + m == n || !IsWordCharacter(e.text[m - 1].unicode()) ||
                                   !IsWordCharacter(line[s + m].unicode());
                if (!startOk || !endOk)
                    continue;
                for (qsizetype p = s; p < s + m; ++p)
                    roles[size_t(p)] = std::max(roles[size_t(p)], e.role);
            }
        }
        const auto comment = std::uint8_t(SyntaxRole::Comment);
        qsizetype p = 0;
        while (p < n) {
            if (inComment) {
                const qsizetype close = line.indexOf(u"*/", p);
                const qsizetype end = close < 0 ? n : close + 2;
                std::fill(roles.begin() + p, roles.begin() + end, comment);
                inComment = close < 0;
                p = end;
            } else if (line.mid(p).startsWith(u"//")) {
                std::fill(roles.begin() + p, roles.end(), comment);
                break;
            } else if (line.mid(p).startsWith(u"/*")) {
                std::fill(roles.begin() + p, roles.begin() + p + 2, comment);
                inComment = true;
                p += 2;
            } else {
                ++p;
            }
        }

        std::vector<ColourSpan> spans;
        for (p = 0; p < n; ++p) {
            if (!spans.empty() && std::uint8_t(spans.back().role) == roles[size_t(p)])
                ++spans.back().length;
            else
                spans.push_back({int(p), 1, SyntaxRole(roles[size_t(p)])});
        }
        return spans;
    }

private:
    struct Entry {
        QString text;
        std::uint8_t role;
        bool plainWord; // letters, digits and underscores only
    };
    QHash<char16_t, std::vector<Entry>> byFirst_;
};

QString Describe(const std::vector<ColourSpan>& spans)
{
    QString out;
    for (const ColourSpan& s : spans)
        out += QStringLiteral("[%1+%2 %3]").arg(s.start).arg(s.length).arg(QLatin1String(SyntaxRoleName(s.role)));
    return out;
}

void CheckShape(QStringView line, const std::vector<ColourSpan>& spans)
{
    const QString detail = QString::fromStdString(Escaped(line.toString())) + QLatin1Char(' ') + Describe(spans);
    FUZZ_CHECK(line.isEmpty() == spans.empty(), detail);
    int next = 0;
    for (size_t i = 0; i < spans.size(); ++i) {
        FUZZ_CHECK(spans[i].start == next && spans[i].length > 0, detail);
        FUZZ_CHECK(int(spans[i].role) >= 0 && int(spans[i].role) < kSyntaxRoleCount, detail);
        FUZZ_CHECK(i == 0 || spans[i].role != spans[i - 1].role, detail);
        next += spans[i].length;
    }
    FUZZ_CHECK(next == line.size(), detail);
}

struct Shipped {
    Lists lists;
    std::unique_ptr<LineColourer> colourer;
    std::unique_ptr<ReferenceColourer> reference;
};

const Shipped& ShippedLists()
{
    static const Shipped shipped = [] {
        Shipped s;
        const char* files[4] = {"syntax_datatypes.txt", "syntax_typequalifiers.txt", "syntax_functionnames.txt",
                                "syntax_statevars.txt"};
        for (int l = 0; l < 4; ++l)
            s.lists[size_t(l)] =
                ReadWordListFile(QStringLiteral(LUMENPAD_SOURCE_DIR "/data/") + QLatin1String(files[l]));
        s.colourer = std::make_unique<LineColourer>(s.lists[0], s.lists[1], s.lists[2], s.lists[3]);
        s.reference = std::make_unique<ReferenceColourer>(s.lists);
        return s;
    }();
    return shipped;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    ShippedLists();
    return 0;
}

// The text's parts are separated by LF. With the first byte's low bit set the shipped word
// lists colour every part; otherwise a part "0:word" to "3:word" adds an entry to list 0 to 3
// and every other part is a line to colour.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const bool shipped = data[0] & 1;
    const QString text = FuzzText(data + 1, size - 1);
    const QStringList parts = text.split(QLatin1Char('\n'));

    Lists lists;
    QStringList lines;
    for (const QString& part : parts) {
        if (!shipped && part.size() >= 2 && part[1] == u':' && part[0] >= u'0' && part[0] <= u'3')
            lists[size_t(part[0].unicode() - u'0')].append(part.mid(2));
        else
            lines.append(part);
    }

    std::unique_ptr<LineColourer> own;
    std::unique_ptr<ReferenceColourer> ownReference;
    const LineColourer* colourer;
    const ReferenceColourer* reference;
    if (shipped) {
        colourer = ShippedLists().colourer.get();
        reference = ShippedLists().reference.get();
    } else {
        own = std::make_unique<LineColourer>(lists[0], lists[1], lists[2], lists[3]);
        ownReference = std::make_unique<ReferenceColourer>(lists);
        colourer = own.get();
        reference = ownReference.get();
    }

    std::vector<ColourSpan> reused;
    bool inComment = false;
    bool expectedInComment = false;
    for (const QString& line : lines) {
        const bool startsInComment = inComment;
        const std::vector<ColourSpan> spans = colourer->colourLine(line, startsInComment);
        CheckShape(line, spans);
        const std::vector<ColourSpan> expected = reference->colour(line, expectedInComment);
        QString listed;
        if (!shipped)
            for (int l = 0; l < 4; ++l)
                for (const QString& e : lists[size_t(l)])
                    listed += QStringLiteral(" %1:%2").arg(l).arg(QString::fromStdString(Escaped(e)));
        FUZZ_CHECK(spans == expected, QStringLiteral("line %1\ngot      %2\nexpected %3\nlists%4")
                                          .arg(QString::fromStdString(Escaped(line)), Describe(spans),
                                               Describe(expected), listed));
        // The overload that reuses its vector forgets the previous line.
        inComment = colourer->colourLine(line, reused, startsInComment);
        FUZZ_CHECK(reused == spans, Describe(reused));
        FUZZ_CHECK(inComment == expectedInComment, QString::fromStdString(Escaped(line)));
    }
    return 0;
}
