#include "store/data_file.h"

#include <climits>
#include <cstring>

#include "core/arena.h"
#include "core/text.h"
#include "core/utf.h"
#include "platform/platform.h"
#include "store/atomic_save.h"

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kHeader = "# Kestrune data v1\r\n";

bool is_line_end(char16_t c) { return c == u'\r' || c == u'\n'; }

// Backslash + n, r or backslash become LF, CR or one backslash; any other backslash stays literal.
char16_t* unescape_copy(const char16_t* s, size_t n, Arena* arena) {
    char16_t* out = arena_new_array<char16_t>(arena, n + 1);
    if (!out) return nullptr;
    size_t o = 0;
    for (size_t i = 0; i < n; ++i) {
        char16_t c = s[i];
        if (c == u'\\' && i + 1 < n) {
            char16_t next = s[i + 1];
            if (next == u'\\' || next == u'n' || next == u'r') {
                out[o++] = next == u'n' ? u'\n' : next == u'r' ? u'\r' : u'\\';
                ++i;
                continue;
            }
        }
        out[o++] = c;
    }
    out[o] = 0;
    return out;
}

struct OpenSection {
    const char16_t* name = nullptr;
    KeyValue pairs[kDataFileMaxPairs];
    int32_t count = 0;
    bool out_of_memory = false;  // a copy failed: what the handlers saw is not the whole file
};

void deliver(OpenSection& s, void* context, DataFileHandler handler) {
    if (s.name && handler) handler(context, s.name, s.count, s.pairs);
    s.name = nullptr;
    s.count = 0;
}

void parse_line(const char16_t* line, size_t n, OpenSection& s, Arena* arena, void* context, DataFileHandler handler) {
    if (line[0] == u'#') return;
    if (line[0] == u'[') {
        deliver(s, context, handler);
        std::u16string_view v(line, n);
        size_t close = v.find(u']');
        if (close == std::u16string_view::npos || close - 1 > kDataFileMaxSectionName) return;
        s.name = text_copy_n(line + 1, close - 1, arena);
        if (!s.name) s.out_of_memory = true;
        return;
    }
    if (!s.name || s.count >= kDataFileMaxPairs) return;
    std::u16string_view v(line, n);
    size_t eq = v.find(u'=');
    if (eq == std::u16string_view::npos) return;
    char16_t* key = text_copy_n(line, eq, arena);
    char16_t* value = key ? unescape_copy(line + eq + 1, n - eq - 1, arena) : nullptr;
    if (!key || !value) {
        s.out_of_memory = true;
        return;
    }
    s.pairs[s.count++] = KeyValue{key, value};
}

void append_line_end(DataFileWriter* w) { w->bytes += "\r\n"; }

}  // namespace

bool datafile_parse(std::string_view bytes, Arena* arena, void* context, DataFileHandler handler,
                    bool* out_of_memory) {
    if (out_of_memory) *out_of_memory = false;
    if (bytes.empty() || bytes.size() > kDataFileMaxBytes || !arena) return false;
    // The text is converted as a zero-terminated string: a NUL byte ends it.
    size_t nul = bytes.find('\0');
    if (nul != std::string_view::npos) bytes = bytes.substr(0, nul);
    char16_t* text = arena_new_array<char16_t>(arena, bytes.size() + 1);
    if (!text) {
        if (out_of_memory) *out_of_memory = true;
        return false;
    }
    size_t len = utf8_to_utf16(bytes, text, bytes.size() + 1);
    size_t i = 0;
    if (len > 1 && text[0] == 0xFEFF) i = 1;
    OpenSection section;
    while (i < len) {
        while (i < len && is_line_end(text[i])) ++i;
        size_t start = i;
        while (i < len && !is_line_end(text[i])) ++i;
        if (i > start) parse_line(text + start, i - start, section, arena, context, handler);
    }
    deliver(section, context, handler);
    if (out_of_memory) *out_of_memory = section.out_of_memory;
    return !section.out_of_memory;
}

bool datafile_read(const char16_t* path, Arena* arena, void* context, DataFileHandler handler, uint32_t* open_error) {
    uint32_t rc = win::kErrInvalidName;
    std::string bytes;
    if (path && *path) rc = os_files().read(text_view(path), bytes, kDataFileMaxBytes);
    if (rc != win::kOk) {
        if (open_error) *open_error = rc;
        return false;
    }
    bool out_of_memory = false;
    bool read = datafile_parse(bytes, arena, context, handler, &out_of_memory);
    if (open_error) *open_error = out_of_memory ? win::kErrNotEnoughMemory : win::kOk;
    return read;
}

bool datafile_unreadable(uint32_t open_error) {
    return open_error != win::kOk && open_error != win::kErrFileTooLarge && open_error != win::kErrFileNotFound &&
           open_error != win::kErrPathNotFound;
}

void datafile_escape_append(std::string& out, std::u16string_view value) {
    size_t run = 0;
    auto flush = [&](size_t end) {
        if (end > run) out += utf16_to_utf8(value.substr(run, end - run));
    };
    for (size_t i = 0; i < value.size(); ++i) {
        char16_t c = value[i];
        const char* esc = c == u'\\' ? "\\\\" : c == u'\n' ? "\\n" : c == u'\r' ? "\\r" : nullptr;
        if (!esc) continue;
        flush(i);
        out += esc;
        run = i + 1;
    }
    flush(value.size());
}

bool datafile_begin(DataFileWriter* writer, const char16_t* path) {
    if (!writer) return false;
    writer->bytes.clear();
    writer->path = std::u16string(text_view(path));
    writer->ok = !writer->path.empty();
    if (writer->ok) {
        writer->bytes += kBom;
        writer->bytes += kHeader;
    }
    return writer->ok;
}

void datafile_section(DataFileWriter* writer, const char* name) {
    if (!writer || !writer->ok) return;
    writer->bytes += "\r\n[";
    writer->bytes += name ? name : "";
    writer->bytes += "]\r\n";
}

void datafile_put_str(DataFileWriter* writer, const char* key, const char16_t* value) {
    if (!writer || !writer->ok) return;
    writer->bytes += key ? key : "";
    writer->bytes += '=';
    datafile_escape_append(writer->bytes, text_view(value));
    append_line_end(writer);
}

void datafile_put_int(DataFileWriter* writer, const char* key, int32_t value) {
    if (!writer || !writer->ok) return;
    writer->bytes += key ? key : "";
    writer->bytes += '=';
    writer->bytes += std::to_string(value);
    append_line_end(writer);
}

void datafile_put_u64(DataFileWriter* writer, const char* key, uint64_t value) {
    if (!writer || !writer->ok) return;
    writer->bytes += key ? key : "";
    writer->bytes += '=';
    writer->bytes += std::to_string(value);
    append_line_end(writer);
}

bool datafile_end(DataFileWriter* writer) {
    if (!writer) return false;
    bool ok = writer->ok;
    // A file the reader would refuse is never written: the previous, readable one is kept instead.
    if (ok && writer->bytes.size() > kDataFileMaxBytes) ok = false;
    if (ok) ok = atomic_save(writer->path, writer->bytes) == win::kOk;
    writer->ok = false;
    writer->bytes.clear();
    writer->bytes.shrink_to_fit();
    return ok;
}

const char16_t* datafile_value(const KeyValue* pairs, int32_t count, const char* key) {
    if (!pairs || !key) return nullptr;
    size_t n = std::strlen(key);
    for (int32_t i = 0; i < count; ++i) {
        const char16_t* k = pairs[i].key;
        if (!k) continue;
        size_t j = 0;
        while (j < n && k[j] == static_cast<unsigned char>(key[j])) ++j;
        if (j == n && k[j] == 0) return pairs[i].value;
    }
    return nullptr;
}

int32_t datafile_parse_int(const char16_t* s, bool* digits, const char16_t** end) {
    if (digits) *digits = false;
    if (end) *end = s;
    if (!s) return 0;
    const char16_t* p = s;
    while (text_is_blank(*p)) ++p;
    bool negative = false;
    if (*p == u'+' || *p == u'-') negative = *p++ == u'-';
    int64_t v = 0;
    bool any = false;
    while (*p >= u'0' && *p <= u'9') {
        any = true;
        if (v <= INT64_C(1) << 40) v = v * 10 + (*p - u'0');
        ++p;
    }
    if (!any) return 0;  // wcstol reports no conversion: the end is the start
    if (digits) *digits = true;
    if (end) *end = p;
    if (negative) v = -v;
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}

uint64_t datafile_parse_u64(const char16_t* s) {
    if (!s) return 0;
    uint64_t v = 0;
    for (const char16_t* p = s; *p >= u'0' && *p <= u'9'; ++p) {
        uint64_t d = static_cast<uint64_t>(*p - u'0');
        if (v > (UINT64_MAX - d) / 10) return UINT64_MAX;
        v = v * 10 + d;
    }
    return v;
}
