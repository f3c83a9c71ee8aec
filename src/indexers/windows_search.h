// The Windows Search client: runs the CONTAINS and LIKE forms through the OLE DB provider, turns
// each result into a file row (tag W), merges the two forms without duplicates, and supplies the
// Windows Search indexer record. When Windows Search cannot answer, the two guidance rows (tag '?')
// lead to Indexing Options or to Everything.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/ole_db.h"

struct RowList;

// The row buffer one result is read into, and its two bound columns.
constexpr uint32_t kWsRowBytes = 3104;
constexpr int32_t kWsBatchRows = 64;
constexpr OleDbColumn kWsColumns[] = {
    {1, 0, 1024, 1024, 1032},     // System.ItemName: up to 511 characters
    {2, 1036, 2048, 3088, 3096},  // System.ItemFolderPathDisplay: up to 1023 characters
};

constexpr const char16_t* kEverythingDownloadUrl = u"https://www.voidtools.com/downloads/";

// Reads the name and the folder out of a fetched row buffer (kWsRowBytes). False for a row to skip:
// a column that is null, truncated or otherwise not whole, or an empty name.
bool ws_decode_row(const uint8_t* buffer, std::u16string& name, std::u16string& folder);
// Appends the file row of one result: title the name part, path folder + "\" + name, scored
// against scoring (0 without). -1 when it cannot be stored.
int ws_row_add(RowList* rows, std::u16string_view folder, std::u16string_view name, const char16_t* scoring);

// Removes every row at or after like_from whose full path (its subtitle) equals, ignoring case,
// that of an earlier row at or after from; the order of the rest is kept.
void ws_drop_repeated_paths(RowList* rows, int32_t from, int32_t like_from);

// Runs one statement; rows go to the end of rows. 0 done (also when the request went stale on the
// way), -1 when an OLE DB step failed (the thread's data source is then dropped).
int ws_execute(const char16_t* sql, const char16_t* scoring, RowList* rows, int32_t generation);
// The CONTAINS form, then the LIKE form unless CONTAINS found the exact name or filled the limit.
// 0 done (rows appended, possibly none), -1 when Windows Search gave no answer.
int ws_search(const char16_t* query, const char16_t* folder, const char16_t* extensions, const char16_t* scoring,
              RowList* rows, int32_t limit, int32_t generation);
bool ws_service_running();
void ws_guidance_rows(RowList* rows);

// The indexer record's operations.
void windows_search_search(const char16_t* query, int folders_only, const char16_t* extension_filter,
                           const char16_t* highlight_query, RowList* out, int32_t generation, int many);
void windows_search_search_in_folder(const char16_t* name, const char16_t* folder, const char16_t* highlight_query,
                                     RowList* out, int32_t generation);

// The one-line status of both indexers for the options view. Code 0: fine; 1: the selected indexer
// cannot answer; 2: Windows Search is selected and running but Everything is missing. The text is
// cut to the buffer.
int32_t indexer_status_format(int32_t selected, bool search_running, bool everything_running, char16_t* buf,
                              size_t size);
// The same for the selected indexer option and the machine's state now.
void indexer_status_text(char16_t* buf, size_t size, int32_t* code);
// Whether Everything answers; the Everything client puts its probe here when it joins.
using EverythingRunningFn = bool (*)();
void indexer_status_set_everything_probe(EverythingRunningFn probe);
