#include "indexers/windows_search_sql.h"

#include <string_view>

#include "core/format.h"
#include "core/text.h"

namespace {

constexpr size_t kTermCap = 253;           // a CONTAINS term stops growing at this many units
constexpr size_t kExtensionEntryCap = 126;  // an extension entry likewise

// A bounded UTF-16 writer: every append fits whole with its terminator, or the writer fails.
class SqlText {
public:
    SqlText(char16_t* buf, size_t cap) : buf_(buf), cap_(cap) {
        if (buf_ && cap_) buf_[0] = 0;
        ok_ = buf_ && cap_ > 0;
    }
    bool put(std::u16string_view s) {
        if (!ok_) return false;
        if (s.size() >= cap_ - len_) return ok_ = false;
        for (char16_t c : s) buf_[len_++] = c;
        buf_[len_] = 0;
        return true;
    }
    bool put(char16_t c) { return put(std::u16string_view(&c, 1)); }
    bool like_escaped(const char16_t* text) {
        if (ok_ && !ws_like_escape(text, buf_, &len_, cap_)) ok_ = false;
        return ok_;
    }
    void fail() { ok_ = false; }
    bool ok() const { return ok_; }
    size_t len() const { return len_; }
    // A failed build leaves an empty text behind.
    bool finish() {
        if (!ok_ && buf_ && cap_) buf_[0] = 0;
        return ok_;
    }

private:
    char16_t* buf_;
    size_t cap_;
    size_t len_ = 0;
    bool ok_;
};

bool ascii_alnum(char16_t c) { return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// The extension list an extension word carries, or an empty view when the word is an ordinary one.
std::u16string_view extension_of(std::u16string_view w) {
    if (w.size() >= 5 && text_starts_with_ci(w, u"ext:")) return w.substr(4);
    if (w.size() >= 11 && text_starts_with_ci(w, u"extension:")) return w.substr(10);
    if (w.size() >= 3 && (w[0] == u'*' || w[0] == u'?') && w[1] == u'.' && ascii_alnum(w[2])) return w.substr(2);
    return {};
}

// Calls fn for every word of s (runs of units other than spaces).
template <typename Fn>
void each_word(std::u16string_view s, Fn fn) {
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && s[i] == u' ') ++i;
        size_t start = i;
        while (i < s.size() && s[i] != u' ') ++i;
        if (i > start) fn(s.substr(start, i - start));
    }
}

// The words and the extension list a form is built from.
struct Split {
    char16_t words[kWsWordsCap];
    char16_t extensions[kWsExtensionsCap];
};

void split_for_build(const char16_t* query, const char16_t* extensions, Split& out) {
    if (extensions) {
        text_copy_to(out.words, kWsWordsCap, text_view(query));
        text_copy_to(out.extensions, kWsExtensionsCap, text_view(extensions));
    } else {
        ws_split_extension(query, out.words, out.extensions);
    }
}

void put_head(SqlText& sql, int32_t limit) {
    char16_t head[96];
    text_format(head, sizeof head / sizeof head[0], "SELECT TOP %d System.ItemName, System.ItemFolderPathDisplay FROM SYSTEMINDEX WHERE ",
                static_cast<int>(ws_limit(limit)));
    sql.put(head);
}

// "(System.FileExtension = '.a' OR ...)"; an empty list of entries fails the build.
void put_extension_clause(SqlText& sql, std::u16string_view list, bool& first) {
    sql.put(first ? u"(" : u" AND (");
    first = false;
    int entries = 0;
    size_t i = 0;
    while (i <= list.size()) {
        size_t end = list.find(u';', i);
        if (end == std::u16string_view::npos) end = list.size();
        std::u16string_view entry = list.substr(i, end - i);
        i = end + 1;
        if (entry.empty()) continue;
        if (entries++) sql.put(u" OR ");
        sql.put(u"System.FileExtension = '");
        if (entry[0] != u'.') sql.put(u'.');
        size_t held = 0;
        for (char16_t c : entry) {
            if (held >= kExtensionEntryCap) break;
            if (c == u'\'') {
                sql.put(u"''");
                held += 2;
            } else {
                sql.put(c);
                ++held;
            }
        }
        sql.put(u'\'');
    }
    if (entries == 0) sql.fail();  // nothing to filter on: the whole build fails
    sql.put(u')');
}

// The folder's own files carry the folder itself (without its trailing backslash) as their
// System.ItemFolderPathDisplay, deeper files a path that starts with the folder and a backslash.
void put_folder_clause(SqlText& sql, const char16_t* folder, bool& first) {
    if (!folder || !folder[0]) return;
    std::u16string_view d(folder);
    std::u16string_view e = d;
    bool drive_root = d.size() == 3 && d[1] == u':' && (d[2] == u'\\' || d[2] == u'/');
    if (!drive_root && (e.back() == u'\\' || e.back() == u'/')) e.remove_suffix(1);
    sql.put(first ? u"(" : u" AND (");
    first = false;
    sql.put(u"System.ItemFolderPathDisplay = '");
    for (char16_t c : e) sql.put(c == u'\'' ? std::u16string_view(u"''") : std::u16string_view(&c, 1));
    sql.put(u"' OR System.ItemFolderPathDisplay LIKE '");
    sql.like_escaped(folder);
    sql.put(u"%')");
}

}  // namespace

int32_t ws_limit(int32_t limit) {
    if (limit <= 0) return kWsDefaultLimit;
    return limit > kWsMaxLimit ? kWsMaxLimit : limit;
}

void ws_split_extension(const char16_t* query, char16_t* words, char16_t* extensions) {
    words[0] = 0;
    extensions[0] = 0;
    size_t len = 0;
    bool have_extension = false;
    each_word(text_view(query), [&](std::u16string_view w) {
        if (!have_extension) {
            std::u16string_view list = extension_of(w);
            if (!list.empty()) {
                text_copy_to(extensions, kWsExtensionsCap, list);
                have_extension = true;
                return;
            }
        }
        size_t need = w.size() + (len ? 1 : 0);
        if (len + need >= kWsWordsCap) return;  // a word that does not fit is dropped
        if (len) words[len++] = u' ';
        for (char16_t c : w) words[len++] = c;
        words[len] = 0;
    });
}

bool ws_like_escape(const char16_t* text, char16_t* buf, size_t* len, size_t cap) {
    size_t n = *len;
    for (const char16_t* p = text ? text : u""; *p; ++p) {
        std::u16string_view piece;
        switch (*p) {
            case u'\'': piece = u"''"; break;
            case u'%': piece = u"[%]"; break;
            case u'_': piece = u"[_]"; break;
            case u'[': piece = u"[[]"; break;
            default: piece = std::u16string_view(p, 1); break;
        }
        if (piece.size() >= cap - n) {
            if (cap > *len) buf[*len] = 0;
            return false;
        }
        for (char16_t c : piece) buf[n++] = c;
    }
    buf[n] = 0;
    *len = n;
    return true;
}

bool ws_sql_contains(const char16_t* query, const char16_t* folder, const char16_t* extensions, int32_t limit,
                     char16_t* buf, size_t cap) {
    SqlText sql(buf, cap);
    put_head(sql, limit);
    const size_t conditions_at = sql.len();
    Split split;
    split_for_build(query, extensions, split);
    bool first = true;
    each_word(split.words, [&](std::u16string_view w) {
        char16_t term[kTermCap + 2];
        size_t n = 0;
        for (char16_t c : w) {
            if (n >= kTermCap) break;
            if (c == u'*' || c == u'?') continue;
            if (c == u'\'' || c == u'"') term[n++] = c;
            term[n++] = c;
        }
        if (n == 0) return;
        if (!first) sql.put(u" AND ");
        first = false;
        sql.put(u"CONTAINS(System.FileName, '\"");
        sql.put(std::u16string_view(term, n));
        sql.put(u"*\"')");
    });
    if (split.extensions[0]) put_extension_clause(sql, split.extensions, first);
    put_folder_clause(sql, folder, first);
    if (sql.ok() && sql.len() == conditions_at) {
        buf[0] = 0;
        return false;  // no condition at all: no CONTAINS query
    }
    return sql.finish();
}

bool ws_sql_like(const char16_t* query, const char16_t* folder, const char16_t* extensions, int32_t limit,
                 char16_t* buf, size_t cap) {
    SqlText sql(buf, cap);
    put_head(sql, limit);
    sql.put(u"System.FileName LIKE '%");
    Split split;
    split_for_build(query, extensions, split);
    each_word(split.words, [&](std::u16string_view w) {
        char16_t one[2] = {0, 0};
        for (char16_t c : w) {
            if (c == u'*') {
                sql.put(u'%');
            } else if (c == u'?') {
                sql.put(u'_');
            } else {
                one[0] = c;
                sql.like_escaped(one);
            }
        }
        sql.put(u'%');
    });
    sql.put(u'\'');
    bool first = false;
    if (split.extensions[0]) put_extension_clause(sql, split.extensions, first);
    put_folder_clause(sql, folder, first);
    return sql.finish();
}
