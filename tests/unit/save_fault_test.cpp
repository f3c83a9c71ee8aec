// A save that fails at any point leaves the previous file whole and no temporary file behind.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/row.h"
#include "store/atomic_save.h"
#include "store/pins.h"
#include "unit/store_fixture.h"

namespace {

using SaveFaultTest = StoreTest;

// Runs save() with the write cut after 0, 1, 2, ... bytes until a write goes through; every failed
// attempt must leave `name` exactly as before. Returns the number of failed attempts.
size_t cut_at_every_byte(SaveFaultTest* t, FaultFiles& fault, std::u16string_view name, const std::function<void()>& save) {
    const std::string before = *t->file(name);
    size_t failures = 0;
    for (uint64_t cut = 0; cut < 100000; ++cut) {
        fault.write_stops_after = cut;
        save();
        std::string now = *t->file(name);
        if (now != before) break;  // the whole new content fitted: this save succeeded
        EXPECT_FALSE(t->exists(std::u16string(name) + u".tmp")) << "cut after " << cut;
        ++failures;
    }
    fault.write_stops_after.reset();
    return failures;
}

TEST_F(SaveFaultTest, SettingsSurviveAWriteCutAtEveryByte) {
    ASSERT_TRUE(options_save());
    const std::string first = *file(u"settings.dat");
    options_set_ui_rows(12);
    FaultFiles fault(&world.files);
    auto s = faulty(fault);
    size_t failures = cut_at_every_byte(this, fault, u"settings.dat", [] { options_save(); });
    // Every byte count short of the new file's size failed, and then the save went through whole.
    std::string after = *file(u"settings.dat");
    EXPECT_EQ(failures, after.size());
    EXPECT_NE(after.find("ui_rows=12\r\n"), std::string::npos);
    EXPECT_EQ(after.size(), first.size() + 1);
}

TEST_F(SaveFaultTest, MenuUsageSurvivesAWriteCutAtEveryByte) {
    menu_usage_record(5, nullptr, nullptr);
    const std::string first = *file(u"menu_usage.dat");
    FaultFiles fault(&world.files);
    auto s = faulty(fault);
    size_t failures = cut_at_every_byte(this, fault, u"menu_usage.dat", [] { menu_usage_record(9, u"Copy path", nullptr); });
    EXPECT_GT(failures, first.size());
}

// Each store saves through the same helper: a failing close or replace keeps its previous file.
TEST_F(SaveFaultTest, EveryStoreKeepsItsFileWhenCloseOrReplaceFails) {
    Row launch{};
    launch.title = const_cast<char16_t*>(u"Notepad");
    launch.target = const_cast<char16_t*>(u"C:\\Windows\\notepad.exe");
    launch.kind = 1;
    ShellVerb verb{};
    std::copy_n(u"edit", 5, verb.verb);
    std::copy_n(u"Edit", 5, verb.label);
    struct Store {
        const char16_t* file;
        std::function<void()> change;  // a different content every time
    };
    int n = 0;
    const Store stores[] = {
        {u"settings.dat",
         [&] {
             options_set_ui_rows(3 + ++n % 10);
             options_toggle_stay_open();
         }},
        {u"history.dat", [&] { history_record(&launch); }},
        {u"quick_access.dat",
         [&] {
             std::u16string uri = cat16(u"ms-settings:page", u16(std::to_string(++n)));
             pin_toggle(nullptr, uri.c_str(), u"Page", nullptr, 2);
         }},
        {u"menu_usage.dat", [] { menu_usage_record(8, nullptr, nullptr); }},
        {u"shell_verbs.dat",
         [&] {
             verb.label[0] = static_cast<char16_t>(u'A' + ++n % 26);
             verb_cache_store(u"file:.txt", &verb, 1);
             verb_cache_save();
         }},
    };
    for (const Store& store : stores) {
        store.change();  // the previous file
        const std::string before = *file(store.file);
        for (int fault_kind = 0; fault_kind < 3; ++fault_kind) {
            FaultFiles fault(&world.files);
            fault.write_close_fails = fault_kind == 0;
            fault.replace_fails = fault_kind == 1;
            if (fault_kind == 2) {  // the clean-up fails too: the stale temporary file is harmless
                fault.replace_fails = true;
                fault.remove_fails = true;
            }
            {
                auto s = faulty(fault);
                store.change();
            }
            EXPECT_EQ(*file(store.file), before) << u8(store.file) << " fault " << fault_kind;
            EXPECT_EQ(exists(std::u16string(store.file) + u".tmp"), fault_kind == 2) << u8(store.file);
        }
        store.change();
        EXPECT_NE(*file(store.file), before) << u8(store.file) << " saves again once the faults are gone";
        EXPECT_FALSE(exists(std::u16string(store.file) + u".tmp"));
    }
}

TEST_F(SaveFaultTest, SaveReportsTheFailingStep) {
    put(u"a.dat", "old");
    FaultFiles fault(&world.files);
    auto s = faulty(fault);
    fault.write_close_fails = true;
    EXPECT_EQ(atomic_save(at(u"a.dat"), "new"), win::kErrWriteFault);
    fault.write_close_fails = false;
    fault.replace_fails = true;
    EXPECT_EQ(atomic_save(at(u"a.dat"), "new"), win::kErrAccessDenied);
    fault.replace_fails = false;
    EXPECT_EQ(atomic_save(at(u"a.dat"), "new"), 0u);
    EXPECT_EQ(*file(u"a.dat"), "new");
    EXPECT_EQ(atomic_save(at(u"missing\\a.dat"), "x"), win::kErrPathNotFound);
}

}  // namespace
