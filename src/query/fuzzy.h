// One scoring function for every kind of row: five tiers (exact, prefix, word start, substring,
// scattered letters) with tier values chosen by the caller, and where the match lies in the text.
// Texts are null-terminated UTF-16; comparisons fold ASCII A-Z only; positions count UTF-16 units.
#pragma once
#include <cstddef>
#include <cstdint>

struct Arena;

struct MatchRange {
    int32_t start;   // first matched unit
    int32_t length;  // number of units
};

// A score, or -1 for no match. The substring tier lies in 61..89 and the scattered tier in 40..60;
// a negative word_score switches the word-start tier off.
int32_t fuzzy_score(const char16_t* query, const char16_t* text, int32_t exact_score, int32_t prefix_score,
                    int32_t word_score);

// A text prepared once for scoring against many others: a folded copy (text_fold of every unit),
// its length up to the terminator, and two unit summaries (the fuzzy_unit_bit of each unit ORed
// together): of all its units, and of the units that follow a word break (position 1 on).
struct FuzzyText {
    const char16_t* folded;
    size_t length;
    uint64_t units;
    uint64_t word_units;
};

// Prepares the first `length` units of text (no NUL among them) with the folded copy in arena; a
// null `folded` when the copy could not be made.
FuzzyText fuzzy_prepare(const char16_t* text, size_t length, Arena* arena);

// fuzzy_score of a text that is ASCII, given as its `length` bytes (no NUL and none above 0x7F, so
// each byte converts to the one UTF-16 unit of the same value), against a prepared query: the same
// result as on the converted text, without converting it. -1 when the query has no folded copy.
int32_t fuzzy_score_ascii(const FuzzyText& query, const char* text, size_t length, int32_t exact_score,
                          int32_t prefix_score, int32_t word_score);

// Writes where the match lies (at most capacity ranges); returns the ranges written, 0 for no match.
int32_t fuzzy_ranges(const char16_t* query, const char16_t* text, MatchRange* ranges, int32_t capacity);

// True when position i of text (i < length) starts a word: the first position, or one right after
// a space, "-", ".", "/", ":", "\" or "_".
constexpr bool fuzzy_is_word_break(char16_t c) {
    return c == u' ' || c == u'-' || c == u'.' || c == u'/' || c == u':' || c == u'\\' || c == u'_';
}

// The bit that stands for a unit in a FuzzyText summary: one bit per ASCII letter (either case) and
// digit, the remaining units (punctuation, blanks, anything beyond ASCII) spread over the upper
// bits. Every tier of fuzzy_score needs each query unit to equal some text unit after folding, and
// equal folded units have the same bit, so a query with a bit the text lacks scores -1 against it.
// The converse does not hold: a pair whose summaries pass still has to be scored.
constexpr uint64_t fuzzy_unit_bit(char16_t c) {
    const unsigned f = (c >= u'A' && c <= u'Z') ? c + 32u : c;
    if (f >= u'a' && f <= u'z') return uint64_t{1} << (f - u'a');
    if (f >= u'0' && f <= u'9') return uint64_t{1} << (26 + f - u'0');
    return uint64_t{1} << (36 + f % 28);
}

namespace fuzzy_detail {
// The tiers of fuzzy_score_prepared once the summaries have let the pair through.
int32_t score_prepared(const FuzzyText& query, const FuzzyText& text, int32_t exact_score, int32_t prefix_score,
                       int32_t word_score);
}  // namespace fuzzy_detail

// fuzzy_score of the two texts the prepared ones were made from, the same result in every case;
// both must have their folded copies (-1 otherwise). Every tier needs each query unit somewhere in
// the text, so most misses are settled here by the summaries, without reading either text.
inline int32_t fuzzy_score_prepared(const FuzzyText& query, const FuzzyText& text, int32_t exact_score,
                                    int32_t prefix_score, int32_t word_score) {
    if (!query.folded || !text.folded || query.length == 0 || query.length > text.length ||
        (query.units & ~text.units) != 0)
        return -1;
    return fuzzy_detail::score_prepared(query, text, exact_score, prefix_score, word_score);
}
