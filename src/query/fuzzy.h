// One scoring function for every kind of row: five tiers (exact, prefix, word start, substring,
// scattered letters) with tier values chosen by the caller, and where the match lies in the text.
// Texts are null-terminated UTF-16; comparisons fold ASCII A-Z only; positions count UTF-16 units.
#pragma once
#include <cstdint>

struct MatchRange {
    int32_t start;   // first matched unit
    int32_t length;  // number of units
};

// A score, or -1 for no match. The substring tier lies in 61..89 and the scattered tier in 40..60;
// a negative word_score switches the word-start tier off.
int32_t fuzzy_score(const char16_t* query, const char16_t* text, int32_t exact_score, int32_t prefix_score,
                    int32_t word_score);

// Writes where the match lies (at most capacity ranges); returns the ranges written, 0 for no match.
int32_t fuzzy_ranges(const char16_t* query, const char16_t* text, MatchRange* ranges, int32_t capacity);

// True when position i of text (i < length) starts a word: the first position, or one right after
// a space, "-", ".", "/", ":", "\" or "_".
constexpr bool fuzzy_is_word_break(char16_t c) {
    return c == u' ' || c == u'-' || c == u'.' || c == u'/' || c == u':' || c == u'\\' || c == u'_';
}
