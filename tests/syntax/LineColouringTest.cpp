#include "LineColouring.h"

#include <QRandomGenerator>
#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Writes a coloured line as <Role>text</Role>... for readable comparisons.
QString Dump(QStringView line, const std::vector<ColourSpan>& spans)
{
    QString out;
    for (const ColourSpan& s : spans) {
        const QString name = QString::fromLatin1(SyntaxRoleName(s.role));
        out += QLatin1Char('<') + name + QLatin1Char('>') + line.sliced(s.start, s.length).toString()
            + QStringLiteral("</") + name + QLatin1Char('>');
    }
    return out;
}

struct LineCase {
    const char* name;
    QString line;
    QString expected;
};

// Small lists: vec3 stands in two lists, so does gl_Color; some entries are not plain words.
LineColourer TestColourer()
{
    return LineColourer({"float", "vec3", "vec4", "", "mat4"},
                        {"uniform", "const", "highp ", "in"},
                        {"dot", "vec3", "texture2D", "gl_Color", "a.b"},
                        {"gl_Position", "gl_Color", "gl_TexCoord[0]"});
}

class ColourLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(ColourLine, GivesTheSpans)
{
    const LineCase& c = GetParam();
    const LineColourer colourer = TestColourer();
    EXPECT_EQ(Dump(c.line, colourer.colourLine(c.line)), c.expected);
}

const LineCase kLineCases[] = {
    {"EmptyLine", "", ""},
    {"PlainText", "x = y;", "<Text>x = y;</Text>"},
    {"OneWord", "vec4", "<DataType>vec4</DataType>"},
    {"EveryOccurrence", "vec4 a = vec4(1.0) + vec4(2.0);",
     "<DataType>vec4</DataType><Text> a = </Text><DataType>vec4</DataType><Text>(1.0) + </Text>"
     "<DataType>vec4</DataType><Text>(2.0);</Text>"},
    {"OtherLetterCase", "VEC4 Vec4 TEXTURE2d",
     "<DataType>VEC4</DataType><Text> </Text><DataType>Vec4</DataType><Text> </Text>"
     "<FunctionName>TEXTURE2d</FunctionName>"},
    {"InsideLongerWordNotColoured", "vec4x myvec4 vec4_1 _vec4 2vec4 float2",
     "<Text>vec4x myvec4 vec4_1 _vec4 2vec4 float2</Text>"},
    {"LaterPassWins", "vec3 gl_Color", "<FunctionName>vec3</FunctionName><Text> </Text><StateVar>gl_Color</StateVar>"},
    {"CommentOverrides", "vec4 a; // vec4 gl_Position",
     "<DataType>vec4</DataType><Text> a; </Text><Comment>// vec4 gl_Position</Comment>"},
    {"OnlyComment", "//", "<Comment>//</Comment>"},
    {"FirstDoubleSlashStartsComment", "a / b // c // d", "<Text>a / b </Text><Comment>// c // d</Comment>"},
    {"SingleSlashIsText", "float a = b / c;", "<DataType>float</DataType><Text> a = b / c;</Text>"},
    {"WordTouchingComment", "vec4//x", "<DataType>vec4</DataType><Comment>//x</Comment>"},
    {"TrailingBlankEntryNeedsTheBlank", "highp float highp", "<TypeQualifier>highp </TypeQualifier><DataType>float</DataType><Text> highp</Text>"},
    {"TrailingBlankEntryNotInsideWord", "xhighp float", "<Text>xhighp </Text><DataType>float</DataType>"},
    {"EntryWithSigns", "gl_TexCoord[0].st gl_TexCoord[1]",
     "<StateVar>gl_TexCoord[0]</StateVar><Text>.st gl_TexCoord[1]</Text>"},
    {"EntryWithSignsNeedsWordStart", "mygl_TexCoord[0]", "<Text>mygl_TexCoord[0]</Text>"},
    {"EntryWithSignInside", "a.b a.bc xa.b", "<FunctionName>a.b</FunctionName><Text> a.bc xa.b</Text>"},
    {"WordBeforeSign", "in.x", "<TypeQualifier>in</TypeQualifier><Text>.x</Text>"},
    {"RareEntryCutAtComment", "a.//b", "<Text>a.</Text><Comment>//b</Comment>"},
    {"RareEntryOverlapsPlainWord", "highp vec3", "<TypeQualifier>highp </TypeQualifier><FunctionName>vec3</FunctionName>"},
    {"NonAsciiLettersAreWordCharacters", QStringLiteral(u"vec4ä äfloat größe float"),
     QStringLiteral(u"<Text>vec4ä äfloat größe </Text><DataType>float</DataType>")},
    {"CommentAtStart", "// float", "<Comment>// float</Comment>"},
    {"TabsAndBlanks", "\tconst\tfloat ", "<Text>\t</Text><TypeQualifier>const</TypeQualifier><Text>\t</Text>"
                                          "<DataType>float</DataType><Text> </Text>"},
};

INSTANTIATE_TEST_SUITE_P(Rows, ColourLine, ::testing::ValuesIn(kLineCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LineColourer, WithoutListsOnlyCommentsAreColoured)
{
    const LineColourer colourer;
    EXPECT_EQ(Dump(u"vec4 a; // b", colourer.colourLine(u"vec4 a; // b")),
              QStringLiteral("<Text>vec4 a; </Text><Comment>// b</Comment>"));
}

TEST(LineColourer, EmptyEntriesColourNothing)
{
    const LineColourer colourer({""}, {""}, {""}, {""});
    EXPECT_EQ(Dump(u"a  b", colourer.colourLine(u"a  b")), QStringLiteral("<Text>a  b</Text>"));
}

TEST(LineColourer, ManyWordsAreAllFound)
{
    // Enough words to make the lookup table grow and collide.
    QStringList words;
    for (int i = 0; i < 5000; ++i)
        words << QStringLiteral("w%1").arg(i);
    const LineColourer colourer(words, {}, {}, {});
    for (int i = 0; i < 5000; i += 7) {
        const QString line = QStringLiteral("W%1").arg(i);
        const auto spans = colourer.colourLine(line);
        ASSERT_EQ(spans.size(), 1u) << line.toStdString();
        EXPECT_EQ(spans[0].role, SyntaxRole::DataType) << line.toStdString();
    }
    EXPECT_EQ(colourer.colourLine(u"w5000")[0].role, SyntaxRole::Text);
}

// The colouring done the slow way the rules describe: every list entry searched for at every
// position of the line, whole-word and ignoring case, later passes painting over earlier ones,
// then the comment. The fast colourer must agree with it on any line.
std::vector<ColourSpan> ReferenceColouring(const QString& line, const QStringList lists[4])
{
    const int n = int(line.size());
    std::vector<SyntaxRole> roles(size_t(n), SyntaxRole::Text);
    auto word = [](QChar c) { return IsWordCharacter(c.unicode()); };
    for (int pass = 0; pass < 4; ++pass) {
        for (const QString& entry : lists[pass]) {
            const int m = int(entry.size());
            if (m == 0)
                continue;
            for (int s = 0; s + m <= n; ++s) {
                if (QStringView(line).sliced(s, m).compare(entry, Qt::CaseInsensitive) != 0)
                    continue;
                if (s > 0 && word(entry[0]) && word(line[s - 1]))
                    continue;
                if (s + m < n && word(entry[m - 1]) && word(line[s + m]))
                    continue;
                std::fill(roles.begin() + s, roles.begin() + s + m, SyntaxRole(pass + 1));
            }
        }
    }
    const int comment = int(line.indexOf(QStringLiteral("//")));
    if (comment >= 0)
        std::fill(roles.begin() + comment, roles.end(), SyntaxRole::Comment);
    std::vector<ColourSpan> spans;
    for (int p = 0; p < n; ++p) {
        if (!spans.empty() && spans.back().role == roles[size_t(p)])
            ++spans.back().length;
        else
            spans.push_back({p, 1, roles[size_t(p)]});
    }
    return spans;
}

TEST(LineColourer, AgreesWithTheSlowWayOnRandomLines)
{
    const QStringList lists[4] = {
        {"float", "vec3", "vec4", "", "Mat4", "int"},
        {"uniform", "const", "highp ", "in", " out", "int"},
        {"dot", "vec3", "texture2D", "gl_Color", "a.b", "mix", "a a", "key", QStringLiteral(u"\u00e4x")},
        {"gl_Position", "gl_Color", "gl_TexCoord[0]", "in"},
    };
    const LineColourer colourer(lists[0], lists[1], lists[2], lists[3]);
    const QStringList pieces = {"float", "FLOAT", "vec3", "vec4", "mat4", "int", "uniform", "const",
                                "highp", "in", "out", "dot", "texture2D", "gl_Color", "gl_Position",
                                "gl_TexCoord", "[0]", "[1]", "a", "b", ".", " ", " ", "  ", "\t", "/",
                                "//", "_", "x", "1", "(", ")", ";", QStringLiteral(u"ä"), QStringLiteral(u"Ö"),
                                "k", "K", "ey", QStringLiteral(u"\u212a"), QStringLiteral(u"Ä")};
    QRandomGenerator random(1234);
    std::vector<ColourSpan> spans;
    for (int round = 0; round < 20000; ++round) {
        QString line;
        const int count = int(random.bounded(12));
        for (int i = 0; i < count; ++i)
            line += pieces[random.bounded(int(pieces.size()))];
        colourer.colourLine(line, spans);
        ASSERT_EQ(Dump(line, spans), Dump(line, ReferenceColouring(line, lists))) << "line: " << line.toStdString();
    }
}

} // namespace
