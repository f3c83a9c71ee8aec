// Smoke checks of the drive rows and the folder listing on the machine the launcher runs on.
#include "core/arena.h"
#include "core/row.h"
#include "core/selftest.h"
#include "core/text.h"
#include "platform/platform.h"
#include "sources/drives.h"

SELFTEST_CHECK(check_drives_system_drive, "drive list holds the system drive with its usage") {
    std::u16string windows = os_files().known_folder(KnownFolder::Windows);
    if (windows.size() < 3) return false;
    std::u16string root = windows.substr(0, 3);
    Arena* a = arena_create(16 * 1024);
    if (!a) return false;
    RowList rows;
    rowlist_init(&rows, a);
    list_drives(&rows);
    bool ok = false;
    for (int32_t i = 0; i < rows.count; ++i) {
        const Row& r = rows.items[i];
        if (text_compare_ci(text_view(r.path), root) == 0)
            ok = r.tag == 'D' && r.is_folder && r.has_usage && r.used_bytes <= r.total_bytes;
    }
    arena_destroy(a);
    return ok;
}

SELFTEST_CHECK(check_drives_children, "the Windows folder lists its children with full paths") {
    std::u16string windows = os_files().known_folder(KnownFolder::Windows);
    if (windows.empty()) return false;
    windows += u'\\';
    Arena* a = arena_create(64 * 1024);
    if (!a) return false;
    RowList rows;
    rowlist_init(&rows, a);
    list_children(windows.c_str(), &rows);
    bool ok = rows.count > 0;
    for (int32_t i = 0; ok && i < rows.count; ++i)
        ok = text_starts_with_ci(rows.items[i].path, windows.c_str()) && rows.items[i].tag == 'F';
    arena_destroy(a);
    return ok;
}
