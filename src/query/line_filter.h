// Scores every line of a stream of UTF-8 text against one query and orders the matches, for
// filtering long lists (a million file paths) the way a title is matched.
//
// A line is the text between line breaks ("\n"; a "\r" before the break, or at the very end, is
// dropped), converted to UTF-16 (malformed bytes become U+FFFD) and read up to its first NUL, as
// fuzzy_score reads a text. Each line gets fuzzy_score (query, line, exact, prefix, word); those
// with a score of 0 or more are kept, best first, equal scores in text order ignoring ASCII case
// (text_compare_ci), equal texts in input order.
//
// The input is read block by block into one buffer that stays in the cache, and only the lines
// that match are kept. Most lines never become UTF-16: a line is first tested on its bytes for the
// query's ASCII letters in order (every tier needs them there), and a line of plain ASCII is scored
// on its bytes (fuzzy_score_ascii). Only lines with other bytes that pass the test are converted.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

struct Arena;

struct LineHit {
    int32_t score;
    uint32_t length;        // bytes of the line, without the line break and a "\r" before it
    const char* line;       // a copy of those bytes
    const char16_t* text;   // the line converted (NUL-terminated), or null: the bytes are the text (ASCII)
    uint32_t text_length;   // units of the scored text (the line up to its first NUL)
    uint32_t reencode;      // the bytes were not valid UTF-8: the converted text is the line to show
};

struct LineFilterResult {
    LineHit* hits;  // best first
    uint32_t count;
};

// Reads up to n bytes into buf and returns how many; 0 at the end of the input.
using LineReadFn = size_t (*)(void* context, char* buf, size_t n);

// Reads the whole input through read, block_size bytes at a time (a longer line grows the block),
// and fills *out with memory from arena. False when the arena ran out; an empty or missing query
// matches no line (the input is still read to its end).
bool line_filter_read(LineReadFn read, void* context, size_t block_size, const char16_t* query,
                      int32_t exact_score, int32_t prefix_score, int32_t word_score, Arena* arena,
                      LineFilterResult* out);

// The same over input already in memory.
bool line_filter(std::string_view input, const char16_t* query, int32_t exact_score, int32_t prefix_score,
                 int32_t word_score, Arena* arena, LineFilterResult* out);
