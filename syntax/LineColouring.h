#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <vector>

// The colouring of one line of shader text, without any widget: which characters are plain
// text, which belong to a word of one of the four word lists, and which lie in a comment.

// What a run of characters is, in precedence order: a later role wins over an earlier one.
enum class SyntaxRole : std::uint8_t {
    Text,          // TextColour, plain
    DataType,      // DataTypeColour, plain
    TypeQualifier, // TypeQualifierColour, plain
    FunctionName,  // FunctionNameColour, plain
    StateVar,      // StateVarColour, underlined
    Comment,       // CommentColour, plain; a "//" comment to the end of the line, or a "/* */" one
};
inline constexpr int kSyntaxRoleCount = 6;

// "Text", "DataType", ...: the role's name as the reference dumps write it.
const char* SyntaxRoleName(SyntaxRole role);

// A run of characters [start, start + length) of one role.
struct ColourSpan {
    int start = 0;
    int length = 0;
    SyntaxRole role = SyntaxRole::Text;

    friend bool operator==(const ColourSpan&, const ColourSpan&) = default;
};

namespace LineColouringDetail {
// Bit c of word c / 32: whether ASCII character c is a word character.
inline constexpr std::uint32_t kAsciiWordBits[4] = {0x00000000u, 0x03FF0000u, 0x87FFFFFEu, 0x07FFFFFEu};
} // namespace LineColouringDetail

// Word characters for whole-word matching: letters, digits and the underscore.
inline bool IsWordCharacter(char16_t c)
{
    if (c < 0x80)
        return (LineColouringDetail::kAsciiWordBits[c >> 5] >> (c & 31)) & 1u;
    return QChar::isLetterOrNumber(char32_t(c));
}

// Letter case is ignored by comparing case-folded characters.
inline char16_t FoldCharacter(char16_t c)
{
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? char16_t(c + 0x20) : c;
    return char16_t(QChar::toCaseFolded(char32_t(c)));
}

// Colours lines with one set of word lists. Built once from the lists (a case-insensitive
// lookup table of their words); colouring a line then costs one pass over it plus one search
// per entry that is not a plain word (an entry holding a blank or a sign, which is rare).
//
// The rules: every whole-word occurrence of an entry, in any letter case, takes the role of
// its list; where entries of several lists cover a character, the later list in the order
// DataTypes, TypeQualifiers, FunctionNames, StateVars wins; comments are Comment whatever they
// hold: from a "//" to the end of the line, and from a "/*" to the next "*/", which may lie on
// a later line ("//" inside a block comment starts nothing, nor "/*" inside a line comment).
// A match is whole-word when neither of its ends lies inside a word: at each end, the entry's
// edge character or the text's neighbouring character is not a word character (or the line
// ends there). Empty entries colour nothing.
class LineColourer {
public:
    // Colours nothing but comments.
    LineColourer();
    LineColourer(const QStringList& dataTypes, const QStringList& typeQualifiers,
                 const QStringList& functionNames, const QStringList& stateVars);

    // Built from the module's four word lists as they are now.
    static LineColourer FromWordLists();

    // The spans of a line, in order, covering it exactly (none for an empty line); neighbouring
    // spans have different roles. spans is cleared first and reused, so a caller colouring many
    // lines allocates nothing per line. inComment tells that the line starts inside a block
    // comment (the line before ended in one); the result tells whether this line ends in one.
    bool colourLine(QStringView line, std::vector<ColourSpan>& spans, bool inComment = false) const;
    std::vector<ColourSpan> colourLine(QStringView line, bool inComment = false) const;

private:
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t offset = 0; // into keyChars_
        std::uint32_t length = 0; // 0: slot unused
        std::uint8_t mask = 0;    // bit p: the word stands in the list of pass p
    };
    struct RareEntry {
        QString text;
        SyntaxRole role;
    };

    void addList(const QStringList& list, int pass, std::vector<QString>& plainWords,
                 std::vector<std::uint8_t>& plainMasks);
    void buildTable(const std::vector<QString>& words, const std::vector<std::uint8_t>& masks);
    std::uint8_t lookup(const char16_t* word, int length, std::uint32_t hash) const;
    void noteStart(char16_t first, int length);
    // A cheap first test for a word of the line: whether a listed word has its length and,
    // ignoring case, its first character. Most words of a shader fail it and skip the hash.
    bool mayBeListed(char16_t first, int length) const
    {
        // Outside ASCII a character may fold onto an ASCII letter (the Kelvin sign onto k).
        if (first >= 0x80 || length >= kStartTableLengths)
            return true;
        const char16_t folded = first | 0x20;
        return (startTable_[size_t(length) * 2 + (folded >> 6)] >> (folded & 63)) & 1u;
    }
    void applyRareEntries(QStringView line, int commentStart, std::vector<ColourSpan>& spans) const;

    static constexpr int kStartTableLengths = 64;
    // Bit c of the pair for length n: some listed word of n characters starts with c, case-folded
    // as in the hash (ASCII only; the test passes every word it cannot look up here).
    std::uint64_t startTable_[kStartTableLengths * 2] = {};

    std::vector<Slot> slots_;
    std::uint32_t slotMask_ = 0;
    std::vector<char16_t> keyChars_;
    int maxWordLength_ = 0;
    std::vector<RareEntry> rare_;
};
