#include "indexers/everything_wire.h"

#include <cstring>
#include <string>
#include <string_view>

#include "core/arena.h"
#include "core/row.h"
#include "core/text.h"
#include "indexers/file_rows.h"

namespace {

void put32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

uint32_t get32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

uint64_t get64(const uint8_t* p) { return uint64_t(get32(p)) | (uint64_t(get32(p + 4)) << 32); }

EverythingRecord build_query(Arena* arena, uint32_t header, uint32_t reply_window, const char16_t* text,
                             uint32_t offset, uint32_t max_results, bool v2) {
    const size_t units = text_len(text);
    if (units >= (UINT32_MAX - header) / 2 - 1) return {nullptr, 0};
    const uint32_t size = header + static_cast<uint32_t>(2 * (units + 1));
    auto* p = static_cast<uint8_t*>(arena_alloc(arena, size));
    if (!p) return {nullptr, 0};
    if (max_results == 0) max_results = kEverythingDefaultMax;
    put32(p, reply_window);
    put32(p + 4, kEverythingReplyTag);
    put32(p + 8, 0);  // search flags: no case, whole-word, path or regex matching
    put32(p + 12, offset);
    put32(p + 16, max_results);
    if (v2) {
        put32(p + 20, kEverythingRequestFlags);
        put32(p + 24, kEverythingSortNameAscending);
    }
    uint8_t* s = p + header;
    for (size_t i = 0; i < units; ++i) {
        s[2 * i] = static_cast<uint8_t>(text[i]);
        s[2 * i + 1] = static_cast<uint8_t>(text[i] >> 8);
    }
    s[2 * units] = s[2 * units + 1] = 0;
    return {p, size};
}

// Reads units little-endian pairs into out (the reply may sit at any alignment).
void take_units(const uint8_t* p, size_t units, std::u16string& out) {
    out.resize(units);
    for (size_t i = 0; i < units; ++i) out[i] = static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8));
}

// A counted string at the cursor: a 32-bit length, that many units and a zero unit. False (the
// item is skipped) when the length exceeds max or the units do not fit before the end.
bool take_counted(const uint8_t* reply, size_t n, size_t& cursor, uint32_t max, std::u16string& out) {
    if (n - cursor < 4) return false;
    const uint32_t len = get32(reply + cursor);
    cursor += 4;
    if (len > max || (n - cursor) / 2 < size_t(len) + 1) return false;
    take_units(reply + cursor, len, out);
    // Text stops at a zero unit inside it, as every reader of the row will see it.
    const size_t zero = out.find(char16_t(0));
    if (zero != std::u16string::npos) out.resize(zero);
    cursor += 2 * (size_t(len) + 1);
    return true;
}

// A zero-terminated string at a byte offset: empty at or past the end, else up to its zero unit
// or the end of the reply, whichever comes first.
void take_terminated(const uint8_t* reply, size_t n, uint32_t offset, std::u16string& out) {
    out.clear();
    if (offset >= n) return;
    size_t units = 0;
    const size_t room = (n - offset) / 2;
    const uint8_t* p = reply + offset;
    while (units < room && (p[2 * units] | p[2 * units + 1])) ++units;
    take_units(p, units, out);
}

bool is_dot_name(std::u16string_view name) { return name.empty() || name == u"." || name == u".."; }

// One result row from an item's folder and name. The title is the last part of the full path; an
// item that is a bare drive ("C:") keeps its name as the title.
Row* add_item_row(RowList* rows, const std::u16string& folder, const std::u16string& name, const char16_t* scoring) {
    const std::u16string full = file_join_path(folder, name);
    const char16_t* title = path_name_part(full.c_str());
    if (!*title) title = name.c_str();
    const int32_t score = file_row_score(scoring, title);
    if (rowlist_add_fields(rows, title, full.c_str(), full.c_str(), full.c_str(), kKindOpen, score) != 0) return nullptr;
    Row* r = &rows->items[rows->count - 1];
    r->tag = tag::kEverything;
    return r;
}

}  // namespace

EverythingRecord everything_build_query_v2(Arena* arena, uint32_t reply_window, const char16_t* text,
                                           uint32_t offset, uint32_t max_results) {
    return build_query(arena, kEverythingQueryV2Header, reply_window, text, offset, max_results, true);
}

EverythingRecord everything_build_query_v1(Arena* arena, uint32_t reply_window, const char16_t* text,
                                           uint32_t offset, uint32_t max_results) {
    return build_query(arena, kEverythingQueryV1Header, reply_window, text, offset, max_results, false);
}

int32_t everything_parse_list_v2(const uint8_t* reply, size_t n, const char16_t* scoring_text, RowList* rows) {
    if (!reply || n < kEverythingListV2Header) return 0;
    const uint32_t flags = get32(reply + 12) & kEverythingRequestFlags;
    if (!(flags & kEverythingRequestName)) return 0;
    const uint32_t count = get32(reply + 4);
    int32_t added = 0;
    std::u16string name, folder;
    for (uint32_t i = 0; i < count; ++i) {
        const size_t entry = kEverythingListV2Header + size_t(i) * 8;
        if (entry > n || n - entry < 8) break;
        const uint32_t item_flags = get32(reply + entry);
        size_t cursor = get32(reply + entry + 4);
        if (cursor >= n) continue;
        if (!take_counted(reply, n, cursor, kEverythingMaxName, name)) continue;
        folder.clear();
        if ((flags & kEverythingRequestPath) && !take_counted(reply, n, cursor, kEverythingMaxPath, folder)) continue;
        const bool is_folder = (item_flags & kEverythingItemFolder) != 0;
        uint64_t size = 0, modified = 0;
        bool has_size = false, has_modified = false;
        if (flags & kEverythingRequestSize) {
            if (n - cursor < 8) continue;
            size = get64(reply + cursor);
            cursor += 8;
            has_size = !is_folder;
        }
        if (flags & kEverythingRequestModified) {
            if (n - cursor < 8) continue;
            modified = get64(reply + cursor);
            cursor += 8;
            has_modified = true;
        }
        if ((flags & kEverythingRequestAttributes) && n - cursor < 4) continue;  // present, not used
        if (is_dot_name(name)) continue;
        Row* r = add_item_row(rows, folder, name, scoring_text);
        if (!r) break;
        r->is_folder = is_folder ? 1 : 0;
        r->size = has_size ? size : 0;
        r->has_size = has_size ? 1 : 0;
        r->modified = has_modified ? modified : 0;
        r->has_modified = has_modified ? 1 : 0;
        ++added;
    }
    return added;
}

int32_t everything_parse_list_v1(const uint8_t* reply, size_t n, const char16_t* scoring_text, RowList* rows) {
    if (!reply || n < kEverythingListV1Header) return 0;
    const uint32_t count = get32(reply + 20);
    int32_t added = 0;
    std::u16string name, folder;
    for (uint32_t i = 0; i < count; ++i) {
        const size_t entry = kEverythingListV1Header + size_t(i) * 12;
        if (entry > n || n - entry < 12) break;
        take_terminated(reply, n, get32(reply + entry + 4), name);
        if (is_dot_name(name)) continue;
        take_terminated(reply, n, get32(reply + entry + 8), folder);
        if (!add_item_row(rows, folder, name, scoring_text)) break;
        ++added;
    }
    return added;
}
