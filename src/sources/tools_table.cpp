#include "sources/tools_table.h"

namespace {

constexpr ToolDef kTools[] = {
    {u"Password generator", u"PASSWORD", u"Readable memorable passwords, copied on Enter", u"gen 24 symbols",
     u"Esc back | Enter copy", {u"gen", u"pw"}},
    {u"Uninstaller", u"UNINSTALL", u"Find and uninstall desktop programs", u"uninstall chrome",
     u"Esc back | Enter uninstall", {u"uninstall", nullptr}},
    {u"System Controls", u"SYSTEM", u"Power, recycle bin and app data", u"sys shutdown", u"Esc back | Enter run",
     {u"sys", nullptr}},
};
constexpr int32_t kToolCount = static_cast<int32_t>(sizeof kTools / sizeof kTools[0]);

constexpr bool is_space_or_tab(char16_t c) { return c == u' ' || c == u'\t'; }
constexpr char16_t fold(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }

// Length of the word when text opens with it (any case) and it ends there, else 0.
int word_opens(const char16_t* text, const char16_t* word) {
    int i = 0;
    for (; word[i]; ++i) {
        if (!text[i] || fold(text[i]) != fold(word[i])) return 0;
    }
    return (text[i] == 0 || is_space_or_tab(text[i])) ? i : 0;
}

}  // namespace

int32_t tool_count() { return kToolCount; }

const ToolDef* tool_def(int32_t index) { return (index >= 0 && index < kToolCount) ? &kTools[index] : nullptr; }

const char16_t* tool_name(int32_t index) { return tool_def(index) ? kTools[index].name : u""; }
const char16_t* tool_label(int32_t index) { return tool_def(index) ? kTools[index].label : u""; }
const char16_t* tool_hint(int32_t index) { return tool_def(index) ? kTools[index].hint : u""; }
const char16_t* tool_description(int32_t index) { return tool_def(index) ? kTools[index].description : u""; }
const char16_t* tool_example(int32_t index) { return tool_def(index) ? kTools[index].example : u""; }

int32_t tool_match(const char16_t* text, const char16_t** rest) {
    if (rest) *rest = u"";
    if (!text) return -1;
    while (is_space_or_tab(*text)) ++text;
    if (!*text) return -1;
    for (int32_t t = 0; t < kToolCount; ++t) {
        for (const char16_t* word : kTools[t].words) {
            if (!word) continue;
            int n = word_opens(text, word);
            if (!n) continue;
            const char16_t* r = text + n;
            while (is_space_or_tab(*r)) ++r;
            if (rest) *rest = r;
            return t;
        }
    }
    return -1;
}
