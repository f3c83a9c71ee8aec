#include "sources/folder_walk.h"

#include <string>
#include <vector>

#include "core/row.h"
#include "platform/platform.h"
#include "query/fuzzy.h"
#include "query/workers.h"
#include "sources/drives.h"

namespace {

struct Walk {
    const char16_t* name;
    RowList* out;
    int32_t generation;
    WalkState state;
    std::u16string path;                         // the folder being listed, with its trailing backslash
    std::vector<std::vector<FileEntry>> levels;  // one listing buffer per depth, reused
};

void visit(Walk& w, size_t depth) {
    WalkState& s = w.state;
    if (s.stopped || is_stale(w.generation)) return;
    if (++s.dirs_visited > kWalkMaxFolders) {
        s.stopped = 1;
        return;
    }
    if (s.dirs_visited % kWalkClockEvery == 0 && os_clock().tick_ms() - s.started_at > kWalkMaxMs) {
        s.stopped = 1;
        return;
    }
    if (w.levels.size() <= depth) w.levels.resize(depth + 1);
    // The buffer is taken out while this level works: deeper levels may grow the vector of levels.
    std::vector<FileEntry> entries = std::move(w.levels[depth]);
    if (os_files().list(w.path, entries) == 0) {
        const size_t base = w.path.size();
        for (const FileEntry& e : entries) {
            if (is_stale(w.generation)) break;
            int32_t score = fuzzy_score(w.name, e.name.c_str(), 110, 100, 85);
            // Room for the path, a trailing backslash and the terminator, or no row and no descent.
            if (base + e.name.size() + 2 >= kWalkPathCap) continue;
            w.path.resize(base);
            w.path += e.name;
            if (score >= 0 && !s.stopped) {
                if (s.rows_found >= kWalkMaxRows) {
                    s.stopped = 1;
                    break;
                }
                if (child_row_add(w.out, e, w.path, score) == 0) ++s.rows_found;
            }
            if ((e.attributes & win::kAttrDirectory) && !(e.attributes & win::kAttrReparsePoint) && !s.stopped) {
                w.path += u'\\';
                visit(w, depth + 1);
            }
        }
        w.path.resize(base);
    }
    entries.clear();
    w.levels[depth] = std::move(entries);
}

}  // namespace

WalkState walk_folder_state(const char16_t* folder, const char16_t* name, RowList* out, int32_t generation) {
    Walk w{name, out, generation, WalkState{}, {}, {}};
    if (!out || !folder || !folder[0] || !name || !name[0]) return w.state;
    w.path = folder;
    if (w.path.back() != u'\\' && w.path.back() != u'/') w.path += u'\\';
    if (w.path.size() + 1 >= kWalkPathCap) return w.state;
    w.state.started_at = os_clock().tick_ms();
    visit(w, 0);
    return w.state;
}

void walk_folder(const char16_t* folder, const char16_t* name, RowList* out, int32_t generation) {
    walk_folder_state(folder, name, out, generation);
}
