#include "indexers/file_rows.h"

#include "query/fuzzy.h"

namespace {
bool is_drive(std::u16string_view s) {
    return s.size() == 2 && s[1] == u':' && ((s[0] >= u'A' && s[0] <= u'Z') || (s[0] >= u'a' && s[0] <= u'z'));
}
}  // namespace

int32_t file_row_score(const char16_t* scoring_text, const char16_t* file_name) {
    if (!scoring_text || !*scoring_text) return 0;
    const char16_t* name = file_name ? file_name : u"";
    int32_t best = fuzzy_score(scoring_text, name, 110, 100, 90);
    const char16_t* last = nullptr;
    for (const char16_t* p = scoring_text; *p; ++p)
        if (*p == u'\\' || *p == u'/') last = p;
    if (last && last[1]) {
        int32_t tail = fuzzy_score(last + 1, name, 110, 100, 90);
        if (tail > best) best = tail;
    }
    return best < 0 ? 55 : best;
}

std::u16string file_join_path(std::u16string_view folder, std::u16string_view name) {
    if (folder.empty()) {
        std::u16string out(name);
        if (is_drive(name)) out += u'\\';
        return out;
    }
    std::u16string out(folder);
    if (out.back() != u'\\' && out.back() != u'/') out += u'\\';
    out += name;
    return out;
}
