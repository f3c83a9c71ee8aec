// gen-uninstall-bench [subkeys]: on the real system, the median time of "gen 128 symbols" with
// BCryptGenRandom, and of a scan of the Uninstall keys after adding that many fixture programs
// (500 by default) under HKEY_CURRENT_USER. The fixtures are removed afterwards.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/row.h"
#include "sources/password.h"
#include "sources/uninstall.h"
#include "tools/cli/cli.h"

namespace {

constexpr wchar_t kLocation[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr wchar_t kPrefix[] = L"KestruneBench";

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

void set_text(HKEY key, const wchar_t* name, const std::wstring& text) {
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), DWORD((text.size() + 1) * 2));
}

}  // namespace

CLI_COMMAND(cli_gen_uninstall_bench, "gen-uninstall-bench", "gen-uninstall-bench [subkeys]") {
    int subkeys = args.empty() ? 500 : std::atoi(args[0].c_str());
    if (subkeys < 1) subkeys = 1;
    using clock = std::chrono::steady_clock;

    std::vector<double> gen;
    for (int i = 0; i < 2000; ++i) {
        RowList rows;
        rowlist_init(&rows, nullptr);
        auto t0 = clock::now();
        password_rows(u"128 symbols", &rows);
        gen.push_back(std::chrono::duration<double, std::micro>(clock::now() - t0).count());
        rowlist_free(&rows);
    }

    for (int i = 0; i < subkeys; ++i) {
        std::wstring path = std::wstring(kLocation) + L"\\" + kPrefix + std::to_wstring(i);
        HKEY key;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr)) continue;
        set_text(key, L"DisplayName", L"Bench Program " + std::to_wstring(i));
        set_text(key, L"UninstallString", L"C:\\Program Files\\Bench " + std::to_wstring(i) + L"\\unins000.exe");
        set_text(key, L"Publisher", L"Kestrune Bench");
        set_text(key, L"DisplayVersion", L"1.0." + std::to_wstring(i));
        set_text(key, L"DisplayIcon", L"C:\\Program Files\\Bench " + std::to_wstring(i) + L"\\app.exe,0");
        DWORD kb = 1000 + i;
        RegSetValueExW(key, L"EstimatedSize", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&kb), 4);
        RegCloseKey(key);
    }
    std::vector<double> scan;
    for (int i = 0; i < 7; ++i) {
        auto t0 = clock::now();
        uninstall_scan();
        scan.push_back(std::chrono::duration<double, std::milli>(clock::now() - t0).count());
    }
    int entries = uninstall_cached_count();
    for (int i = 0; i < subkeys; ++i)
        RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kLocation) + L"\\" + kPrefix + std::to_wstring(i)).c_str());
    uninstall_invalidate();

    char line[256];
    std::snprintf(line, sizeof line, "gen 128 symbols: %.1f us (median of %zu)\n", median(gen), gen.size());
    cli_out(line);
    std::snprintf(line, sizeof line, "uninstall scan: %.1f ms for %d entries (%d fixture subkeys, median of %zu)\n",
                  median(scan), entries, subkeys, scan.size());
    cli_out(line);
    return 0;
}
