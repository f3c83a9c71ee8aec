#include "store/json_scan.h"

#include "store/data_file.h"

namespace {

bool is_json_blank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

int hex_value(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// The first characters of a numeric value, zero-terminated, for the decimal parsers.
void number_text(std::u16string_view object, size_t at, char16_t (&buf)[32]) {
    size_t n = 0;
    while (at + n < object.size() && n + 1 < sizeof buf / sizeof buf[0]) {
        buf[n] = object[at + n];
        ++n;
    }
    buf[n] = 0;
}

}  // namespace

bool json_next_object(std::u16string_view text, size_t* pos, std::u16string_view* object) {
    if (!pos || *pos >= text.size()) return false;
    size_t open = text.find(u'{', *pos);
    if (open == std::u16string_view::npos) return false;
    size_t close = text.find(u'}', open + 1);
    if (close == std::u16string_view::npos) return false;
    *object = text.substr(open + 1, close - open - 1);
    *pos = close + 1;
    return true;
}

bool json_find_value(std::u16string_view object, std::u16string_view name, size_t* value_at) {
    std::u16string quoted;
    quoted.reserve(name.size() + 2);
    quoted += u'"';
    quoted += name;
    quoted += u'"';
    size_t from = 0;
    for (;;) {
        size_t at = object.find(quoted, from);
        if (at == std::u16string_view::npos) return false;
        size_t p = at + quoted.size();
        while (p < object.size() && is_json_blank(object[p])) ++p;
        if (p < object.size() && object[p] == u':') {
            ++p;
            while (p < object.size() && is_json_blank(object[p])) ++p;
            *value_at = p;
            return true;
        }
        from = at + 1;
    }
}

bool json_string(std::u16string_view object, std::u16string_view name, std::u16string* out) {
    size_t p;
    if (!json_find_value(object, name, &p) || p >= object.size() || object[p] != u'"') return false;
    out->clear();
    ++p;
    while (p < object.size() && object[p] != u'"') {
        char16_t c = object[p++];
        if (c != u'\\') {
            out->push_back(c);
            continue;
        }
        if (p >= object.size()) {
            out->push_back(u'\\');
            break;
        }
        char16_t e = object[p++];
        switch (e) {
            case u'"': out->push_back(u'"'); break;
            case u'/': out->push_back(u'/'); break;
            case u'\\': out->push_back(u'\\'); break;
            case u'n': out->push_back(u'\n'); break;
            case u'r': out->push_back(u'\r'); break;
            case u't': out->push_back(u'\t'); break;
            case u'u': {
                uint32_t v = 0;
                for (int i = 0; i < 4 && p < object.size(); ++i) {
                    int h = hex_value(object[p]);
                    if (h < 0) break;
                    v = v * 16 + static_cast<uint32_t>(h);
                    ++p;
                }
                // A NUL would end the text early wherever it is used; it is dropped.
                if (v) out->push_back(static_cast<char16_t>(v));
                break;
            }
            default: out->push_back(u'\\'); break;  // the escaped character is dropped
        }
    }
    return true;
}

bool json_int(std::u16string_view object, std::u16string_view name, int32_t* out) {
    size_t p;
    if (!json_find_value(object, name, &p) || p >= object.size()) return false;
    char16_t c = object[p];
    if (!(c == u'-' || (c >= u'0' && c <= u'9'))) return false;
    char16_t buf[32];
    number_text(object, p, buf);
    *out = datafile_parse_int(buf);
    return true;
}

bool json_u64(std::u16string_view object, std::u16string_view name, uint64_t* out) {
    size_t p;
    if (!json_find_value(object, name, &p) || p >= object.size()) return false;
    if (!(object[p] >= u'0' && object[p] <= u'9')) return false;
    char16_t buf[32];
    number_text(object, p, buf);
    *out = datafile_parse_u64(buf);
    return true;
}
