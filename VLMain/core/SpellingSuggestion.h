#pragma once

// Suggested spellings for names that no dictionary holds. Most such names are made of words the
// dictionaries know («splashscreen» is «Splash» + «Screen»): the core is cut at its characters
// without letter case, each run of letters is split into the fewest known words, and each word
// takes its row's spelling. A suggestion is only offered; the user decides.

#include "VLMain/core/Dictionary.h"
#include "VLMain/core/FileItem.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace vl {

// The words that suggestions are built from: the dictionary rows made of letters only, each with
// its rank (1 for the most used name; the user's own rows rank as 1 too, as they were written for
// the user's own files).
class SuggestionWords
{
public:
    struct Word {
        QString spelling;
        int rank = 1;
    };

    SuggestionWords() = default;
    // The given built-in rows with their ranks, row for row.
    SuggestionWords(const QStringList &builtinRows, const QList<int> &ranks);
    // The program's built-in name dictionary with the ranks the build gave it.
    static SuggestionWords Builtin();

    // Takes the user's rows in; rows already known change nothing.
    void AddUserRows(const QStringList &rows);
    // The word whose upper-case form is key; null when there is none.
    const Word *Find(const QString &key) const;
    // The length of the longest word, in UTF-16 units.
    qsizetype LongestWord() const { return longest_; }
    qsizetype size() const { return words_.size(); }

private:
    void Add(const QString &spelling, int rank);

    QHash<QString, Word> words_; // by upper-case form
    qsizetype longest_ = 0;
};

// The suggested spelling of a name core: empty when there is none (a run of letters that no
// words fill, or a result that would be the core itself).
QString SuggestSpelling(QStringView core, const SuggestionWords &words);

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
};

} // namespace vl
