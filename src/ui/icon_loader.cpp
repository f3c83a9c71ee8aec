#include "ui/icon_loader.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/auto_event.h"
#include "core/text.h"
#include "sources/app_index.h"
#include "ui/icon_location.h"
#include "ui/metrics.h"
#include "ui/view_draw.h"

namespace {

constexpr size_t kPathMax = 259;
// Paths that yielded no icon, remembered until the next show so that a visible row without an
// icon is not loaded again on every paint. Bounded: the oldest is forgotten first.
constexpr size_t kFailedMax = 512;
constexpr int kRepaintEvery = 8;
constexpr uint8_t kDriveUnknown = 0xFF;

struct CachedIcon {
    std::u16string path;
    uint64_t key;  // path_key: most lookups are decided without comparing text
    IconHandle icon;
};

// FNV-1a over the ASCII-folded units: equal for paths that compare equal ignoring case.
uint64_t path_key(std::u16string_view path) {
    uint64_t h = 1469598103934665603ull;
    for (char16_t c : path) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
        h = (h ^ c) * 1099511628211ull;
    }
    return h;
}

struct QueuedIcon {
    IconHandle icon;
    int x, y;
};

struct Loader {
    std::mutex lock;  // cache, pending, failed, retired, stored_since_repaint, busy
    AutoEvent wake;
    std::atomic<bool> stop{false};
    std::thread thread;
    IconShell* shell = nullptr;

    std::deque<CachedIcon> cache;         // insertion order, oldest first
    std::vector<std::u16string> pending;  // the top of the stack is the back
    std::deque<std::u16string> failed;
    std::vector<IconHandle> retired;  // evicted, destroyed by the window thread after drawing
    int stored_since_repaint = 0;
    bool busy = false;
    int64_t loads = 0;
    int64_t repaints = 0;

    // Window thread only.
    std::atomic<int> dpi{96};
    QueuedIcon queue[kIconDrawMax];
    int queued = 0;
    uint8_t drive_types[26];
};

Loader g;

bool contains_ci(const std::deque<std::u16string>& list, std::u16string_view path) {
    for (const std::u16string& p : list)
        if (text_compare_ci(p, path) == 0) return true;
    return false;
}

// Window thread: the cheap checks that keep UNC paths, network drives and vanished files away from
// the loader (a shell call on those may wait for the network).
bool worth_loading(std::u16string_view path) {
    const std::u16string_view file = icon_examined_path(path);
    if (file.size() >= 2 && file[0] == u'\\' && file[1] == u'\\') return false;
    if (file.size() >= 2 && file[1] == u':') {
        char16_t c = file[0];
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
        if (c >= u'A' && c <= u'Z') {
            uint8_t& type = g.drive_types[c - u'A'];
            if (type == kDriveUnknown) type = static_cast<uint8_t>(g.shell->drive_type(c));
            if (type == kDriveRemote) return false;
        }
    }
    return g.shell->path_exists(file);
}

// Under the lock: a hit in the cache, or the path (re)pushed on top of the request stack.
IconHandle find_or_request(std::u16string_view path, bool cacheable) {
    std::lock_guard<std::mutex> hold(g.lock);
    if (cacheable) {
        const uint64_t key = path_key(path);
        for (const CachedIcon& c : g.cache)
            if (c.key == key && text_compare_ci(c.path, path) == 0) return c.icon;
    }
    if (contains_ci(g.failed, path)) return nullptr;
    for (size_t i = 0; i < g.pending.size(); ++i) {
        if (text_compare_ci(g.pending[i], path) != 0) continue;
        std::rotate(g.pending.begin() + static_cast<std::ptrdiff_t>(i),
                    g.pending.begin() + static_cast<std::ptrdiff_t>(i) + 1, g.pending.end());
        return nullptr;
    }
    if (g.pending.size() >= kIconPendingMax) return nullptr;  // asked again on a later paint
    g.pending.emplace_back(path.substr(0, kPathMax));
    g.wake.signal();
    return nullptr;
}

IconHandle icon_get(std::u16string_view path) {
    if (path.empty() || !g.shell) return nullptr;
    if (path.size() > kPathMax) path = path.substr(0, kPathMax);
    if (icon_is_shell_path(path)) {
        const std::u16string target(path);
        if (IconHandle icon = app_index_icon_get(target.c_str())) return icon;
        return find_or_request(path, false);
    }
    if (!worth_loading(path)) return nullptr;
    return find_or_request(path, true);
}

// Under the lock: the loaded icon goes to its owner; a full cache gives up its oldest entry.
void store(const std::u16string& path, IconHandle icon) {
    if (icon_is_shell_path(path)) {
        app_index_icon_put(path.c_str(), icon);
        return;
    }
    const uint64_t key = path_key(path);
    for (CachedIcon& c : g.cache) {
        if (c.key != key || text_compare_ci(c.path, path) != 0) continue;
        if (c.icon != icon) g.retired.push_back(c.icon);  // loaded twice: keep the newer one
        c.icon = icon;
        return;
    }
    if (g.cache.size() >= kIconCacheSize) {
        g.retired.push_back(g.cache.front().icon);
        g.cache.pop_front();
    }
    g.cache.push_back(CachedIcon{path, key, icon});
}

void loader_main() {
    g.shell->thread_begin();
    while (!g.stop.load()) {
        std::u16string path;
        {
            std::lock_guard<std::mutex> hold(g.lock);
            if (!g.pending.empty()) {
                path = std::move(g.pending.back());
                g.pending.pop_back();
                g.busy = true;
            }
        }
        if (path.empty()) {
            g.wake.wait();
            continue;
        }
        IconHandle icon = g.shell->load(path);
        bool repaint = false;
        {
            std::lock_guard<std::mutex> hold(g.lock);
            ++g.loads;
            g.busy = false;
            if (icon) {
                store(path, icon);
                ++g.stored_since_repaint;
            } else {
                if (g.failed.size() >= kFailedMax) g.failed.pop_front();
                g.failed.push_back(std::move(path));
            }
            // Only stored icons change what a paint shows: a drained stack of failures repaints
            // nothing (it would ask for the same failures again, forever).
            if (g.stored_since_repaint > 0 && (g.pending.empty() || g.stored_since_repaint >= kRepaintEvery)) {
                g.stored_since_repaint = 0;
                ++g.repaints;
                repaint = true;
            }
        }
        if (repaint) g.shell->invalidate();
    }
    g.shell->thread_end();
}

void destroy_retired() {
    std::vector<IconHandle> dead;
    {
        std::lock_guard<std::mutex> hold(g.lock);
        dead.swap(g.retired);
    }
    for (IconHandle icon : dead) g.shell->destroy(icon);
}

}  // namespace

void icons_start(IconShell* shell) {
    if (g.shell || !shell) return;
    g.shell = shell;
    g.stop = false;
    std::fill(std::begin(g.drive_types), std::end(g.drive_types), kDriveUnknown);
    g.queued = 0;
    try {
        g.thread = std::thread(loader_main);
    } catch (...) {
        // No loader: requests stay pending and the rows keep their tiles.
    }
}

void icons_stop() {
    if (!g.shell) return;
    g.stop = true;
    g.wake.signal();
    if (g.thread.joinable()) g.thread.join();
    destroy_retired();
    std::lock_guard<std::mutex> hold(g.lock);
    for (CachedIcon& c : g.cache) g.shell->destroy(c.icon);
    g.cache.clear();
    g.pending.clear();
    g.failed.clear();
    g.stored_since_repaint = 0;
    g.loads = g.repaints = 0;
    g.busy = false;
    g.queued = 0;
    g.shell = nullptr;
}

void icons_set_dpi(int dpi) {
    if (dpi > 0) g.dpi = dpi;
}

int icons_size() {
    const int64_t size = (24LL * g.dpi.load() + 48) / 96;  // MulDiv rounds half away from zero
    return size < 20 ? 20 : static_cast<int>(size);
}

void icons_show_reset() {
    std::fill(std::begin(g.drive_types), std::end(g.drive_types), kDriveUnknown);
    std::lock_guard<std::mutex> hold(g.lock);
    g.failed.clear();
}

int icon_queue_draw(std::u16string_view path, int x, int y, int list_top, int list_bottom) {
    const int box = scale(20);
    if (y >= list_bottom || y + box <= list_top || path.empty()) return 0;
    IconHandle icon = icon_get(path);
    if (!icon) return 0;
    if (g.queued >= kIconDrawMax) return 1;
    const int d = (box - icons_size()) / 2;
    g.queue[g.queued++] = QueuedIcon{icon, x + d, y + d};
    return 1;
}

void icons_draw(IconDrawFn draw, void* user) {
    const int size = icons_size();
    for (int i = 0; i < g.queued; ++i)
        if (draw) draw(g.queue[i].icon, g.queue[i].x, g.queue[i].y, size, user);
    g.queued = 0;
    if (g.shell) destroy_retired();
}

IconStats icons_stats() {
    std::lock_guard<std::mutex> hold(g.lock);
    return IconStats{static_cast<int32_t>(g.cache.size()), static_cast<int32_t>(g.pending.size()),
                     static_cast<int32_t>(g.failed.size()), g.queued, static_cast<int32_t>(g.retired.size()),
                     g.loads, g.repaints};
}

bool icons_idle() {
    std::lock_guard<std::mutex> hold(g.lock);
    return g.pending.empty() && !g.busy;
}

void icons_join_view() {
    view_draw_hooks().draw_icon = [](UiContext*, const char16_t* source, UiRect rect) {
        return source && icon_queue_draw(source, rect.x, rect.y, list_top(), list_bottom()) != 0;
    };
}
