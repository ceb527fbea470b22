#pragma once

#include <QByteArrayView>
#include <QStringList>

namespace vl::data {

// The rows of the built-in name dictionary, in ascending collation order.
QStringList BuiltinNames();

// The rank of each row of BuiltinNames(), in the same order: 1 for the name that most projects
// use, larger for rarer ones.
QList<int> BuiltinNameRanks();

// The words that names are made of beyond the rows of BuiltinNames(), learnt from the candidate
// table at build time.
struct CompoundWord {
    QString spelling;
    int rank = 0; // 0: a row of BuiltinNames(), which keeps its own rank
    int inCompounds = 0; // projects that use a word of up to four letters inside a longer name
};
QList<CompoundWord> BuiltinCompoundWords();

// The spellings of whole runs of letters that the candidate table shows, one a line in UTF-8, in
// the byte order of their upper-case forms: "=" and the spelling most projects write, or "?" and
// that spelling where the projects disagree.
QByteArrayView BuiltinRunSpellings();

// The six rows of the built-in full-name dictionary, in ascending collation order.
QStringList BuiltinFullNames();

} // namespace vl::data
