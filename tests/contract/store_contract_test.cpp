// The stores against each file-system backend: their files land in the data directory, saves
// replace files in one step, and legacy files are moved aside. Under wine this is the real Win32.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "contract/backends.h"
#include "core/row.h"
#include "platform/fault/fault_files.h"
#include "platform/paths.h"
#include "store/atomic_save.h"
#include "store/data_dir.h"
#include "store/history.h"
#include "store/menu_usage.h"
#include "store/options.h"
#include "store/pins.h"
#include "store/verb_cache.h"
#include "support/u16.h"

namespace {

void reset_stores() {
    history_unload();
    options_reset();
    menu_usage_reset();
    verb_cache_reset();
}

class StoreContract : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (!contract_backend_open(GetParam(), backend_)) GTEST_SKIP() << GetParam() << " is not available here";
        scope_ = std::make_unique<PlatformScope>(backend_.platform);
        saved_env_ = os_env().get(u"KESTRUNE_DATA_DIR");
        dir_ = path_join(backend_.sandbox, u"data");
        os_env().set(u"KESTRUNE_DATA_DIR", dir_);
        reset_stores();
    }
    void TearDown() override {
        if (!scope_) return;
        reset_stores();
        if (saved_env_) os_env().set(u"KESTRUNE_DATA_DIR", *saved_env_);
        else os_env().set(u"KESTRUNE_DATA_DIR", std::nullopt);
        scope_.reset();
        contract_backend_close(backend_);
    }
    std::u16string at(std::u16string_view name) const { return path_join(dir_, name); }
    std::string read(std::u16string_view name) {
        std::string out;
        if (os_files().read(at(name), out, 1 << 20) != 0) return "<missing>";
        return out;
    }
    std::vector<std::string> names() {
        std::vector<FileEntry> entries;
        os_files().list(dir_, entries);
        std::vector<std::string> out;
        for (const auto& e : entries) out.push_back(u8(e.name));
        std::sort(out.begin(), out.end());
        return out;
    }

    ContractBackend backend_;
    std::unique_ptr<PlatformScope> scope_;
    std::optional<std::u16string> saved_env_;
    std::u16string dir_;
};

TEST_P(StoreContract, EveryFileLandsInTheDataDirectory) {
    Row r{};
    r.title = const_cast<char16_t*>(u"Notepad");
    r.target = const_cast<char16_t*>(u"C:\\Windows\\notepad.exe");
    r.kind = 1;
    options_toggle_stay_open();
    history_record(&r);
    ASSERT_EQ(pin_toggle(nullptr, u"ms-settings:display", u"Display", u"System", 2), 1);
    menu_usage_record(9, u"Copy path", nullptr);
    ShellVerb v{};
    std::copy_n(u"open", 5, v.verb);
    std::copy_n(u"Open", 5, v.label);
    verb_cache_store(u"dir", &v, 1);
    ASSERT_TRUE(verb_cache_save());
    EXPECT_EQ(names(), (std::vector<std::string>{"history.dat", "menu_usage.dat", "quick_access.dat", "settings.dat",
                                                 "shell_verbs.dat"}));
    EXPECT_NE(read(u"settings.dat").find("\r\nstay_open=1\r\n"), std::string::npos);
    EXPECT_EQ(read(u"menu_usage.dat"), "\xEF\xBB\xBF" "1\tcopy:Copy path\r\n");

    reset_stores();
    options_load();
    EXPECT_TRUE(options_stay_open());
    EXPECT_TRUE(pin_is_pinned(nullptr, u"ms-settings:display", 2));
    EXPECT_EQ(menu_usage_count(9, u"Copy path", nullptr), 1);
    EXPECT_EQ(verb_cache_find(u"dir"), 0);
    std::lock_guard<std::mutex> hold(history_lock());
    history_ensure_loaded_locked();
    ASSERT_EQ(history_store().count, 1);
    EXPECT_EQ(u8(history_store().entries[0].key), "C:\\Windows\\notepad.exe");
}

TEST_P(StoreContract, AFailedSaveKeepsThePreviousFile) {
    ASSERT_TRUE(options_save());
    const std::string before = read(u"settings.dat");
    FaultFiles fault(backend_.platform.files);
    Platform p = backend_.platform;
    p.files = &fault;
    PlatformScope s(p);
    options_set_ui_rows(12);
    for (uint64_t cut : {0ull, 1ull, 3ull, 40ull, 150ull}) {
        fault.write_stops_after = cut;
        EXPECT_FALSE(options_save());
        EXPECT_EQ(read(u"settings.dat"), before);
        EXPECT_EQ(names(), (std::vector<std::string>{"settings.dat"}));
    }
    fault.write_stops_after.reset();
    fault.replace_fails = true;
    EXPECT_FALSE(options_save());
    EXPECT_EQ(read(u"settings.dat"), before);
    EXPECT_EQ(names(), (std::vector<std::string>{"settings.dat"}));
    fault.replace_fails = false;
    EXPECT_TRUE(options_save());
    EXPECT_NE(read(u"settings.dat").find("\r\nui_rows=12\r\n"), std::string::npos);
}

TEST_P(StoreContract, LegacyJsonIsImportedOnceAndMovedAside) {
    char16_t dir[kDataPathCapacity];
    ASSERT_EQ(data_dir_path(dir, kDataPathCapacity), 0);  // creates the folder
    ASSERT_EQ(os_files().write(at(u"quick_access.json"), "[{\"param\":\"ms-settings:a\",\"title\":\"A\",\"act\":2}]"), 0u);
    ASSERT_EQ(os_files().write(at(u"settings.json"), "{\"stay_open\": true}"), 0u);
    EXPECT_TRUE(pin_is_pinned(nullptr, u"ms-settings:a", 2));
    options_load();
    EXPECT_TRUE(options_stay_open());
    EXPECT_EQ(names(), (std::vector<std::string>{"quick_access.dat", "quick_access.json.bak", "settings.dat",
                                                 "settings.json.bak"}));
}

TEST_P(StoreContract, WithoutTheVariableTheRoamingFolderIsUsed) {
    os_env().set(u"KESTRUNE_DATA_DIR", std::nullopt);
    char16_t dir[kDataPathCapacity];
    ASSERT_EQ(data_dir_path(dir, kDataPathCapacity), 0);
    std::u16string roaming = os_files().known_folder(KnownFolder::RoamingAppData);
    ASSERT_FALSE(roaming.empty());
    EXPECT_EQ(u8(dir), u8(path_join(roaming, u"Kestrune")));
    EXPECT_TRUE(os_files().attributes(dir) & win::kAttrDirectory);
}

INSTANTIATE_TEST_SUITE_P(Backends, StoreContract, ::testing::Values("fake", "win32"));

}  // namespace
