#include "VLMain/core/SpellingSuggestion.h"

#include "VLUtils/core/TextRules.h"
#include "data/BuiltinData.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace vl {

namespace {

// Words this short stand only for a whole run: as parts of longer runs they would fit almost
// anywhere («in», «on», «to»).
constexpr qsizetype kShortWord = 2;

// Words of up to this many letters stand inside a compound only where the candidate table shows
// them inside longer names of at least kCompoundUse projects: short words fit almost anywhere
// («pen» + «ding»).
constexpr qsizetype kShortCompoundWord = 4;
constexpr int kCompoundUse = 50;
// A run of two words shorter than this is as likely one word of its own («Subgraph»).
constexpr std::size_t kShortCompound = 9;

// Calls f with each code point of text; a lone surrogate stands for itself, as it has no case.
template <typename F> void ForEachChar(QStringView text, F f)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            ++i;
        }
        f(c);
    }
}

bool HasLowerChar(QStringView text)
{
    bool lower = false;
    ForEachChar(text,
                [&](char32_t c) { lower = lower || (c != UpperChar(c) && c == LowerChar(c)); });
    return lower;
}

bool IsLetters(QStringView text)
{
    bool letters = !text.isEmpty();
    ForEachChar(text, [&](char32_t c) { letters = letters && IsCasedChar(c); });
    return letters;
}

// Both an upper-case and a lower-case letter: the writer chose the case already.
bool IsMixedCase(QStringView run)
{
    bool upper = false;
    bool lower = false;
    ForEachChar(run, [&](char32_t c) {
        if (c < 0x80) {
            upper = upper || (c >= 'A' && c <= 'Z');
            lower = lower || (c >= 'a' && c <= 'z');
            return;
        }
        upper = upper || (c != LowerChar(c) && c == UpperChar(c));
        lower = lower || (c != UpperChar(c) && c == LowerChar(c));
    });
    return upper && lower;
}

// Whether the two texts have the same upper-case form. ASCII, nearly every name, is compared in
// place; from the first other character on, the forms themselves are compared.
bool SameUpperCase(QStringView a, QStringView b)
{
    qsizetype i = 0;
    for (; i < a.size() && i < b.size(); ++i) {
        const char16_t ca = a.at(i).unicode();
        const char16_t cb = b.at(i).unicode();
        if (ca >= 0x80 || cb >= 0x80)
            break;
        if (ca == cb)
            continue;
        // Two ASCII characters differ only in case when they are one letter.
        const char16_t lower = ca | 0x20;
        if (lower != (cb | 0x20) || lower < 'a' || lower > 'z')
            return false;
    }
    if (i == a.size() && i == b.size())
        return true;
    return UpperCase(a.sliced(i)) == UpperCase(b.sliced(i));
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
    // The user's own word for the whole run, then the spelling the run's names show.
    if (const SuggestionWords::Word *own = words.Find(upper); own && own->user)
        return own->spelling;
    if (const auto known = words.Runs().Find(upper)) {
        if (known->doubtful)
            return std::nullopt;
        return known->spelling;
    }
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
            // A view of the upper-case form, not a copy: the innermost loop allocates nothing.
            const SuggestionWords::Word *word
                = words.Find(QString::fromRawData(upper.constData() + bounds[begin], length));
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
    for (std::size_t at = n; at > 0; at = best[at].from) {
        const SuggestionWords::Word *word = best[at].word;
        if (best[n].count > 1) {
            // Splits that the names give no ground for: no suggestion.
            const bool shortWord
                = at - best[at].from <= static_cast<std::size_t>(kShortCompoundWord);
            if ((shortWord && word->inCompounds < kCompoundUse) || !HasLowerChar(word->spelling))
                return std::nullopt;
        }
        parts.prepend(word->spelling);
    }
    if (parts.size() == 2 && n < kShortCompound)
        return std::nullopt;
    return parts.join(QString());
}

} // namespace

RunSpellings::RunSpellings(QByteArray lines) : lines_(std::move(lines)) { }

namespace {

// The code point that the UTF-8 at text[i] begins and its length in bytes; a length of 0 where
// the bytes are not well-formed UTF-8.
std::pair<char32_t, int> DecodeUtf8(QByteArrayView text, qsizetype i)
{
    const auto byte = [&](qsizetype at) { return static_cast<unsigned char>(text.at(at)); };
    const unsigned char lead = byte(i);
    const int length = lead >= 0xf0 ? 4 : (lead >= 0xe0 ? 3 : (lead >= 0xc0 ? 2 : 0));
    if (length == 0 || lead > 0xf4 || i + length > text.size())
        return {0, 0};
    char32_t c = lead & (0x7f >> length);
    for (int k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xc0) != 0x80)
            return {0, 0};
        c = (c << 6) | (byte(i + k) & 0x3f);
    }
    constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kLeast[length] || c > 0x10ffff || (c >= 0xd800 && c <= 0xdfff))
        return {0, 0};
    return {c, length};
}

// The UTF-8 of a code point into out; its length in bytes.
int EncodeUtf8(char32_t c, unsigned char out[4])
{
    if (c < 0x80) {
        out[0] = static_cast<unsigned char>(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = static_cast<unsigned char>(0xc0 | (c >> 6));
        out[1] = static_cast<unsigned char>(0x80 | (c & 0x3f));
        return 2;
    }
    if (c < 0x10000) {
        out[0] = static_cast<unsigned char>(0xe0 | (c >> 12));
        out[1] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3f));
        out[2] = static_cast<unsigned char>(0x80 | (c & 0x3f));
        return 3;
    }
    out[0] = static_cast<unsigned char>(0xf0 | (c >> 18));
    out[1] = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3f));
    out[2] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3f));
    out[3] = static_cast<unsigned char>(0x80 | (c & 0x3f));
    return 4;
}

// Compares the upper-case form of a line's spelling (after its mark) with key, in UTF-8 byte
// order. The form is made a character at a time as the comparison reaches it, so a probe builds
// nothing; a line that is not well-formed UTF-8 is decoded as a whole, as the build would read it.
int CompareLine(QByteArrayView line, QByteArrayView key)
{
    const QByteArrayView spelling = line.sliced(1);
    qsizetype k = 0; // bytes of key compared
    for (qsizetype i = 0; i < spelling.size();) {
        unsigned char upper[4];
        int length = 1;
        if (const auto c = static_cast<unsigned char>(spelling.at(i)); c < 0x80) {
            upper[0] = c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
            ++i;
        } else {
            const auto [code, bytes] = DecodeUtf8(spelling, i);
            if (bytes == 0) {
                const int order
                    = QByteArrayView(UpperCase(QString::fromUtf8(spelling)).toUtf8()).compare(key);
                return order < 0 ? -1 : (order > 0 ? 1 : 0);
            }
            length = EncodeUtf8(UpperChar(code), upper);
            i += bytes;
        }
        for (int u = 0; u < length; ++u, ++k) {
            if (k == key.size())
                return 1;
            const auto b = static_cast<unsigned char>(key.at(k));
            if (upper[u] != b)
                return upper[u] < b ? -1 : 1;
        }
    }
    return k == key.size() ? 0 : -1;
}

} // namespace

std::optional<RunSpellings::Found> RunSpellings::Find(QStringView key) const
{
    // A binary search over the bytes themselves, so that nothing is built before the first
    // question: each probe backs up to the start of its line.
    const QByteArray wanted = key.toUtf8();
    const char *const begin = lines_.constData();
    qsizetype low = 0; // a line start
    qsizetype high = lines_.size(); // a line start, or the end
    while (low < high) {
        qsizetype start = low + (high - low) / 2;
        while (start > low && begin[start - 1] != '\n')
            --start;
        qsizetype end = lines_.indexOf('\n', start);
        if (end < 0)
            end = lines_.size();
        const QByteArrayView line(begin + start, end - start);
        const qsizetype next = end < lines_.size() ? end + 1 : end;
        if (line.size() < 2) {
            // A blank line: look on either side of it.
            low = next;
            continue;
        }
        const int order = CompareLine(line, wanted);
        if (order == 0)
            return Found {QString::fromUtf8(line.sliced(1)), line.front() == '?'};
        if (order < 0)
            low = next;
        else
            high = start;
    }
    return std::nullopt;
}

SuggestionWords::SuggestionWords(const QStringList &builtinRows, const QList<int> &ranks)
{
    // Room for the words of the candidate table too, which the built-in set adds next.
    words_.reserve(builtinRows.size() * 2);
    for (qsizetype i = 0; i < builtinRows.size(); ++i)
        Add(builtinRows.at(i), i < ranks.size() ? std::max(1, ranks.at(i)) : 1, false);
}

SuggestionWords SuggestionWords::Builtin()
{
    SuggestionWords words(data::BuiltinNames(), data::BuiltinNameRanks());
    for (const data::CompoundWord &word : data::BuiltinCompoundWords())
        words.AddCompoundWord(word.spelling, word.rank, word.inCompounds);
    const QByteArrayView runs = data::BuiltinRunSpellings();
    words.SetRunSpellings(RunSpellings(QByteArray::fromRawData(runs.data(), runs.size())));
    return words;
}

void SuggestionWords::AddUserRows(const QStringList &rows)
{
    for (const QString &row : rows)
        Add(row, 1, true);
}

void SuggestionWords::AddCompoundWord(const QString &spelling, int rank, int inCompounds)
{
    const QString key = UpperCase(spelling);
    const auto it = words_.find(key);
    if (it != words_.end()) {
        it->inCompounds = inCompounds;
    } else if (rank > 0 && CharCount(spelling) >= kShortWord && IsLetters(spelling)) {
        words_.insert(key, {spelling, rank, inCompounds, false, true});
        longest_ = std::max(longest_, key.size());
    }
}

void SuggestionWords::Add(const QString &spelling, int rank, bool user)
{
    if (CharCount(spelling) < kShortWord || !IsLetters(spelling))
        return;
    // The dictionaries hold no two rows equal in all but case; should a caller give two, the
    // first stays.
    const QString key = UpperCase(spelling);
    const auto known = words_.find(key);
    if (known != words_.end()) {
        // The user's row comes before a word that only the candidate table has.
        if (user && known->fromTable)
            *known = {spelling, rank, known->inCompounds, true, false};
        return;
    }
    words_.insert(key, {spelling, rank, 0, user, false});
    longest_ = std::max(longest_, key.size());
}

const SuggestionWords::Word *SuggestionWords::Find(const QString &key) const
{
    const auto it = words_.constFind(key);
    return it == words_.cend() ? nullptr : &it.value();
}

namespace {

// SuggestSpelling, with the spellings of single runs taken from runs and kept there when known.
QString SpellCore(QStringView core, const SuggestionWords &words, SpelledRuns *runs)
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
            // The ASCII characters with case are its letters.
            if (c < 0x80)
                return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
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
        } else if (const std::optional<QString> *known = runs ? runs->Find(piece) : nullptr) {
            if (!*known)
                return {};
            result += **known;
        } else {
            std::optional<QString> spelled = SpellRun(piece, words);
            const bool none = !spelled;
            if (!none)
                result += *spelled;
            if (runs)
                runs->Add(piece, std::move(spelled));
            if (none)
                return {};
        }
        i = end;
    }
    // A suggestion changes letter case and nothing else, and only one that changes it is worth
    // offering.
    if (result == core || !SameUpperCase(result, core))
        return {};
    return result;
}

} // namespace

QString SuggestSpelling(QStringView core, const SuggestionWords &words)
{
    return SpellCore(core, words, nullptr);
}

const std::optional<QString> *SpelledRuns::Find(QStringView run) const
{
    const auto it = runs_.find(run);
    return it == runs_.end() ? nullptr : &it->second;
}

void SpelledRuns::Add(QStringView run, std::optional<QString> spelling)
{
    if (runs_.size() >= kLimit)
        runs_.clear();
    runs_.emplace(run.toString(), std::move(spelling));
}

SpellingSuggester::SpellingSuggester(const TDictionaries &dictionaries) :
    dictionaries_(dictionaries)
{ }

SpellingSuggester::SpellingSuggester(const TDictionaries &dictionaries, SuggestionWords words) :
    dictionaries_(dictionaries),
    words_(std::move(words))
{ }

namespace {

// The built-in words never change: they are gathered once, at the first question the process
// asks, and every suggester shares them (its copy stays shallow until the user's rows go in).
const SuggestionWords &SharedBuiltinWords()
{
    static const SuggestionWords words = SuggestionWords::Builtin();
    return words;
}

} // namespace

const SuggestionWords &SpellingSuggester::Words()
{
    if (!words_)
        words_ = SharedBuiltinWords();
    // The user list only grows, so a new size means new rows.
    const QStringList &userRows = dictionaries_.names.UserList();
    if (userRows.size() != userRowsTaken_) {
        words_->AddUserRows(userRows);
        userRowsTaken_ = userRows.size();
        // A new row can change the spelling of any run.
        runs_.Clear();
    }
    return *words_;
}

QString SpellingSuggester::Suggest(QStringView core)
{
    const SuggestionWords &words = Words();
    return SpellCore(core, words, &runs_);
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
