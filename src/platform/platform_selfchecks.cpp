// Smoke checks of the OS boundary on the machine the launcher runs on.
#include <string>

#include "core/selftest.h"
#include "platform/paths.h"
#include "platform/platform.h"

SELFTEST_CHECK(check_data_folder_round_trip, "the data folder can be written and read back") {
    auto dir = os_env().get(u"KESTRUNE_DATA_DIR");
    if (!dir || dir->empty()) return false;
    std::u16string tmp = path_join(*dir, u"selftest.tmp");
    std::u16string final_path = path_join(*dir, u"selftest.dat");
    const std::string first = "first\r\n";
    const std::string second = "second \xC2\xB7\r\n";
    if (os_files().write(final_path, first) != 0) return false;
    if (os_files().write(tmp, second) != 0) return false;
    if (os_files().replace(tmp, final_path) != 0) return false;
    std::string back;
    bool ok = os_files().read(final_path, back, 1 << 20) == 0 && back == second &&
              os_files().attributes(tmp) == win::kInvalidAttributes;
    os_files().remove(final_path);
    return ok;
}

SELFTEST_CHECK(check_known_folders, "the user's folders are known") {
    std::u16string roaming = os_files().known_folder(KnownFolder::RoamingAppData);
    std::u16string programs = os_files().known_folder(KnownFolder::Programs);
    uint32_t a = os_files().attributes(roaming);
    return !roaming.empty() && !programs.empty() && a != win::kInvalidAttributes && (a & win::kAttrDirectory) &&
           !os_files().module_path().empty();
}

SELFTEST_CHECK(check_environment, "environment variables round-trip") {
    if (!os_env().set(u"KESTRUNE_SELFTEST_VAR", u"x y")) return false;
    auto v = os_env().get(u"KESTRUNE_SELFTEST_VAR");
    std::u16string expanded = os_env().expand(u"[%KESTRUNE_SELFTEST_VAR%]");
    os_env().set(u"KESTRUNE_SELFTEST_VAR", std::nullopt);
    return v && *v == u"x y" && expanded == u"[x y]" && !os_env().get(u"KESTRUNE_SELFTEST_VAR");
}
