// Everything's window-message records: the query records the launcher sends (WM_COPYDATA codes 18
// and 2) and the two reply lists it reads back. Little-endian, packed, UTF-16LE strings. The
// readers take the reply bytes as they came from another process and never read outside them.
#pragma once
#include <cstddef>
#include <cstdint>

struct Arena;
struct RowList;

constexpr uint32_t kEverythingCodeQueryV1 = 2;
constexpr uint32_t kEverythingCodeQueryV2 = 18;
// dwData of the replies: the multi-character constant 'KEST', fixed for every query.
constexpr uint32_t kEverythingReplyTag = 0x4B455354;
// Name, path, size, date modified and attributes.
constexpr uint32_t kEverythingRequestFlags = 0x153;
constexpr uint32_t kEverythingRequestName = 0x1;
constexpr uint32_t kEverythingRequestPath = 0x2;
constexpr uint32_t kEverythingRequestSize = 0x10;
constexpr uint32_t kEverythingRequestModified = 0x40;
constexpr uint32_t kEverythingRequestAttributes = 0x100;
constexpr uint32_t kEverythingItemFolder = 0x1;
constexpr uint32_t kEverythingSortNameAscending = 1;
constexpr uint32_t kEverythingQueryV2Header = 28;
constexpr uint32_t kEverythingQueryV1Header = 20;
constexpr uint32_t kEverythingListV2Header = 20;
constexpr uint32_t kEverythingListV1Header = 28;
constexpr uint32_t kEverythingMaxName = 4096;
constexpr uint32_t kEverythingMaxPath = 32768;
constexpr uint32_t kEverythingDefaultMax = 50;

struct EverythingRecord {
    uint8_t* data;
    uint32_t size;
};

// The query records, built in the arena; {null, 0} when the arena has no room or the text is too
// long for a 32-bit record. A max_results of 0 is sent as 50.
EverythingRecord everything_build_query_v2(Arena* arena, uint32_t reply_window, const char16_t* text,
                                           uint32_t offset, uint32_t max_results);
EverythingRecord everything_build_query_v1(Arena* arena, uint32_t reply_window, const char16_t* text,
                                           uint32_t offset, uint32_t max_results);

// Appends one row (kind open, tag E) per usable item of a reply, scored with file_row_score against
// scoring_text (none: 0). Items that do not fit their declared lengths are skipped; parsing stops
// at a table entry beyond the end or when a row cannot be added. Returns the rows appended.
int32_t everything_parse_list_v2(const uint8_t* reply, size_t n, const char16_t* scoring_text, RowList* rows);
int32_t everything_parse_list_v1(const uint8_t* reply, size_t n, const char16_t* scoring_text, RowList* rows);
