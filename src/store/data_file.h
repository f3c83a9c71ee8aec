// The DataFile format shared by settings.dat, history.dat and quick_access.dat: UTF-8 with a BOM,
// a "# Kestrune data v1" header, "[name]" sections of "key=value" lines with escaped values, CR LF.
// The reader and writer know nothing about what the keys mean.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

struct Arena;

constexpr uint64_t kDataFileMaxBytes = 1048576;
constexpr int32_t kDataFileMaxPairs = 16;
constexpr size_t kDataFileMaxSectionName = 62;

struct KeyValue {
    const char16_t* key;
    const char16_t* value;
};

// One call per well-formed section, in file order; the strings live in the reader's arena.
using DataFileHandler = void (*)(void* context, const char16_t* section, int32_t count, const KeyValue* pairs);

// Collects the file in memory; datafile_end saves it with atomic_save, so the previous file stays
// whole until the new one is complete.
struct DataFileWriter {
    std::u16string path;
    std::string bytes;
    bool ok = false;
};

bool datafile_begin(DataFileWriter* writer, const char16_t* path);
void datafile_section(DataFileWriter* writer, const char* name);
void datafile_put_str(DataFileWriter* writer, const char* key, const char16_t* value);  // null: empty value
void datafile_put_int(DataFileWriter* writer, const char* key, int32_t value);
void datafile_put_u64(DataFileWriter* writer, const char* key, uint64_t value);
// True only when every step succeeded and the file now holds exactly what was written.
bool datafile_end(DataFileWriter* writer);

// Reads the whole file; false when it cannot be opened, is empty, exceeds 1 MiB, or memory ran out
// while it was parsed (sections may have been delivered by then, but not all of them). True also
// when it held no section. open_error (if given) receives the Win32 error of the read: kOk once it
// was read whole (even when it was empty), kErrNotEnoughMemory when memory ran out.
bool datafile_read(const char16_t* path, Arena* arena, void* context, DataFileHandler handler,
                   uint32_t* open_error = nullptr);
// True when a failed read should keep a store from overwriting the file: it exists, but it could
// not be read this time (locked, access denied, out of memory). Empty and oversized files hold
// nothing usable.
bool datafile_unreadable(uint32_t open_error);
// The same over bytes already in memory (the size limits apply). *out_of_memory (if given) tells
// whether a copy failed, which makes the result false.
bool datafile_parse(std::string_view bytes, Arena* arena, void* context, DataFileHandler handler,
                    bool* out_of_memory = nullptr);

// Appends value in its written form (backslash, LF and CR escaped), as UTF-8.
void datafile_escape_append(std::string& out, std::u16string_view value);

// The value of the first pair whose key equals key exactly; null when absent.
const char16_t* datafile_value(const KeyValue* pairs, int32_t count, const char* key);
// Decimal like wcstol in base 10 narrowed to 32 bits: leading blanks and a sign allowed, stops at
// the first non-digit, no digits read as 0, out of range clamps. *digits (if given) tells whether
// any digit was read and *end where reading stopped.
int32_t datafile_parse_int(const char16_t* s, bool* digits = nullptr, const char16_t** end = nullptr);
// Plain digits as an unsigned 64-bit value (clamped); 0 without digits.
uint64_t datafile_parse_u64(const char16_t* s);
