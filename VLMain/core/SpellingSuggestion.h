#pragma once

// Suggested spellings for names that no dictionary holds. Most such names are made of words the
// dictionaries know («splashscreen» is «Splash» + «Screen»): the core is cut at its characters
// without letter case, each run of letters is split into the fewest known words, and each word
// takes its row's spelling. What the candidate table shows comes first: a run that its names
// spell one way takes that spelling, and a split that they give no ground for (a short word where
// compounds never have it, a word in capitals inside a compound, two words that make a short run)
// gives no suggestion. A suggestion is only offered; the user decides.

#include "VLMain/core/Dictionary.h"
#include "VLMain/core/FileItem.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <unordered_map>

namespace vl {

// The spellings of whole runs of letters, one a line in UTF-8 («=Backtrace», or «?Spelling» for a
// run whose case its names disagree on), in the byte order of their upper-case forms in UTF-8,
// as the build writes them.
class RunSpellings
{
public:
    struct Found {
        QString spelling;
        bool doubtful = false;
    };

    RunSpellings() = default;
    explicit RunSpellings(QByteArray lines);

    // The run whose upper-case form is key; nothing when the lines lack it.
    std::optional<Found> Find(QStringView key) const;
    bool isEmpty() const { return lines_.isEmpty(); }

private:
    QByteArray lines_;
};

// The words that suggestions are built from: the dictionary rows made of letters only, each with
// its rank (1 for the most used name; the user's own rows rank as 1 too, as they were written for
// the user's own files), the words that the candidate table's names are made of (ranked after its
// keys), and the spellings of whole runs that those names show.
class SuggestionWords
{
public:
    struct Word {
        QString spelling;
        int rank = 1;
        int inCompounds = 0; // projects whose longer names hold this word (short words only)
        bool user = false; // a row of the user's own
        bool fromTable = false; // a word of the candidate table's names, not a row
    };

    SuggestionWords() = default;
    // The given built-in rows with their ranks, row for row.
    SuggestionWords(const QStringList &builtinRows, const QList<int> &ranks);
    // The program's built-in name dictionary with the ranks the build gave it, and what the build
    // learnt from the candidate table.
    static SuggestionWords Builtin();

    // Takes the user's rows in; rows already known change nothing, while a word of the candidate
    // table gives way to the user's row.
    void AddUserRows(const QStringList &rows);
    // A word that names are made of: a new one with its rank, or, with rank 0, how often a known
    // one stands inside longer names.
    void AddCompoundWord(const QString &spelling, int rank, int inCompounds);
    void SetRunSpellings(RunSpellings runs) { runs_ = std::move(runs); }
    const RunSpellings &Runs() const { return runs_; }
    // The word whose upper-case form is key; null when there is none.
    const Word *Find(const QString &key) const;
    // The length of the longest word, in UTF-16 units.
    qsizetype LongestWord() const { return longest_; }
    qsizetype size() const { return words_.size(); }

private:
    void Add(const QString &spelling, int rank, bool user);

    QHash<QString, Word> words_; // by upper-case form
    RunSpellings runs_;
    qsizetype longest_ = 0;
};

// The suggested spelling of a name core: empty when there is none (a run of letters that no
// words fill, or a result that would be the core itself).
QString SuggestSpelling(QStringView core, const SuggestionWords &words);

// The spellings of single runs of letters worked out so far, each as SuggestSpelling spells it
// inside any core: nothing where no words fill the run. Folders repeat their words («report»,
// «final»), and a run is spelled alike wherever it stands, so each is worked out once. Bounded:
// when full it starts afresh.
class SpelledRuns
{
public:
    static constexpr std::size_t kLimit = 4096;

    // The run's spelling when it is known: an empty optional inside when no words fill it.
    const std::optional<QString> *Find(QStringView run) const;
    void Add(QStringView run, std::optional<QString> spelling);
    void Clear() { runs_.clear(); }
    std::size_t size() const { return runs_.size(); }

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(QStringView text) const noexcept { return qHash(text); }
    };
    struct Equal {
        using is_transparent = void;
        bool operator()(QStringView a, QStringView b) const noexcept { return a == b; }
    };
    std::unordered_map<QString, std::optional<QString>, Hash, Equal> runs_;
};

// Suggestions for the items of one list, against the dictionaries as they are when asked. The
// words are gathered at the first question, not before, so a pass that asks nothing pays nothing;
// names the user adds later take part from the next question on.
class SpellingSuggester
{
public:
    explicit SpellingSuggester(const TDictionaries &dictionaries);
    // With words of the caller's choice instead of the built-in ones (tests).
    SpellingSuggester(const TDictionaries &dictionaries, SuggestionWords words);

    // The suggested spelling of a core.
    QString Suggest(QStringView core);
    // The caption that an item whose name no dictionary holds would take: its name part with the
    // suggested core. Empty when the name is known, has a core too short to look up, or gets no
    // suggestion.
    QString CaptionFor(const FileItem &item);

private:
    const SuggestionWords &Words();

    const TDictionaries &dictionaries_;
    std::optional<SuggestionWords> words_;
    qsizetype userRowsTaken_ = -1;
    // Spelled against words_ as it is: dropped whenever the user's rows go in.
    SpelledRuns runs_;
};

} // namespace vl
