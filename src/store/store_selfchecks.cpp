// Smoke checks of the data directory on the machine the launcher runs on.
#include <string>

#include "core/arena.h"
#include "core/selftest.h"
#include "platform/platform.h"
#include "store/data_dir.h"
#include "store/data_file.h"

SELFTEST_CHECK(check_data_dir_resolves, "the data directory resolves and exists") {
    char16_t dir[kDataPathCapacity];
    if (data_dir_path(dir, kDataPathCapacity) != 0) return false;
    uint32_t a = os_files().attributes(dir);
    return a != win::kInvalidAttributes && (a & win::kAttrDirectory);
}

SELFTEST_CHECK(check_data_file_round_trip, "a data file is saved whole and reads back") {
    char16_t path[kDataPathCapacity];
    if (data_file_path(u"selftest_store.dat", path, kDataPathCapacity) != 0) return false;
    bool ok = true;
    for (const char16_t* value : {u"first", u"C:\\second\nline \u00e9"}) {
        DataFileWriter w;
        datafile_begin(&w, path);
        datafile_section(&w, "t");
        datafile_put_str(&w, "v", value);
        if (!datafile_end(&w)) ok = false;
        Arena* a = arena_create(4096);
        std::u16string back;
        if (!a || !datafile_read(path, a, &back, [](void* ctx, const char16_t*, int32_t n, const KeyValue* p) {
                if (n == 1) *static_cast<std::u16string*>(ctx) = p[0].value;
            }))
            ok = false;
        if (a) arena_destroy(a);
        if (back != value) ok = false;
    }
    std::u16string tmp(path);
    tmp += u".tmp";
    if (os_files().attributes(tmp) != win::kInvalidAttributes) ok = false;
    os_files().remove(path);
    return ok;
}
