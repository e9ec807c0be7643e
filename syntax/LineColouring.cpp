#include "LineColouring.h"

#include "LanguageSyntax.h"

#include <QVarLengthArray>

#include <algorithm>

namespace {

constexpr std::uint32_t kHashPrime = 16777619u;

// Equal for characters that differ in letter case only. In ASCII setting bit 5 folds A-Z onto
// a-z (and moves no other word character onto a letter), without a branch.
inline char16_t HashFold(char16_t c)
{
    return c < 0x80 ? char16_t(c | 0x20) : FoldCharacter(c);
}

inline std::uint32_t HashStep(std::uint32_t hash, char16_t c)
{
    return (hash ^ HashFold(c)) * kHashPrime;
}

// Hashes a word from its length and a few of its characters, case-folded, so the scan over a
// line does no work per character beyond finding the words. Words of a list that share all of
// these only cost a comparison more.
inline std::uint32_t WordHash(const char16_t* word, int length)
{
    std::uint32_t hash = std::uint32_t(length) * 0x9E3779B1u;
    hash = HashStep(hash, word[0]);
    hash = HashStep(hash, word[length - 1]);
    hash = HashStep(hash, word[length / 2]);
    if (length > 3) {
        hash = HashStep(hash, word[1]);
        hash = HashStep(hash, word[length - 2]);
    }
    return hash;
}

inline std::uint32_t SlotIndex(std::uint32_t hash)
{
    return hash ^ (hash >> 15);
}

// The role of a word from the set of lists that hold it: the last pass wins.
constexpr SyntaxRole kRoleOfMask[16] = {
    SyntaxRole::Text,         SyntaxRole::DataType,     SyntaxRole::TypeQualifier,
    SyntaxRole::TypeQualifier, SyntaxRole::FunctionName, SyntaxRole::FunctionName,
    SyntaxRole::FunctionName, SyntaxRole::FunctionName, SyntaxRole::StateVar,
    SyntaxRole::StateVar,     SyntaxRole::StateVar,     SyntaxRole::StateVar,
    SyntaxRole::StateVar,     SyntaxRole::StateVar,     SyntaxRole::StateVar,
    SyntaxRole::StateVar,
};

bool IsPlainWord(const QString& entry)
{
    for (QChar c : entry) {
        if (!IsWordCharacter(c.unicode()))
            return false;
    }
    return true;
}

inline void AppendSpan(std::vector<ColourSpan>& spans, int start, int end, SyntaxRole role)
{
    if (end <= start)
        return;
    if (!spans.empty() && spans.back().role == role && spans.back().start + spans.back().length == start) {
        spans.back().length += end - start;
        return;
    }
    spans.push_back({start, end - start, role});
}

} // namespace

const char* SyntaxRoleName(SyntaxRole role)
{
    switch (role) {
    case SyntaxRole::Text: return "Text";
    case SyntaxRole::DataType: return "DataType";
    case SyntaxRole::TypeQualifier: return "TypeQualifier";
    case SyntaxRole::FunctionName: return "FunctionName";
    case SyntaxRole::StateVar: return "StateVar";
    case SyntaxRole::Comment: return "Comment";
    }
    return "?";
}

LineColourer::LineColourer() : LineColourer({}, {}, {}, {}) {}

LineColourer::LineColourer(const QStringList& dataTypes, const QStringList& typeQualifiers,
                           const QStringList& functionNames, const QStringList& stateVars)
{
    std::vector<QString> words;
    std::vector<std::uint8_t> masks;
    addList(dataTypes, 0, words, masks);
    addList(typeQualifiers, 1, words, masks);
    addList(functionNames, 2, words, masks);
    addList(stateVars, 3, words, masks);
    buildTable(words, masks);
}

LineColourer LineColourer::FromWordLists()
{
    return LineColourer(DataTypes, TypeQualifiers, FunctionNames, StateVars);
}

void LineColourer::addList(const QStringList& list, int pass, std::vector<QString>& plainWords,
                           std::vector<std::uint8_t>& plainMasks)
{
    const auto role = SyntaxRole(pass + 1);
    for (const QString& entry : list) {
        if (entry.isEmpty())
            continue;
        if (!IsPlainWord(entry)) {
            // Equal under the same folding the search uses: QString's own case-insensitive
            // comparison folds whole code points, which would drop an entry the search tells
            // apart (one of two supplementary letters that differ in case only).
            const bool known = std::any_of(rare_.begin(), rare_.end(), [&](const RareEntry& r) {
                return r.role == role && r.text.size() == entry.size() &&
                       std::equal(r.text.cbegin(), r.text.cend(), entry.cbegin(), [](QChar a, QChar b) {
                           return FoldCharacter(a.unicode()) == FoldCharacter(b.unicode());
                       });
            });
            if (!known)
                rare_.push_back({entry, role});
            continue;
        }
        QString folded(entry.size(), Qt::Uninitialized);
        for (qsizetype i = 0; i < entry.size(); ++i)
            folded[i] = QChar(FoldCharacter(entry[i].unicode()));
        plainWords.push_back(folded);
        plainMasks.push_back(std::uint8_t(1u << pass));
    }
}

void LineColourer::buildTable(const std::vector<QString>& words, const std::vector<std::uint8_t>& masks)
{
    std::uint32_t capacity = 16;
    while (capacity < 2 * words.size())
        capacity *= 2;
    slots_.assign(capacity, Slot{});
    slotMask_ = capacity - 1;

    for (size_t w = 0; w < words.size(); ++w) {
        const QString& word = words[w];
        const auto length = std::uint32_t(word.size());
        const std::uint32_t hash = WordHash(QStringView(word).utf16(), int(length));
        for (std::uint32_t i = SlotIndex(hash) & slotMask_;; i = (i + 1) & slotMask_) {
            Slot& slot = slots_[i];
            if (slot.length == 0) {
                slot.hash = hash;
                slot.offset = std::uint32_t(keyChars_.size());
                slot.length = length;
                slot.mask = masks[w];
                keyChars_.insert(keyChars_.end(), QStringView(word).utf16(), QStringView(word).utf16() + length);
                noteStart(word[0].unicode(), int(length));
                maxWordLength_ = std::max(maxWordLength_, int(length));
                break;
            }
            if (slot.hash == hash && slot.length == length
                && std::equal(QStringView(word).utf16(), QStringView(word).utf16() + length, keyChars_.data() + slot.offset)) {
                slot.mask |= masks[w];
                break;
            }
        }
    }
}

// word points into the line, not folded; the stored keys are.
std::uint8_t LineColourer::lookup(const char16_t* word, int length, std::uint32_t hash) const
{
    for (std::uint32_t i = SlotIndex(hash) & slotMask_;; i = (i + 1) & slotMask_) {
        const Slot& slot = slots_[i];
        if (slot.length == 0)
            return 0;
        if (slot.hash != hash || slot.length != std::uint32_t(length))
            continue;
        const char16_t* key = keyChars_.data() + slot.offset;
        int k = 0;
        while (k < length && FoldCharacter(word[k]) == key[k])
            ++k;
        if (k == length)
            return slot.mask;
    }
}

void LineColourer::noteStart(char16_t first, int length)
{
    // A word starting outside ASCII after folding can only meet a text word starting outside
    // ASCII, which the test passes anyway.
    const char16_t folded = HashFold(first);
    if (folded < 0x80 && length < kStartTableLengths)
        startTable_[size_t(length) * 2 + (folded >> 6)] |= std::uint64_t(1) << (folded & 63);
}

std::vector<ColourSpan> LineColourer::colourLine(QStringView line, bool inComment) const
{
    std::vector<ColourSpan> spans;
    colourLine(line, spans, inComment);
    return spans;
}

namespace {
// The index just past the "*/" that closes a block comment whose text starts at from; -1 when
// the line ends first.
int BlockCommentEnd(const char16_t* text, int from, int n)
{
    for (int k = from; k + 1 < n; ++k) {
        if (text[k] == u'*' && text[k + 1] == u'/')
            return k + 2;
    }
    return -1;
}
} // namespace

bool LineColourer::colourLine(QStringView line, std::vector<ColourSpan>& spans, bool inComment) const
{
    spans.clear();
    const char16_t* text = line.utf16();
    const int n = int(line.size());
    int lineCommentStart = n;
    int textFrom = 0; // end of the last span written
    int i = 0;
    bool open = false; // a block comment runs past the end of the line
    if (inComment) {
        const int end = BlockCommentEnd(text, 0, n);
        i = textFrom = end < 0 ? n : end;
        open = end < 0;
        AppendSpan(spans, 0, i, SyntaxRole::Comment);
    }
    while (i < n) {
        const char16_t c = text[i];
        if (!IsWordCharacter(c)) {
            if (c == u'/' && i + 1 < n) {
                if (text[i + 1] == u'/') {
                    lineCommentStart = i;
                    break;
                }
                if (text[i + 1] == u'*') {
                    const int end = BlockCommentEnd(text, i + 2, n);
                    open = end < 0;
                    AppendSpan(spans, textFrom, i, SyntaxRole::Text);
                    AppendSpan(spans, i, open ? n : end, SyntaxRole::Comment);
                    i = textFrom = open ? n : end;
                    continue;
                }
            }
            ++i;
            continue;
        }
        const int start = i;
        do
            ++i;
        while (i < n && IsWordCharacter(text[i]));
        const int length = i - start;
        if (length > maxWordLength_ || !mayBeListed(text[start], length))
            continue;
        const std::uint8_t mask = lookup(text + start, length, WordHash(text + start, length));
        if (!mask)
            continue;
        AppendSpan(spans, textFrom, start, SyntaxRole::Text);
        AppendSpan(spans, start, i, kRoleOfMask[mask]);
        textFrom = i;
    }
    AppendSpan(spans, textFrom, lineCommentStart, SyntaxRole::Text);
    if (!rare_.empty())
        applyRareEntries(line, lineCommentStart, spans);
    AppendSpan(spans, lineCommentStart, n, SyntaxRole::Comment);
    return open;
}

// Entries holding a non-word character are searched for one by one, the way a find with the
// whole-word flag would, and laid over the word spans, each character keeping the highest role
// (so block comments stay Comment).
void LineColourer::applyRareEntries(QStringView line, int commentStart, std::vector<ColourSpan>& spans) const
{
    const char16_t* text = line.utf16();
    const int n = int(line.size());
    QVarLengthArray<std::uint8_t, 512> roles;
    bool found = false;

    for (const RareEntry& entry : rare_) {
        const char16_t* key = QStringView(entry.text).utf16();
        const int m = int(entry.text.size());
        const char16_t first = FoldCharacter(key[0]);
        const bool wordAtStart = IsWordCharacter(key[0]);
        const bool wordAtEnd = IsWordCharacter(key[m - 1]);
        for (int s = 0; s < commentStart && s + m <= n; ++s) {
            if (FoldCharacter(text[s]) != first)
                continue;
            int k = 1;
            while (k < m && FoldCharacter(text[s + k]) == FoldCharacter(key[k]))
                ++k;
            if (k < m)
                continue;
            if (wordAtStart && s > 0 && IsWordCharacter(text[s - 1]))
                continue;
            if (wordAtEnd && s + m < n && IsWordCharacter(text[s + m]))
                continue;
            if (!found) {
                found = true;
                roles.resize(commentStart);
                for (const ColourSpan& span : spans)
                    std::fill_n(roles.begin() + span.start, span.length, std::uint8_t(span.role));
            }
            const int end = std::min(s + m, commentStart);
            for (int p = s; p < end; ++p)
                roles[p] = std::max(roles[p], std::uint8_t(entry.role));
        }
    }
    if (!found)
        return;
    spans.clear();
    int runStart = 0;
    for (int p = 1; p <= commentStart; ++p) {
        if (p == commentStart || roles[p] != roles[runStart]) {
            AppendSpan(spans, runStart, p, SyntaxRole(roles[runStart]));
            runStart = p;
        }
    }
}
