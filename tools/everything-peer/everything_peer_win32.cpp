// A stand-in for Everything (voidtools) that plays its side of the window-message interface, so the
// launcher's client runs its real code path against another process. It owns a hidden top-level
// window of class "EVERYTHING_TASKBAR_NOTIFICATION" (FindWindowW on Windows does not see
// message-only windows), answers query records sent with WM_COPYDATA (code 18 with a list of
// properties, code 2 with names and paths) from a listing file, and can misbehave on purpose.
//
// everything-peer.exe --listing FILE [--log FILE] [--delay MS] [--late TEXT:MS] [--never]
//                     [--refuse] [--v1-only] [--hang MS] [--lifetime MS]
//   listing: UTF-8 lines "FULL PATH<TAB>SIZE<TAB>MODIFIED FILETIME<TAB>ATTRIBUTES" (numbers in
//            decimal or 0x hex; attribute 0x10 marks a folder)
//   --log      appends "ready" once the window exists, then "<code> <text>" per query received
//   --delay    answers after MS from a timer instead of inside the send (0, the default)
//   --late     queries whose text contains TEXT are answered after MS
//   --never    accepts every query and never answers
//   --refuse   answers 0 to both records
//   --v1-only  answers 0 to code 18 and serves code 2
//   --hang     sleeps MS inside the send before it accepts and answers
//   --lifetime ends the program after MS (default 180000)
// everything-peer.exe --quit ends the running peer.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <string>
#include <vector>

namespace {

struct Item {
    std::wstring folder;
    std::wstring name;
    uint64_t size = 0;
    uint64_t modified = 0;
    uint32_t attributes = 0;
};

struct Pending {
    HWND to;
    std::vector<uint8_t> bytes;
};

struct Config {
    std::wstring log;
    UINT delay = 0;
    std::wstring late_text;
    UINT late_ms = 0;
    bool never = false;
    bool refuse = false;
    bool v1_only = false;
    DWORD hang = 0;
    UINT lifetime = 180000;
} g_cfg;

std::vector<Item> g_items;
std::vector<Pending> g_pending;  // indexed by timer id - 1; answered ones are emptied
constexpr UINT_PTR kLifetimeTimer = 0x7FFF;

std::wstring widen(const std::string& s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0);
    std::wstring out(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), out.data(), n);
    return out;
}

std::string narrow(const std::wstring& s) {
    if (s.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.data(), int(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}

void log_line(const std::wstring& line) {
    if (g_cfg.log.empty()) return;
    FILE* f = _wfopen(g_cfg.log.c_str(), L"ab");
    if (!f) return;
    std::string s = narrow(line) + "\n";
    fwrite(s.data(), 1, s.size(), f);
    fclose(f);
}

bool load_listing(const std::wstring& path) {
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return false;
    std::string all;
    char buf[65536];
    size_t got;
    while ((got = fread(buf, 1, sizeof buf, f)) > 0) all.append(buf, got);
    fclose(f);
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\n', start);
        if (end == std::string::npos) end = all.size();
        std::string line = all.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> f4;
        size_t a = 0;
        for (;;) {
            size_t t = line.find('\t', a);
            f4.push_back(line.substr(a, t == std::string::npos ? std::string::npos : t - a));
            if (t == std::string::npos) break;
            a = t + 1;
        }
        if (f4.size() != 4 || f4[0].empty()) continue;
        std::wstring full = widen(f4[0]);
        Item it;
        size_t cut = full.find_last_of(L'\\');
        if (cut == std::wstring::npos) {
            it.name = full;
        } else {
            it.folder = full.substr(0, cut);
            it.name = full.substr(cut + 1);
        }
        it.size = strtoull(f4[1].c_str(), nullptr, 0);
        it.modified = strtoull(f4[2].c_str(), nullptr, 0);
        it.attributes = uint32_t(strtoul(f4[3].c_str(), nullptr, 0));
        g_items.push_back(it);
    }
    return true;
}

wchar_t fold(wchar_t c) { return (c >= L'A' && c <= L'Z') ? wchar_t(c + 32) : c; }
std::wstring folded(std::wstring s) {
    for (auto& c : s) c = fold(c);
    return s;
}
bool contains_ci(const std::wstring& hay, const std::wstring& needle) {
    return folded(hay).find(folded(needle)) != std::wstring::npos;
}

// Everything's syntax as far as the launcher uses it: space-separated terms that must all match
// the name (or the full path when a term holds a backslash), "folder:" for folders only,
// "ext:a;b" for those extensions, path:"X" for items below X.
std::vector<const Item*> search(const std::wstring& text) {
    bool folders_only = false;
    std::vector<std::wstring> terms, exts;
    std::wstring below;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == L' ') ++i;
        if (i >= text.size()) break;
        std::wstring term;
        bool quoted = false;
        while (i < text.size() && (quoted || text[i] != L' ')) {
            if (text[i] == L'"') quoted = !quoted;
            else term += text[i];
            ++i;
        }
        std::wstring low = folded(term);
        if (low.rfind(L"folder:", 0) == 0) {
            folders_only = true;
            if (term.size() > 7) terms.push_back(term.substr(7));
        } else if (low.rfind(L"ext:", 0) == 0) {
            std::wstring list = low.substr(4);
            size_t a = 0;
            for (;;) {
                size_t b = list.find(L';', a);
                exts.push_back(list.substr(a, b == std::wstring::npos ? std::wstring::npos : b - a));
                if (b == std::wstring::npos) break;
                a = b + 1;
            }
        } else if (low.rfind(L"path:", 0) == 0) {
            below = low.substr(5);
        } else if (!term.empty()) {
            terms.push_back(term);
        }
    }
    std::vector<const Item*> out;
    for (const Item& it : g_items) {
        const bool is_folder = (it.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (folders_only && !is_folder) continue;
        std::wstring full = it.folder.empty() ? it.name : it.folder + L"\\" + it.name;
        if (!below.empty()) {
            std::wstring base = below;
            if (base.back() != L'\\') base += L'\\';
            if (folded(full).rfind(base, 0) != 0) continue;
        }
        if (!exts.empty()) {
            size_t dot = it.name.find_last_of(L'.');
            std::wstring ext = dot == std::wstring::npos ? L"" : folded(it.name.substr(dot + 1));
            if (std::find(exts.begin(), exts.end(), ext) == exts.end()) continue;
        }
        bool all = true;
        for (const auto& t : terms)
            if (!contains_ci(t.find(L'\\') != std::wstring::npos ? full : it.name, t)) all = false;
        if (all) out.push_back(&it);
    }
    std::sort(out.begin(), out.end(), [](const Item* a, const Item* b) { return folded(a->name) < folded(b->name); });
    return out;
}

void put32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
void put64(std::vector<uint8_t>& b, uint64_t v) {
    put32(b, uint32_t(v));
    put32(b, uint32_t(v >> 32));
}
void set32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}
void put_units(std::vector<uint8_t>& b, const std::wstring& s) {
    for (wchar_t c : s) {
        b.push_back(uint8_t(c));
        b.push_back(uint8_t(c >> 8));
    }
    b.push_back(0);
    b.push_back(0);
}

// The list for a code 18 query: a five-field header, 8-byte item entries, then each item's data in
// the order of the property bits.
std::vector<uint8_t> list_v2(const std::vector<const Item*>& found, uint32_t offset, uint32_t max, uint32_t flags) {
    flags &= 0x153;
    const uint32_t first = std::min<uint32_t>(offset, uint32_t(found.size()));
    const uint32_t count = std::min<uint32_t>(max, uint32_t(found.size()) - first);
    std::vector<uint8_t> b;
    put32(b, uint32_t(found.size()));
    put32(b, count);
    put32(b, offset);
    put32(b, flags);
    put32(b, 1);
    const size_t table = b.size();
    b.resize(table + size_t(count) * 8);
    for (uint32_t i = 0; i < count; ++i) {
        const Item& it = *found[first + i];
        set32(b, table + i * 8, (it.attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0);
        set32(b, table + i * 8 + 4, uint32_t(b.size()));
        if (flags & 0x1) {
            put32(b, uint32_t(it.name.size()));
            put_units(b, it.name);
        }
        if (flags & 0x2) {
            put32(b, uint32_t(it.folder.size()));
            put_units(b, it.folder);
        }
        if (flags & 0x10) put64(b, (it.attributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : it.size);
        if (flags & 0x40) put64(b, it.modified);
        if (flags & 0x100) put32(b, it.attributes);
    }
    return b;
}

// The list for a code 2 query: a seven-field header, 12-byte entries, zero-terminated strings.
std::vector<uint8_t> list_v1(const std::vector<const Item*>& found, uint32_t offset, uint32_t max) {
    const uint32_t first = std::min<uint32_t>(offset, uint32_t(found.size()));
    const uint32_t count = std::min<uint32_t>(max, uint32_t(found.size()) - first);
    uint32_t folders = 0, files = 0, shown_folders = 0;
    for (size_t i = 0; i < found.size(); ++i) {
        const bool f = (found[i]->attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        (f ? folders : files)++;
        if (f && i >= first && i < first + count) ++shown_folders;
    }
    std::vector<uint8_t> b;
    put32(b, folders);
    put32(b, files);
    put32(b, uint32_t(found.size()));
    put32(b, shown_folders);
    put32(b, count - shown_folders);
    put32(b, count);
    put32(b, offset);
    const size_t table = b.size();
    b.resize(table + size_t(count) * 12);
    for (uint32_t i = 0; i < count; ++i) {
        const Item& it = *found[first + i];
        set32(b, table + i * 12, (it.attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0);
        set32(b, table + i * 12 + 4, uint32_t(b.size()));
        put_units(b, it.name);
        set32(b, table + i * 12 + 8, uint32_t(b.size()));
        put_units(b, it.folder);
    }
    return b;
}

uint32_t get32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

void send_reply(HWND self, HWND to, const std::vector<uint8_t>& bytes) {
    COPYDATASTRUCT cds{};
    cds.dwData = 0x4B455354;  // the reply tag the queries carry
    cds.cbData = DWORD(bytes.size());
    cds.lpData = const_cast<uint8_t*>(bytes.data());
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(to, WM_COPYDATA, reinterpret_cast<WPARAM>(self), reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL,
                        5000, &ignored);
}

LRESULT on_query(HWND self, const COPYDATASTRUCT* cds) {
    const bool v2 = cds->dwData == 18;
    const uint32_t header = v2 ? 28 : 20;
    if ((cds->dwData != 18 && cds->dwData != 2) || cds->cbData < header + 2) return 0;
    const auto* p = static_cast<const uint8_t*>(cds->lpData);
    std::wstring text;
    for (DWORD at = header; at + 1 < cds->cbData; at += 2) {
        wchar_t c = wchar_t(p[at] | (p[at + 1] << 8));
        if (!c) break;
        text += c;
    }
    log_line(std::to_wstring(cds->dwData) + L" " + text);
    if (g_cfg.refuse || (v2 && g_cfg.v1_only)) return 0;
    if (g_cfg.never) return 1;
    HWND to = reinterpret_cast<HWND>(uintptr_t(get32(p)));
    const uint32_t offset = get32(p + 12);
    const uint32_t max = get32(p + 16);
    auto found = search(text);
    std::vector<uint8_t> reply = v2 ? list_v2(found, offset, max, get32(p + 20)) : list_v1(found, offset, max);
    if (g_cfg.hang) Sleep(g_cfg.hang);  // does not pump messages: the sender sees a hung window
    UINT wait = g_cfg.delay;
    if (!g_cfg.late_text.empty() && contains_ci(text, g_cfg.late_text)) wait = g_cfg.late_ms;
    if (wait == 0) {
        send_reply(self, to, reply);
        return 1;
    }
    g_pending.push_back(Pending{to, std::move(reply)});
    SetTimer(self, g_pending.size(), wait, nullptr);
    return 1;
}

LRESULT CALLBACK peer_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
        case WM_COPYDATA:
            return lparam ? on_query(hwnd, reinterpret_cast<const COPYDATASTRUCT*>(lparam)) : 0;
        case WM_TIMER:
            KillTimer(hwnd, wparam);
            if (wparam == kLifetimeTimer) {
                PostQuitMessage(0);
            } else if (wparam >= 1 && wparam <= g_pending.size()) {
                Pending& pending = g_pending[wparam - 1];
                std::vector<uint8_t> bytes;
                bytes.swap(pending.bytes);
                send_reply(hwnd, pending.to, bytes);
            }
            return 0;
        case WM_CLOSE:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wparam, lparam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::wstring listing;
    for (int i = 1; argv && i < argc; ++i) {
        std::wstring a = argv[i];
        bool more = i + 1 < argc;
        if (a == L"--listing" && more) listing = argv[++i];
        else if (a == L"--log" && more) g_cfg.log = argv[++i];
        else if (a == L"--delay" && more) g_cfg.delay = UINT(_wtoi(argv[++i]));
        else if (a == L"--hang" && more) g_cfg.hang = DWORD(_wtoi(argv[++i]));
        else if (a == L"--lifetime" && more) g_cfg.lifetime = UINT(_wtoi(argv[++i]));
        else if (a == L"--late" && more) {
            std::wstring v = argv[++i];
            size_t colon = v.find_last_of(L':');
            if (colon == std::wstring::npos) return 2;
            g_cfg.late_text = v.substr(0, colon);
            g_cfg.late_ms = UINT(_wtoi(v.c_str() + colon + 1));
        } else if (a == L"--never") g_cfg.never = true;
        else if (a == L"--refuse") g_cfg.refuse = true;
        else if (a == L"--v1-only") g_cfg.v1_only = true;
        else return 2;
    }
    if (argv) LocalFree(argv);
    if (!listing.empty() && !load_listing(listing)) return 3;

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = peer_proc;
    wc.hInstance = instance;
    wc.lpszClassName = L"EVERYTHING_TASKBAR_NOTIFICATION";
    if (!RegisterClassExW(&wc)) return 4;
    // Top-level and never shown, as Everything's own notification window.
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 5;
    SetTimer(hwnd, kLifetimeTimer, g_cfg.lifetime, nullptr);
    log_line(L"ready");
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    DestroyWindow(hwnd);
    return 0;
}
