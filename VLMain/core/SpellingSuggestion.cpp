#include "VLMain/core/SpellingSuggestion.h"

#include "VLUtils/core/TextRules.h"
#include "data/BuiltinData.h"

#include <cmath>
#include <limits>
#include <vector>

namespace vl {

namespace {

// Words this short stand only for a whole run: as parts of longer runs they would fit almost
// anywhere («in», «on», «to»).
constexpr qsizetype kShortWord = 2;

bool IsLetters(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (const char32_t c : text.toUcs4())
        if (!IsCasedChar(c))
            return false;
    return true;
}

// Both an upper-case and a lower-case letter: the writer chose the case already.
bool IsMixedCase(QStringView run)
{
    bool upper = false;
    bool lower = false;
    for (const char32_t c : run.toUcs4()) {
        upper = upper || (c != LowerChar(c) && c == UpperChar(c));
        lower = lower || (c != UpperChar(c) && c == LowerChar(c));
    }
    return upper && lower;
}

// The positions within text at which a character begins, and its end.
std::vector<qsizetype> CharBounds(QStringView text)
{
    std::vector<qsizetype> bounds;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (!text.at(i).isLowSurrogate() || i == 0 || !text.at(i - 1).isHighSurrogate())
            bounds.push_back(i);
    bounds.push_back(text.size());
    return bounds;
}

// The spelling of one run of letters as the fewest words, or nothing when no words fill it.
// Among splits with equally few words the one whose ranks multiply to the least wins: were words
// used at a rate inverse to their rank, it is the likeliest.
std::optional<QString> SpellRun(QStringView run, const SuggestionWords &words)
{
    const QString upper = UpperCase(run);
    if (upper.size() != run.size())
        return std::nullopt;
    const std::vector<qsizetype> bounds = CharBounds(run);
    const std::size_t n = bounds.size() - 1; // characters

    struct Best {
        int count = std::numeric_limits<int>::max(); // words; max: not reached
        double cost = 0; // sum of the words' log ranks
        std::size_t from = 0; // where the last word begins
        const SuggestionWords::Word *word = nullptr;
    };
    std::vector<Best> best(n + 1);
    best[0].count = 0;
    for (std::size_t end = 1; end <= n; ++end) {
        for (std::size_t begin = end; begin-- > 0;) {
            const qsizetype length = bounds[end] - bounds[begin];
            if (length > words.LongestWord())
                break;
            if (best[begin].count == std::numeric_limits<int>::max())
                continue;
            if (end - begin <= kShortWord && !(begin == 0 && end == n && end - begin == kShortWord))
                continue;
            const SuggestionWords::Word *word = words.Find(upper.mid(bounds[begin], length));
            if (!word)
                continue;
            const int count = best[begin].count + 1;
            const double cost = best[begin].cost + std::log(static_cast<double>(word->rank));
            Best &here = best[end];
            if (count < here.count || (count == here.count && cost < here.cost))
                here = {count, cost, begin, word};
        }
    }
    if (best[n].word == nullptr)
        return std::nullopt;
    QStringList parts;
    for (std::size_t at = n; at > 0; at = best[at].from)
        parts.prepend(best[at].word->spelling);
    return parts.join(QString());
}

} // namespace

SuggestionWords::SuggestionWords(const QStringList &builtinRows, const QList<int> &ranks)
{
    words_.reserve(builtinRows.size());
    for (qsizetype i = 0; i < builtinRows.size(); ++i)
        Add(builtinRows.at(i), i < ranks.size() ? std::max(1, ranks.at(i)) : 1);
}

SuggestionWords SuggestionWords::Builtin()
{
    return SuggestionWords(data::BuiltinNames(), data::BuiltinNameRanks());
}

void SuggestionWords::AddUserRows(const QStringList &rows)
{
    for (const QString &row : rows)
        Add(row, 1);
}

void SuggestionWords::Add(const QString &spelling, int rank)
{
    if (CharCount(spelling) < kShortWord || !IsLetters(spelling))
        return;
    // The dictionaries hold no two rows equal in all but case; should a caller give two, the
    // first stays.
    const QString key = UpperCase(spelling);
    if (words_.contains(key))
        return;
    words_.insert(key, {spelling, rank});
    longest_ = std::max(longest_, key.size());
}

const SuggestionWords::Word *SuggestionWords::Find(const QString &key) const
{
    const auto it = words_.constFind(key);
    return it == words_.cend() ? nullptr : &it.value();
}

QString SuggestSpelling(QStringView core, const SuggestionWords &words)
{
    // Runs of letters between the characters without case; those stay as they are.
    QString result;
    result.reserve(core.size());
    qsizetype i = 0;
    while (i < core.size()) {
        const auto isCasedAt = [&](qsizetype at) {
            const char32_t c = core.at(at).isHighSurrogate() && at + 1 < core.size()
                                   ? QChar::surrogateToUcs4(core.at(at), core.at(at + 1))
                                   : core.at(at).unicode();
            return IsCasedChar(c);
        };
        const auto step = [&](qsizetype at) {
            return core.at(at).isHighSurrogate() && at + 1 < core.size() ? 2 : 1;
        };
        qsizetype end = i;
        const bool letters = isCasedAt(i);
        while (end < core.size() && isCasedAt(end) == letters)
            end += step(end);
        const QStringView piece = core.sliced(i, end - i);
        // A lone letter has no word to go by and keeps its case («x64»); so does a run whose
        // writer mixed the cases already («MyTOOL»).
        if (!letters || CharCount(piece) < kShortWord || IsMixedCase(piece)) {
            result += piece;
        } else {
            const std::optional<QString> spelled = SpellRun(piece, words);
            if (!spelled)
                return {};
            result += *spelled;
        }
        i = end;
    }
    // A suggestion changes letter case and nothing else, and only one that changes it is worth
    // offering.
    if (result == core || UpperCase(result) != UpperCase(core))
        return {};
    return result;
}

SpellingSuggester::SpellingSuggester(const TDictionaries &dictionaries) :
    dictionaries_(dictionaries)
{ }

SpellingSuggester::SpellingSuggester(const TDictionaries &dictionaries, SuggestionWords words) :
    dictionaries_(dictionaries),
    words_(std::move(words))
{ }

const SuggestionWords &SpellingSuggester::Words()
{
    if (!words_)
        words_ = SuggestionWords::Builtin();
    // The user list only grows, so a new size means new rows.
    const QStringList &userRows = dictionaries_.names.UserList();
    if (userRows.size() != userRowsTaken_) {
        words_->AddUserRows(userRows);
        userRowsTaken_ = userRows.size();
    }
    return *words_;
}

QString SpellingSuggester::Suggest(QStringView core)
{
    return SuggestSpelling(core, Words());
}

QString SpellingSuggester::CaptionFor(const FileItem &item)
{
    // The same lookups as the rename pass: only a name it would leave unrecognised gets one.
    if (dictionaries_.full.FindName(QString(item.caption + u'.' + item.extension)) >= 0)
        return {};
    const NamePieces pieces = SplitNamePart(item.caption);
    if (CharCount(pieces.core) < 2 || dictionaries_.names.FindName(pieces.core) >= 0)
        return {};
    const QString core = Suggest(pieces.core);
    if (core.isEmpty())
        return {};
    return pieces.prefix + core + pieces.suffix;
}

} // namespace vl
