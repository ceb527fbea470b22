#pragma once

// The one case-insensitive comparison of the program: the dictionaries order and search their
// lists by it, the file list compares captions, extensions and states by it, and the rename pass
// searches its seen cores by it.
//
// Two texts are compared on their upper-case forms in two rounds. The first round passes over
// hyphens, apostrophes, control and format characters and combining marks, and orders the rest
// as: space and punctuation (space < "(" < "." < "_", in a fixed table for ASCII), then digits,
// then letters (Latin before Greek before Cyrillic, by code point, with "Ё" right after "Е").
// When the first round finds no difference, the second compares every character with the same
// weights. Every upper-case character has a weight of its own, so two texts are equal exactly
// when their upper-case forms are equal, and the order is a strict weak order.

#include <QStringView>

#include <compare>
#include <cstdint>

namespace vl {

// -1, 0 or +1.
int CompareNames(QStringView a, QStringView b);

struct NameLess {
    bool operator()(QStringView a, QStringView b) const { return CompareNames(a, b) < 0; }
};

// The start of a text's place in the order, worked out once, for sorts and merges of many texts:
// comparing two keys reads no text. The key holds the first characters of the first round, each
// as a small code that keeps their order. When two keys differ, the texts compare as the keys do;
// equal keys say nothing, and the texts must then be compared.
struct NameKey {
    std::uint64_t high = 0;
    std::uint64_t low = 0;
    friend auto operator<=>(const NameKey &, const NameKey &) = default;
};

NameKey NameKeyOf(QStringView text);

} // namespace vl
