#include "actions/terminal_json.h"

#include <string>

#include "core/text.h"
#include "core/utf.h"

namespace {

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Comments become spaces (line breaks inside block comments are kept); strings are untouched.
std::string strip_comments(std::string_view in) {
    std::string s(in);
    size_t i = 0;
    const size_t n = s.size();
    while (i < n) {
        char c = s[i];
        if (c == '"') {
            ++i;
            while (i < n && s[i] != '"') i += (s[i] == '\\') ? 2 : 1;
            ++i;
        } else if (c == '/' && i + 1 < n && s[i + 1] == '/') {
            while (i < n && s[i] != '\r' && s[i] != '\n') s[i++] = ' ';
        } else if (c == '/' && i + 1 < n && s[i + 1] == '*') {
            s[i] = s[i + 1] = ' ';
            i += 2;
            while (i < n && !(s[i] == '*' && i + 1 < n && s[i + 1] == '/')) {
                if (s[i] != '\r' && s[i] != '\n') s[i] = ' ';
                ++i;
            }
            if (i < n) s[i] = s[i + 1] = ' ', i += 2;
        } else {
            ++i;
        }
    }
    return s;
}

class Reader {
public:
    explicit Reader(std::string_view s) : s_(s) {}

    size_t pos = 0;
    bool at_end() const { return pos >= s_.size(); }
    char peek() const { return at_end() ? 0 : s_[pos]; }
    void skip_space() {
        while (!at_end() && is_space(s_[pos])) ++pos;
    }
    void skip_space_and_commas() {
        while (!at_end() && (is_space(s_[pos]) || s_[pos] == ',')) ++pos;
    }
    std::string_view text() const { return s_; }

    // The string that starts at pos (on its opening quote). Unterminated: false, pos at the end.
    // Otherwise pos moves past the closing quote and *decoded tells whether its text decoded:
    // escapes \" \\ \/ \b \f \n \r \t \uXXXX (not \u0000) and valid UTF-8, written into out (cap
    // units with the terminator; what does not fit is dropped, never half a surrogate pair).
    bool read_string(char16_t* out, size_t cap, bool* decoded = nullptr) {
        const size_t begin = pos + 1;
        size_t end = begin;
        while (end < s_.size() && s_[end] != '"') end += (s_[end] == '\\') ? 2 : 1;
        if (end >= s_.size()) {
            pos = s_.size();
            if (out && cap) out[0] = 0;
            return false;
        }
        pos = end + 1;
        bool ok = decode(begin, end, out, cap);
        if (decoded) *decoded = ok;
        return true;
    }

    bool decode(size_t i, size_t end, char16_t* out, size_t cap) const {
        size_t w = 0;
        auto put = [&](char16_t u) {
            if (out && w + 1 < cap) out[w++] = u;
        };
        bool ok = true;
        while (i < end && ok) {
            unsigned char c = static_cast<unsigned char>(s_[i]);
            if (c == '\\') {
                char e = s_[i + 1];
                i += 2;
                switch (e) {
                case '"': put(u'"'); break;
                case '\\': put(u'\\'); break;
                case '/': put(u'/'); break;
                case 'b': put(u'\b'); break;
                case 'f': put(u'\f'); break;
                case 'n': put(u'\n'); break;
                case 'r': put(u'\r'); break;
                case 't': put(u'\t'); break;
                case 'u':
                case 'U': {
                    uint32_t v = 0;
                    for (int k = 0; k < 4 && ok; ++k) {
                        char h = i + k < end ? s_[i + k] : 0;
                        int d = (h >= '0' && h <= '9')   ? h - '0'
                                : (h >= 'a' && h <= 'f') ? h - 'a' + 10
                                : (h >= 'A' && h <= 'F') ? h - 'A' + 10
                                                         : -1;
                        if (d < 0) ok = false;
                        v = v * 16 + static_cast<uint32_t>(d < 0 ? 0 : d);
                    }
                    if (v == 0) ok = false;
                    if (ok) put(static_cast<char16_t>(v));
                    i += 4;
                    break;
                }
                default: ok = false;
                }
                continue;
            }
            if (c < 0x80) {
                put(static_cast<char16_t>(c));
                ++i;
                continue;
            }
            // A multi-byte character: one unit, or a surrogate pair past U+FFFF (emoji icons).
            size_t used = 0;
            uint32_t cp = utf8_decode(s_.data() + i, end - i, &used);
            bool literal_replacement = used == 3 && c == 0xEF && static_cast<unsigned char>(s_[i + 1]) == 0xBF &&
                                       static_cast<unsigned char>(s_[i + 2]) == 0xBD;
            i += used;
            if (cp == 0xFFFD && !literal_replacement) {
                ok = false;
            } else if (cp >= 0x10000) {
                if (out && w + 2 < cap) {
                    cp -= 0x10000;
                    out[w++] = static_cast<char16_t>(0xD800 + (cp >> 10));
                    out[w++] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
                }
            } else {
                put(static_cast<char16_t>(cp));
            }
        }
        if (out && cap) out[w] = 0;
        return ok;
    }

    // Skips the value at pos: a string, an object or array to its matching bracket, anything else
    // to the next separator. False when the text ends first or a string fails.
    bool skip_value() {
        char c = peek();
        if (c == '"') return read_string(nullptr, 0);
        if (c == '{' || c == '[') {
            const char open = c, close = (c == '{') ? '}' : ']';
            int depth = 0;
            while (!at_end()) {
                char d = s_[pos];
                if (d == '"') {
                    if (!read_string(nullptr, 0)) return false;
                    continue;
                }
                ++pos;
                if (d == open) ++depth;
                else if (d == close && --depth == 0) return true;
            }
            return false;
        }
        while (!at_end()) {
            char d = s_[pos];
            if (d == ',' || d == '}' || d == ']' || is_space(d)) break;
            ++pos;
        }
        return true;
    }

    // At a quoted key: true when it is exactly `key`; pos then past it.
    bool take_key(std::string_view key) {
        if (peek() != '"') return false;
        size_t end = pos + 1 + key.size();
        if (end < s_.size() && s_.compare(pos + 1, key.size(), key) == 0 && s_[end] == '"') {
            pos = end + 1;
            return true;
        }
        return false;
    }

private:
    std::string_view s_;
};

// Finds `"key"` followed by ':' and then `opener`, each after optional white space, at or after
// from. Returns the position just past the opener, or npos.
size_t find_key_opening(std::string_view s, std::string_view key, char opener, size_t from) {
    std::string quoted = "\"" + std::string(key) + "\"";
    for (size_t at = s.find(quoted, from); at != std::string_view::npos; at = s.find(quoted, at + 1)) {
        size_t i = at + quoted.size();
        while (i < s.size() && is_space(s[i])) ++i;
        if (i >= s.size() || s[i] != ':') continue;
        ++i;
        while (i < s.size() && is_space(s[i])) ++i;
        if (i < s.size() && s[i] == opener) return i + 1;
    }
    return std::string_view::npos;
}

bool same_name(const char16_t* a, const char16_t* b) { return text_equal_ci(text_view(a), text_view(b)); }

// Reads one profile object (pos just past its "{") up to its closing brace. True when it closed
// and holds a visible, named profile. A member that fails to decode is left empty; a name that
// fails leaves the profile unnamed, so it is not stored.
bool read_profile(Reader& r, TerminalProfile& p) {
    p.name[0] = p.icon[0] = p.guid[0] = 0;
    bool hidden = false;
    while (true) {
        r.skip_space_and_commas();
        if (r.at_end()) return false;
        char c = r.peek();
        if (c == '}') {
            ++r.pos;
            break;
        }
        if (c != '"') {  // not a key: skip whatever stands there
            size_t before = r.pos;
            if (!r.skip_value()) return false;
            if (r.pos == before) ++r.pos;
            continue;
        }
        char16_t* field = nullptr;
        size_t cap = 0;
        bool is_hidden = false;
        if (r.take_key("name")) field = p.name, cap = kProfileNameCap;
        else if (r.take_key("icon")) field = p.icon, cap = kProfileIconCap;
        else if (r.take_key("guid")) field = p.guid, cap = kProfileGuidCap;
        else if (r.take_key("hidden")) is_hidden = true;
        else if (!r.read_string(nullptr, 0)) return false;
        r.skip_space();
        if (r.peek() != ':') continue;
        ++r.pos;
        r.skip_space();
        if (is_hidden) {
            hidden = r.text().substr(r.pos, 4) == "true";
            if (!r.skip_value()) return false;
        } else if (field && r.peek() == '"') {
            bool decoded = false;
            if (!r.read_string(field, cap, &decoded)) return false;
            if (!decoded) field[0] = 0;
        } else if (!r.skip_value()) {
            return false;
        }
    }
    return p.name[0] && !hidden;
}

}  // namespace

int terminal_json_profiles(std::string_view text, TerminalProfile* profiles, int capacity) {
    if (!profiles || capacity <= 0 || text.empty()) return 0;
    const std::string s = strip_comments(text);
    const std::string_view sv(s);
    size_t obj = find_key_opening(sv, "profiles", '{', 0);
    if (obj == std::string_view::npos) return 0;

    // "list" at depth 1 of the profiles object.
    Reader r(sv);
    r.pos = obj;
    int depth = 1;
    size_t list = std::string_view::npos;
    while (!r.at_end() && depth > 0) {
        char c = r.peek();
        if (c == '"') {
            size_t at = r.pos;
            if (depth == 1 && r.take_key("list")) {
                r.skip_space();
                if (r.peek() != ':') return 0;
                ++r.pos;
                r.skip_space();
                if (r.peek() != '[') return 0;
                list = r.pos + 1;
                break;
            }
            r.pos = at;
            if (!r.read_string(nullptr, 0)) return 0;
            continue;
        }
        if (c == '{') ++depth;
        else if (c == '}') --depth;
        ++r.pos;
    }
    if (list == std::string_view::npos) return 0;

    int count = 0;
    r.pos = list;
    while (!r.at_end() && count < capacity) {
        r.skip_space_and_commas();
        char c = r.peek();
        if (c == ']' || r.at_end()) break;
        if (c != '{') {
            size_t before = r.pos;
            if (!r.skip_value()) break;
            if (r.pos == before) ++r.pos;
            continue;
        }
        ++r.pos;
        TerminalProfile& p = profiles[count];
        if (!read_profile(r, p)) continue;
        bool dup = false;
        for (int k = 0; k < count && !dup; ++k) dup = same_name(profiles[k].name, p.name);
        if (!dup) ++count;
    }
    return count;
}
