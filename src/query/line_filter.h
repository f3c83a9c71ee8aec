// Scores every line of a block of UTF-8 text against one query and orders the matches, for filtering
// long lists (a million file paths) the way a title is matched.
//
// A line is the text between line breaks ("\n"; a "\r" before the break is dropped), converted to
// UTF-16 (malformed bytes become U+FFFD) and read up to its first NUL, as fuzzy_score reads a text.
// Each line gets fuzzy_score (query, line, exact, prefix, word); those with a score of 0 or more are
// kept, best first, equal scores in text order ignoring ASCII case (text_compare_ci), equal texts in
// input order.
//
// Most lines never become UTF-16: a line is first tested on its bytes for the query's ASCII letters
// in order (every tier needs them there), and a line of plain ASCII is scored on its bytes
// (fuzzy_score_ascii). Only lines with other bytes that pass the test are converted.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

struct Arena;

// Marks LineHit::units for a line that is scored and ordered as its own bytes.
constexpr uint32_t kLineHitBytes = UINT32_MAX;

struct LineHit {
    int32_t score;
    uint32_t start;        // byte offset of the line in the input
    uint32_t length;       // its bytes, without the line break and a "\r" before it
    uint32_t units;        // offset of its converted text in LineFilterResult::units, or kLineHitBytes
    uint32_t text_length;  // units of the scored text (the line up to its first NUL)
    uint32_t reencode;     // the bytes were not valid UTF-8: the converted text is the line to show
};

struct LineFilterResult {
    LineHit* hits;          // best first
    uint32_t count;
    const char16_t* units;  // converted texts of the hits that have them, each followed by a NUL
};

// Inputs of this size or more are refused (offsets are 32-bit).
constexpr size_t kLineFilterMaxInput = UINT32_MAX / 2;

// Fills *out with memory from arena. False when the input is too large or the arena ran out; an
// empty or missing query matches no line.
bool line_filter(std::string_view input, const char16_t* query, int32_t exact_score, int32_t prefix_score,
                 int32_t word_score, Arena* arena, LineFilterResult* out);
