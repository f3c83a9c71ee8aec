// From a fetched row buffer to a file row.
#include <cstring>
#include <string>

#include "core/row.h"
#include "core/text.h"
#include "indexers/file_rows.h"
#include "indexers/windows_search.h"

namespace {

// A bound column, whole: status OK, a length that fits its buffer, up to the first terminator.
bool read_column(const uint8_t* buffer, const OleDbColumn& c, std::u16string& out) {
    uint32_t status = 0;
    uint64_t length = 0;
    std::memcpy(&status, buffer + c.status_offset, sizeof status);
    std::memcpy(&length, buffer + c.length_offset, sizeof length);
    if (status != win::kDbStatusOk) return false;
    const uint64_t room = c.max_bytes / 2;  // units, terminator included
    if (length / 2 >= room) return false;   // longer than the buffer holds: cut
    out.resize(static_cast<size_t>(length / 2));
    std::memcpy(out.data(), buffer + c.value_offset, out.size() * 2);
    size_t nul = out.find(u'\0');
    if (nul != std::u16string::npos) out.resize(nul);
    return true;
}

}  // namespace

bool ws_decode_row(const uint8_t* buffer, std::u16string& name, std::u16string& folder) {
    name.clear();
    folder.clear();
    if (!buffer) return false;
    if (!read_column(buffer, kWsColumns[0], name) || !read_column(buffer, kWsColumns[1], folder)) return false;
    return !name.empty();
}

int ws_row_add(RowList* rows, std::u16string_view folder, std::u16string_view name, const char16_t* scoring) {
    std::u16string full = file_join_path(folder, name);
    Row r{};
    r.path = text_copy_view(full, rows->arena);
    r.subtitle = text_copy_view(full, rows->arena);
    r.target = text_copy_view(full, rows->arena);
    r.title = r.path ? text_copy(path_name_part(r.path), rows->arena) : nullptr;
    r.kind = kKindOpen;
    r.tag = tag::kWindowsSearch;
    if (!r.title || !r.subtitle || !r.path || !r.target) {
        if (!rows->arena) row_free(&r);
        return -1;
    }
    r.score = file_row_score(scoring, r.title);
    return rowlist_add(rows, &r);
}
