#include "sources/password.h"

#include <string>

#include "core/format.h"
#include "core/row.h"
#include "platform/platform.h"
#include "platform/secure_random.h"

namespace {

constexpr char16_t kConsonants[] = u"bcdfghjklmnpqrstvwxyz";
constexpr char16_t kVowels[] = u"aeiou";
constexpr char16_t kSymbols[] = u"!@#$%^&*?+-";
constexpr uint32_t kConsonantCount = 21;
constexpr uint32_t kVowelCount = 5;
constexpr uint32_t kSymbolCount = 11;
static_assert(sizeof kConsonants / sizeof kConsonants[0] == kConsonantCount + 1);
static_assert(sizeof kVowels / sizeof kVowels[0] == kVowelCount + 1);
static_assert(sizeof kSymbols / sizeof kSymbols[0] == kSymbolCount + 1);

constexpr const char16_t* kWords[] = {
    u"cat",   u"dog",   u"sun",   u"run",   u"blue",  u"tree",  u"fish",  u"bird",  u"star",  u"moon",
    u"lake",  u"river", u"road",  u"house", u"horse", u"apple", u"grape", u"lemon", u"mango", u"peach",
    u"berry", u"cloud", u"rain",  u"snow",  u"wind",  u"leaf",  u"root",  u"stone", u"hill",  u"field",
    u"farm",  u"barn",  u"cow",   u"pig",   u"hen",   u"duck",  u"fox",   u"wolf",  u"bear",  u"lion",
    u"tiger", u"eagle", u"shark", u"whale", u"maple", u"cedar", u"comet", u"ember",
};
constexpr int32_t kWordCount = static_cast<int32_t>(sizeof kWords / sizeof kWords[0]);
static_assert(kWordCount == 48);

constexpr int kGroup = 6;
// A grouped password that with its terminator needs more than this is not made.
constexpr size_t kGroupedMax = 159;
constexpr size_t kWordMax = 63;  // longer words are cut and never count as a number
constexpr int kMaxRejections = 100;

constexpr char16_t upper(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c; }
constexpr char16_t lower(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }
constexpr bool blank(char16_t c) { return c == u' ' || c == u'\t'; }

bool word_is(const char16_t* w, size_t n, const char16_t* lit) {
    size_t i = 0;
    for (; i < n; ++i)
        if (!lit[i] || w[i] != lit[i]) return false;
    return lit[i] == 0;
}

bool next_word(RandomDraws& d, uint32_t& v) {
    if (d.failed) return false;
    if (d.have - d.used < 4) {
        if (!platform().random || !os_random().fill(d.bytes, sizeof d.bytes)) {
            d.failed = true;
            d.have = d.used = 0;
            return false;
        }
        d.have = sizeof d.bytes;
        d.used = 0;
    }
    const unsigned char* b = d.bytes + d.used;
    v = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    d.used += 4;
    return true;
}

// The letter at a position of a group before digits, case and symbols are placed.
bool letter(RandomDraws& d, int pos, char16_t& out) {
    uint32_t i;
    if (pos % 2 == 0) {
        if (!random_below(d, kConsonantCount, i)) return false;
        out = kConsonants[i];
    } else {
        if (!random_below(d, kVowelCount, i)) return false;
        out = kVowels[i];
    }
    return true;
}

// One group of g readable characters (digit, capital and symbol placed as described in the header).
bool readable_group(RandomDraws& d, int g, bool symbols, bool alpha, char16_t* out) {
    for (int p = 0; p < g; ++p)
        if (!letter(d, p, out[p])) return false;
    uint32_t r;
    if (alpha) {
        for (int p = 0; p < g; ++p) {
            if (!random_below(d, 2, r)) return false;
            if (r == 1) out[p] = upper(out[p]);
        }
        return true;
    }
    uint32_t digit_at, digit;
    if (!random_below(d, g, digit_at) || !random_below(d, 10, digit)) return false;
    out[digit_at] = char16_t(u'0' + digit);
    uint32_t upper_at = uint32_t(g);  // none
    if (g >= 3) {
        if (!random_below(d, g, upper_at)) return false;
        if (upper_at == digit_at) upper_at = (upper_at + 1) % g;
        out[upper_at] = upper(out[upper_at]);
    }
    if (symbols && g >= 4) {
        uint32_t at, which;
        if (!random_below(d, g, at)) return false;
        while (at == digit_at || at == upper_at) at = (at + 1) % g;
        if (!random_below(d, kSymbolCount, which)) return false;
        out[at] = kSymbols[which];
    }
    return true;
}

void add_row(RowList* out, const char16_t* title, const char16_t* subtitle, const char16_t* target, int32_t kind,
             int32_t score, char tag_letter) {
    int32_t from = out->count;
    if (rowlist_add_fields(out, title, subtitle, nullptr, target, kind, score) == 0) rowlist_set_tag(out, from, tag_letter);
}

}  // namespace

RandomDraws::~RandomDraws() {
    // The bytes decided a password; do not leave them on the stack.
    volatile unsigned char* p = bytes;
    for (size_t i = 0; i < sizeof bytes; ++i) p[i] = 0;
}

PasswordOptions password_options(const char16_t* text) {
    int32_t length = 0;  // 0: none given
    PasswordStyle style = PasswordStyle::Readable;
    bool symbols = false;
    const char16_t* s = text ? text : u"";
    while (*s) {
        while (blank(*s)) ++s;
        if (!*s) break;
        char16_t w[kWordMax];
        size_t n = 0;
        bool cut = false;
        for (; *s && !blank(*s); ++s) {
            if (n < kWordMax) w[n++] = lower(*s);
            else cut = true;
        }
        bool digits = !cut;
        for (size_t i = 0; i < n && digits; ++i) digits = w[i] >= u'0' && w[i] <= u'9';
        if (digits) {
            // Read without wrapping: anything past the largest length is simply out of range.
            uint32_t v = 0;
            for (size_t i = 0; i < n && v <= uint32_t(kPasswordLengthMax); ++i) v = v * 10 + uint32_t(w[i] - u'0');
            if (v >= uint32_t(kPasswordLengthMin) && v <= uint32_t(kPasswordLengthMax)) length = int32_t(v);
        } else if (word_is(w, n, u"symbols") || word_is(w, n, u"sym")) {
            symbols = true;
        } else if (word_is(w, n, u"pin") || word_is(w, n, u"digits") || word_is(w, n, u"numeric")) {
            style = PasswordStyle::Pin;
        } else if (word_is(w, n, u"alpha") || word_is(w, n, u"letters")) {
            style = PasswordStyle::Alpha;
        } else if (word_is(w, n, u"words") || word_is(w, n, u"passphrase")) {
            style = PasswordStyle::Words;
        }
    }
    PasswordOptions o;
    o.style = style;
    o.symbols = symbols;
    switch (style) {
        case PasswordStyle::Words:
            o.length = length == 0 ? 4 : (length > kPassphraseWordsMax ? kPassphraseWordsMax : length);
            break;
        case PasswordStyle::Pin: o.length = length == 0 ? 6 : length; break;
        default: o.length = length == 0 ? 18 : length; break;
    }
    return o;
}

bool random_below(RandomDraws& draws, uint32_t n, uint32_t& out) {
    out = 0;
    if (n < 2) return !draws.failed;
    // Words at or above the last whole multiple of n would favour the small results.
    const uint64_t limit = (uint64_t{1} << 32) - ((uint64_t{1} << 32) % n);
    for (int attempt = 0; attempt < kMaxRejections; ++attempt) {
        uint32_t v;
        if (!next_word(draws, v)) return false;
        if (v < limit) {
            out = v % n;
            return true;
        }
    }
    draws.failed = true;
    return false;
}

int32_t readable_password(RandomDraws& draws, int32_t length, bool symbols, bool alpha, char16_t* buf, size_t capacity) {
    if (!buf || capacity == 0) return 0;
    buf[0] = 0;
    if (length <= 0) return 0;
    const size_t groups = (size_t(length) + kGroup - 1) / kGroup;
    const size_t total = size_t(length) + groups - 1;
    if (total + 1 > kGroupedMax || total + 1 > capacity) return 0;
    size_t at = 0;
    for (int32_t done = 0; done < length; done += kGroup) {
        int g = length - done < kGroup ? int(length - done) : kGroup;
        if (done > 0) buf[at++] = u'-';
        if (!readable_group(draws, g, symbols, alpha, buf + at)) {
            buf[0] = 0;
            return 0;
        }
        at += size_t(g);
    }
    buf[at] = 0;
    return int32_t(at);
}

int32_t pin_password(RandomDraws& draws, int32_t length, char16_t* buf, size_t capacity) {
    if (!buf || capacity == 0) return 0;
    buf[0] = 0;
    if (length <= 0 || size_t(length) + 1 > capacity) return 0;
    for (int32_t i = 0; i < length; ++i) {
        uint32_t v;
        if (!random_below(draws, 10, v)) {
            buf[0] = 0;
            return 0;
        }
        buf[i] = char16_t(u'0' + v);
    }
    buf[length] = 0;
    return length;
}

int32_t passphrase(RandomDraws& draws, int32_t words, char16_t* buf, size_t capacity) {
    if (!buf || capacity == 0) return 0;
    buf[0] = 0;
    if (words <= 0 || capacity < 4) return 0;
    size_t at = 0;
    for (int32_t i = 0; i < words; ++i) {
        uint32_t pick;
        if (!random_below(draws, uint32_t(kWordCount), pick)) {
            buf[0] = 0;
            return 0;
        }
        const char16_t* w = kWords[pick];
        size_t n = std::char_traits<char16_t>::length(w) + (i > 0 ? 1 : 0);
        // Keep room for the closing "-" and two digits with the terminator.
        if (at + n + 4 > capacity) break;
        if (i > 0) buf[at++] = u'-';
        for (; *w; ++w) buf[at++] = *w;
    }
    if (at == 0) return 0;
    uint32_t tens, ones;
    if (!random_below(draws, 10, tens) || !random_below(draws, 10, ones)) {
        buf[0] = 0;
        return 0;
    }
    buf[at++] = u'-';
    buf[at++] = char16_t(u'0' + tens);
    buf[at++] = char16_t(u'0' + ones);
    buf[at] = 0;
    return int32_t(at);
}

int32_t password_word_count() { return kWordCount; }

const char16_t* password_word(int32_t index) { return index >= 0 && index < kWordCount ? kWords[index] : nullptr; }

void password_rows(const char16_t* argument, RowList* out) {
    if (!out) return;
    const char16_t* s = argument ? argument : u"";
    while (blank(*s)) ++s;
    if (!*s) {
        add_row(out, u"Password generator", u"gen 24 symbols, gen pin 8, gen words 5 - Enter copies", nullptr, kKindInfo,
                90, tag::kUtility);
        return;
    }
    PasswordOptions o = password_options(s);
    RandomDraws draws;
    char16_t text[kPasswordBuffer];
    int32_t n = 0;
    const char* subtitle_format = "%d chars - Enter copies - type to regenerate";
    switch (o.style) {
        case PasswordStyle::Pin:
            n = pin_password(draws, o.length, text, kPasswordBuffer);
            subtitle_format = "%d digits - Enter copies - type to regenerate";
            break;
        case PasswordStyle::Words:
            n = passphrase(draws, o.length, text, kPasswordBuffer);
            subtitle_format = "%d words - Enter copies - type to regenerate";
            break;
        case PasswordStyle::Alpha: n = readable_password(draws, o.length, false, true, text, kPasswordBuffer); break;
        case PasswordStyle::Readable: n = readable_password(draws, o.length, o.symbols, false, text, kPasswordBuffer); break;
    }
    if (draws.failed) {
        add_row(out, u"No password: the system random generator failed",
                u"Windows could not supply random numbers - try again", nullptr, kKindInfo, 90, tag::kInfo);
        return;
    }
    if (n <= 0) return;
    char16_t subtitle[96];
    text_format(subtitle, sizeof subtitle / sizeof subtitle[0], subtitle_format, int(o.length));
    add_row(out, text, subtitle, text, kKindCopyText, 100, tag::kUtility);
    volatile char16_t* wipe = text;
    for (size_t i = 0; i < kPasswordBuffer; ++i) wipe[i] = 0;
}
