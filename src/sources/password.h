// The password tool ("gen", "pw"): readable passwords in dash-separated groups of six, the same
// with letters only, numeric PINs and passphrases of short words. Every character comes from the
// system's cryptographic generator through uniform draws; when the generator fails the tool says
// so and makes no password.
#pragma once
#include <cstddef>
#include <cstdint>

struct RowList;

enum class PasswordStyle : int32_t {
    Readable,
    Alpha,
    Pin,
    Words,
};

struct PasswordOptions {
    int32_t length = 18;  // characters, digits or words, as used (after the clamps)
    PasswordStyle style = PasswordStyle::Readable;
    bool symbols = false;  // readable style only
};

// The generated text lives in a buffer of this many units, terminator included.
constexpr size_t kPasswordBuffer = 192;
constexpr int32_t kPasswordLengthMin = 2;
constexpr int32_t kPasswordLengthMax = 128;
constexpr int32_t kPassphraseWordsMax = 12;

// Reads the words of the text after the prefix (split on spaces and tabs, ASCII case folded).
PasswordOptions password_options(const char16_t* text);

// Random bytes for one password, fetched from the system a block at a time so that a long
// password costs a few calls. failed is set once the generator has failed and stays set.
struct RandomDraws {
    unsigned char bytes[256];
    size_t used = 0;
    size_t have = 0;
    bool failed = false;
    ~RandomDraws();
};

// A uniformly random number in 0 to n - 1 (0 when n is below 2) by rejection sampling of 32-bit
// words: no modulo bias. False when the generator fails or 100 words in a row are rejected.
bool random_below(RandomDraws& draws, uint32_t n, uint32_t& out);

// The grouped password of `length` letters (groups of six joined by "-") into buf, terminated;
// returns its length in units, 0 when it does not fit or the generator failed (draws.failed).
int32_t readable_password(RandomDraws& draws, int32_t length, bool symbols, bool alpha, char16_t* buf, size_t capacity);
// `length` random digits.
int32_t pin_password(RandomDraws& draws, int32_t length, char16_t* buf, size_t capacity);
// `words` words of the word list joined by "-", then "-" and two random digits.
int32_t passphrase(RandomDraws& draws, int32_t words, char16_t* buf, size_t capacity);

// The word list the passphrases draw from.
int32_t password_word_count();
const char16_t* password_word(int32_t index);  // null outside the list

// Appends the tool's row for the text after the prefix: the help row for a blank text, else one
// fresh password (kind 9, copied on Enter), or an information row when the generator failed.
void password_rows(const char16_t* argument, RowList* out);
