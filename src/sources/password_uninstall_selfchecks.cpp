// Smoke checks of the password and uninstall tools on the machine the launcher runs on.
#include <string>

#include "core/row.h"
#include "core/selftest.h"
#include "core/text.h"
#include "sources/password.h"
#include "sources/uninstall.h"

SELFTEST_CHECK(check_password_row, "the system generator makes a 24-character password") {
    RowList rows;
    rowlist_init(&rows, nullptr);
    password_rows(u"24 symbols", &rows);
    bool ok = rows.count == 1 && rows.items[0].kind == kKindCopyText && text_len(rows.items[0].title) == 27;
    rowlist_free(&rows);
    return ok;
}

SELFTEST_CHECK(check_uninstall_rows, "the Uninstall keys are read into rows") {
    RowList rows;
    rowlist_init(&rows, nullptr);
    uninstall_rows(u"", &rows);
    bool ok = true;
    for (int32_t i = 0; i < rows.count; ++i)
        ok = ok && rows.items[i].kind == kKindUninstall && text_len(rows.items[i].title) > 0 && text_len(rows.items[i].target) > 0;
    rowlist_free(&rows);
    std::u16string exe, args;
    return ok && uninstall_split(u"MsiExec.exe /X{12345678-1234-1234-1234-123456789ABC}", exe, args) &&
           exe == u"MsiExec.exe" && args == u"/X{12345678-1234-1234-1234-123456789ABC}";
}
