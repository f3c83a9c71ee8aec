#include "query/query_parser.h"

#include <cstring>

#include "core/arena.h"
#include "core/text.h"
#include "sources/tools_table.h"

namespace {

constexpr size_t kKillWordMax = 15;  // the first word is read up to this many units

constexpr bool is_slash(char16_t c) { return c == u'/' || c == u'\\'; }
constexpr bool is_ascii_alnum(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

const char16_t* skip_slashes(const char16_t* s) {
    while (is_slash(*s)) ++s;
    return s;
}

bool scope_set(const char16_t* scope_folder) { return scope_folder && scope_folder[0]; }

// Length of the word when s opens with it (any case), else 0.
size_t opens_with_ci(const char16_t* s, const char16_t* word) {
    size_t i = 0;
    for (; word[i]; ++i) {
        if (!s[i] || text_fold(s[i]) != text_fold(word[i])) return 0;
    }
    return i;
}

// Appends s to buf at *at, keeping room for the terminator of a buffer of cap units.
void append_cut(char16_t* buf, size_t cap, size_t* at, const char16_t* s) {
    while (*s && *at + 1 < cap) buf[(*at)++] = *s++;
    buf[*at] = 0;
}

}  // namespace

bool strip_folder_suffix(const char16_t* text, char16_t* out, size_t capacity) {
    size_t n = text_len(text);
    bool slash = false;
    while (n > 0 && (is_slash(text[n - 1]) || text_is_blank(text[n - 1]))) {
        slash = slash || is_slash(text[n - 1]);
        --n;
    }
    if (out && capacity) {
        size_t k = n < capacity - 1 ? n : capacity - 1;
        if (k) std::memcpy(out, text, k * sizeof(char16_t));
        out[k] = 0;
    }
    return slash;
}

bool is_extension_query(const char16_t* text) {
    if (!text) return false;
    for (size_t i = 0; text[i]; ++i) {
        if ((text[i] == u'*' || text[i] == u'?') && text[i + 1] == u'.' && is_ascii_alnum(text[i + 2])) return true;
    }
    for (size_t i = 0; text[i]; ++i) {
        if (i > 0 && !text_is_blank(text[i - 1])) continue;
        for (const char16_t* word : {u"extension:", u"ext:"}) {
            size_t n = opens_with_ci(text + i, word);
            if (n && text[i + n] && !text_is_blank(text[i + n])) return true;
        }
    }
    return false;
}

bool is_filter_keyword(std::u16string_view word) {
    for (const char16_t* k : {u"ext", u"extension", u"folder", u"folders", u"file", u"files", u"path", u"name"}) {
        if (text_equal_ci(word, k)) return true;
    }
    return false;
}

bool is_filter_keyword(const char16_t* word) { return word && is_filter_keyword(std::u16string_view(word)); }

bool is_scoped_query(const char16_t* text, const char16_t* scope_folder) {
    if (!scope_set(scope_folder)) return false;
    ScratchScope scope;
    auto* stripped = arena_new_array<char16_t>(scope.arena(), kQueryStrippedCap);
    if (!stripped) return false;
    strip_folder_suffix(text ? skip_blanks(text) : u"", stripped, kQueryStrippedCap);
    return *skip_slashes(stripped) != 0;
}

ParsedQuery classify_query(const char16_t* text, const char16_t* scope_folder) {
    ParsedQuery p{};
    p.text = text ? skip_blanks(text) : u"";
    p.command = kQueryNone;
    p.command_argument = u"";
    p.tool = -1;

    if (text_equal_ci(p.text, u"exit") || text_equal_ci(p.text, u"quit")) {
        p.command = kQueryExit;
        return p;
    }

    size_t word = 0;
    while (word < kKillWordMax && p.text[word] && !text_is_blank(p.text[word])) ++word;
    if (word == 4 && opens_with_ci(p.text, u"kill")) {
        p.command = kQueryKill;
        p.command_argument = skip_blanks(p.text + word);
        return p;
    }

    const char16_t* rest = nullptr;
    int32_t tool = tool_match(p.text, &rest);
    if (tool >= 0) {
        p.command = kQueryTool;
        p.tool = tool;
        p.command_argument = rest;
        return p;
    }

    const bool scoped = scope_set(scope_folder);
    size_t at = 0;
    if (scoped) {
        append_cut(p.cache_key, kQueryCacheKeyCap, &at, scope_folder);
        append_cut(p.cache_key, kQueryCacheKeyCap, &at, u"|");
    }
    append_cut(p.cache_key, kQueryCacheKeyCap, &at, p.text);

    p.ends_with_slash = strip_folder_suffix(p.text, p.stripped, kQueryStrippedCap);
    p.is_drive_list = !scoped && p.text[0] == u':' && p.text[1] == 0;
    p.is_drive_filter = !scoped && p.stripped[0] && is_slash(p.text[0]) && !is_slash(p.text[1]);
    if (p.is_drive_filter) {
        size_t n = text_copy_to(p.drive_filter, kQueryDriveFilterCap, skip_slashes(p.text));
        while (n > 0 && text_is_blank(p.drive_filter[n - 1])) p.drive_filter[--n] = 0;
    }
    p.is_extension_query = is_extension_query(p.stripped);
    const char16_t* name = skip_slashes(p.stripped);
    p.is_scoped = scoped && name[0];
    if (p.is_scoped) text_copy_to(p.scope_name, kQueryStrippedCap, name);
    return p;
}

const char* query_command_name(QueryCommand command) {
    switch (command) {
    case kQueryExit: return "exit";
    case kQueryKill: return "kill";
    case kQueryTool: return "tool";
    case kQueryNone: break;
    }
    return "none";
}
