// The line filter on arbitrary bytes: the matches, their scores, their order and the text shown for
// each are those of the plain way (every line converted, scored with fuzzy_score, stably sorted),
// and nothing outside the input is read.
//
// Input: byte 0 is the length of the query in bytes (cut to what there is), then the query as
// UTF-8, then the lines.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/arena.h"
#include "core/text.h"
#include "core/utf.h"
#include "query/fuzzy.h"
#include "query/line_filter.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

struct Shown {
    int32_t score;
    std::u16string text;
    std::string line;
};

std::vector<Shown> reference(const std::string& input, const std::u16string& query) {
    std::vector<Shown> kept;
    for (size_t i = 0; i < input.size();) {
        size_t end = input.find('\n', i);
        if (end == std::string::npos) end = input.size();
        std::string line = input.substr(i, end - i);
        i = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::u16string units = utf8_to_utf16(line);
        const std::u16string text(units.c_str());
        const int32_t score = fuzzy_score(query.c_str(), text.c_str(), 110, 100, 85);
        if (score < 0) continue;
        kept.push_back(Shown{score, text, utf16_to_utf8(units) == line ? line : utf16_to_utf8(text)});
    }
    std::stable_sort(kept.begin(), kept.end(), [](const Shown& a, const Shown& b) {
        if (a.score != b.score) return a.score > b.score;
        return text_compare_ci(a.text, b.text) < 0;
    });
    return kept;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t qbytes = std::min<size_t>(data[0], size - 1);
    const std::u16string query = utf8_to_utf16(std::string(reinterpret_cast<const char*>(data + 1), qbytes));
    // A copy of exactly the input bytes, so that a read past them is caught.
    const std::string input(reinterpret_cast<const char*>(data + 1 + qbytes), size - 1 - qbytes);

    const std::vector<Shown> want = reference(input, query);
    ScratchScope scope;
    LineFilterResult got;
    check(line_filter(input, query.c_str(), 110, 100, 85, scope.arena(), &got));
    check(got.count == want.size());
    for (uint32_t k = 0; k < got.count; ++k) {
        const LineHit& h = got.hits[k];
        std::string line(h.line, h.length);
        if (h.reencode) line = utf16_to_utf8(std::u16string_view(h.text, h.text_length));
        check(h.score == want[k].score && line == want[k].line);
    }
    return 0;
}
