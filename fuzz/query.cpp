// The matcher, the highlighter and the query parser on arbitrary UTF-16 (lone surrogates included):
// scores (the prepared path too) and ranges agree with a plain reference of the tier rules, every
// range lies inside its text, merged ranges are sorted and disjoint, nothing is written past a
// capacity, and the parsed strings stay within their limits.
//
// Input: byte 0 picks the capacities, bytes 1 to 3 the tier values (signed); the rest are UTF-16
// units, cut at line feeds into query, text and scope folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/arena.h"
#include "query/fuzzy.h"
#include "query/highlight.h"
#include "query/query_parser.h"
#include "sources/tools_table.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

std::u16string fold(const std::u16string& s) {
    std::u16string r = s;
    for (char16_t& c : r) {
        if (c >= u'A' && c <= u'Z') c = char16_t(c + 32);
    }
    return r;
}

bool word_start(const std::u16string& t, size_t i) {
    if (i == 0) return true;
    char16_t c = t[i - 1];
    return c == u' ' || c == u'-' || c == u'.' || c == u'/' || c == u':' || c == u'\\' || c == u'_';
}

// The tier rules written out directly on folded copies.
int32_t ref_score(const std::u16string& query, const std::u16string& text, int32_t e, int32_t p, int32_t w) {
    if (query.empty() || text.empty()) return -1;
    std::u16string q = fold(query), t = fold(text);
    if (q == t) return e;
    if (q.size() <= t.size() && t.compare(0, q.size(), q) == 0) return p;
    if (w >= 0) {
        for (size_t i = 0; i + q.size() <= t.size(); ++i) {
            if (word_start(t, i) && t.compare(i, q.size(), q) == 0) return w;
        }
    }
    size_t pos = t.find(q);
    if (pos != std::u16string::npos) {
        size_t d = (t.size() - q.size()) / 4;
        return static_cast<int32_t>(89 - (d < 8 ? d : 8) - (pos < 20 ? pos : 20));
    }
    size_t j = 0;
    for (size_t i = 0; i < t.size() && j < q.size(); ++i) j += t[i] == q[j];
    if (j == q.size()) {
        size_t d = (t.size() - q.size()) / 8;
        return d >= 20 ? 40 : static_cast<int32_t>(60 - d);
    }
    return -1;
}

std::vector<MatchRange> ref_ranges(const std::u16string& query, const std::u16string& text, int32_t cap) {
    std::vector<MatchRange> r;
    if (query.empty() || text.empty() || cap < 1) return r;
    std::u16string q = fold(query), t = fold(text);
    int32_t m = static_cast<int32_t>(q.size());
    if (q == t) return {{0, static_cast<int32_t>(t.size())}};
    if (q.size() <= t.size() && t.compare(0, q.size(), q) == 0) return {{0, m}};
    for (size_t i = 0; i + q.size() <= t.size(); ++i) {
        if (word_start(t, i) && t.compare(i, q.size(), q) == 0) return {{static_cast<int32_t>(i), m}};
    }
    size_t pos = t.find(q);
    if (pos != std::u16string::npos) return {{static_cast<int32_t>(pos), m}};
    if (cap < m) return r;
    size_t j = 0;
    for (size_t i = 0; i < t.size() && j < q.size(); ++i) {
        if (t[i] == q[j]) {
            r.push_back({static_cast<int32_t>(i), 1});
            ++j;
        }
    }
    if (j < q.size()) r.clear();
    return r;
}

constexpr MatchRange kGuard{-12345, -12345};
constexpr int kGuards = 4;

// Runs fn with exactly cap slots followed by guards; checks the guards and returns the ranges.
template <typename Fn>
std::vector<MatchRange> with_capacity(int32_t cap, Fn fn) {
    std::vector<MatchRange> buf(static_cast<size_t>(cap) + kGuards, kGuard);
    int32_t n = fn(buf.data(), cap);
    check(n >= 0 && n <= (cap > 0 ? cap : 0));
    for (size_t i = static_cast<size_t>(cap); i < buf.size(); ++i) check(buf[i].start == kGuard.start && buf[i].length == kGuard.length);
    buf.resize(static_cast<size_t>(n));
    return buf;
}

void check_inside(const std::vector<MatchRange>& r, size_t len) {
    for (const MatchRange& x : r) {
        check(x.start >= 0 && x.length > 0);
        check(static_cast<size_t>(x.start) + static_cast<size_t>(x.length) <= len);
    }
}

void check_merged(const std::vector<MatchRange>& r, size_t len) {
    check_inside(r, len);
    for (size_t i = 1; i < r.size(); ++i) check(r[i].start > r[i - 1].start + r[i - 1].length);
}

size_t bounded_len(const char16_t* s, size_t cap) {
    size_t n = 0;
    while (n < cap && s[n]) ++n;
    check(n < cap);  // terminated inside its buffer
    return n;
}

bool within(const char16_t* p, const std::u16string& s) { return p >= s.c_str() && p <= s.c_str() + s.size(); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const int32_t cap = data[0] % 70;
    const int32_t e = static_cast<int8_t>(data[1]);
    const int32_t p = static_cast<int8_t>(data[2]);
    const int32_t w = static_cast<int8_t>(data[3]);
    std::u16string parts[3];
    int part = 0;
    for (size_t i = 4; i + 1 < size; i += 2) {
        char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (c == 0) continue;  // the interfaces take null-terminated texts
        if (c == u'\n' && part < 2) {
            ++part;
            continue;
        }
        parts[part] += c;
    }
    const std::u16string& q = parts[0];
    const std::u16string& t = parts[1];
    const std::u16string& scope = parts[2];
    Arena* scratch = scratch_arena();
    const uint64_t scratch_before = arena_used(scratch);

    // Matcher.
    int32_t s = fuzzy_score(q.c_str(), t.c_str(), e, p, w);
    check(s == ref_score(q, t, e, p, w));
    check(s == -1 || s == e || s == p || (w >= 0 && s == w) || (s >= 61 && s <= 89) || (s >= 40 && s <= 60));
    {
        // The prepared path that scores one query against many stored names gives the same.
        ScratchScope prepared;
        FuzzyText pq = fuzzy_prepare(q.c_str(), q.size(), prepared.arena());
        FuzzyText pt = fuzzy_prepare(t.c_str(), t.size(), prepared.arena());
        check(pq.folded && pt.folded);
        check(fuzzy_score_prepared(pq, pt, e, p, w) == s);
        // An ASCII text scores the same as its bytes.
        bool ascii = true;
        for (char16_t c : t) ascii = ascii && c < 0x80;
        if (ascii) {
            std::string bytes(t.begin(), t.end());
            check(fuzzy_score_ascii(pq, bytes.data(), bytes.size(), e, p, w) == s);
        }
    }
    std::vector<MatchRange> r = with_capacity(cap, [&](MatchRange* out, int32_t c) { return fuzzy_ranges(q.c_str(), t.c_str(), out, c); });
    std::vector<MatchRange> want = ref_ranges(q, t, cap);
    check(r.size() == want.size());
    for (size_t i = 0; i < r.size(); ++i) check(r[i].start == want[i].start && r[i].length == want[i].length);
    check_inside(r, t.size());

    // Highlighter: the plain form and both row entry points, text and scope swapped in too.
    for (const std::u16string* target : {&t, &scope}) {
        auto plain = with_capacity(cap, [&](MatchRange* out, int32_t c) { return highlight_ranges(q.c_str(), target->c_str(), out, c); });
        check_merged(plain, target->size());
        auto title = with_capacity(cap, [&](MatchRange* out, int32_t c) { return highlight_title_ranges(q.c_str(), target->c_str(), out, c); });
        check_merged(title, target->size());
        auto path = with_capacity(cap, [&](MatchRange* out, int32_t c) { return highlight_path_ranges(q.c_str(), target->c_str(), out, c); });
        check_merged(path, target->size());
    }
    {
        size_t fcap = static_cast<size_t>(data[1] % 8);
        size_t ncap = static_cast<size_t>(data[2] % 8);
        std::vector<char16_t> folder(fcap ? fcap : 1, u'#'), name(ncap ? ncap : 1, u'#');
        int split = split_folder_query(q.c_str(), folder.data(), fcap, name.data(), ncap);
        check(split == 0 || split == 1);
        if (fcap) bounded_len(folder.data(), fcap);
        else check(folder[0] == u'#');
        if (ncap) bounded_len(name.data(), ncap);
        if (!split && fcap) check(folder[0] == 0);
    }

    // Parser.
    const char16_t* scope_arg = (data[0] & 0x80) ? nullptr : scope.c_str();
    ParsedQuery pq = classify_query(q.c_str(), scope_arg);
    const bool scoped = scope_arg && scope_arg[0];
    check(q.empty() || within(pq.text, q));
    if (pq.command == kQueryKill || pq.command == kQueryTool) check(within(pq.command_argument, q) && pq.command_argument >= pq.text);
    else check(pq.command_argument[0] == 0);
    size_t key_len = bounded_len(pq.cache_key, kQueryCacheKeyCap);
    size_t stripped_len = bounded_len(pq.stripped, kQueryStrippedCap);
    size_t drive_len = bounded_len(pq.drive_filter, kQueryDriveFilterCap);
    size_t name_len = bounded_len(pq.scope_name, kQueryStrippedCap);
    check(pq.tool >= -1 && pq.tool < tool_count());
    check((pq.command == kQueryTool) == (pq.tool >= 0));
    if (pq.command != kQueryNone) {
        check(key_len == 0 && stripped_len == 0 && drive_len == 0 && name_len == 0);
        check(!pq.ends_with_slash && !pq.is_drive_list && !pq.is_drive_filter && !pq.is_extension_query && !pq.is_scoped);
    } else {
        check(pq.is_scoped == is_scoped_query(q.c_str(), scope_arg));
        check(!pq.is_scoped || scoped);
        check(!pq.is_drive_list || (!scoped && std::u16string(pq.text) == u":"));
        check(!pq.is_drive_filter || (!scoped && stripped_len > 0));
        check(pq.is_extension_query == is_extension_query(pq.stripped));
        check(name_len <= stripped_len);
        check(pq.is_scoped == (name_len > 0));
        check(key_len > 0 || (!scoped && pq.text[0] == 0));
    }
    const char16_t* rest = nullptr;
    int32_t tool = tool_match(q.c_str(), &rest);
    check(tool >= -1 && tool < tool_count());
    check(tool >= 0 ? within(rest, q) : (rest && !rest[0]));
    {
        size_t scap = static_cast<size_t>(data[3] % 6);
        std::vector<char16_t> out(scap ? scap : 1, u'#');
        strip_folder_suffix(q.c_str(), out.data(), scap);
        if (scap) bounded_len(out.data(), scap);
        else check(out[0] == u'#');
    }
    is_filter_keyword(q.c_str());
    check(arena_used(scratch) == scratch_before);  // everything temporary was rewound
    return 0;
}
