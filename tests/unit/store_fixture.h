// A fresh fake machine with the data directory at C:\KData and every store emptied, for the
// persistence tests.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/fake/fake_world.h"
#include "platform/fault/fault_files.h"
#include "store/history.h"
#include "store/menu_usage.h"
#include "store/options.h"
#include "store/verb_cache.h"
#include "support/u16.h"

// Concatenation by appending (gcc 12 -O3 misreports operator+ on temporaries with -Wrestrict).
template <typename S, typename... A>
S cat_as(const A&... parts) {
    S s;
    ((s += parts), ...);
    return s;
}
template <typename... A>
std::string cat(const A&... parts) { return cat_as<std::string>(parts...); }
template <typename... A>
std::u16string cat16(const A&... parts) { return cat_as<std::u16string>(parts...); }

class StoreTest : public ::testing::Test {
public:
    static constexpr const char16_t* kDir = u"C:\\KData";

    void SetUp() override {
        world.env.set(u"KESTRUNE_DATA_DIR", kDir);
        world.files.add_folder(kDir);
        scope = std::make_unique<PlatformScope>(world.platform());
        reset_stores();
    }
    void TearDown() override {
        reset_stores();
        scope.reset();
    }
    static void reset_stores() {
        history_unload();
        options_reset();
        menu_usage_reset();
        verb_cache_reset();
    }
    static std::u16string at(std::u16string_view name) { return cat16(kDir, u"\\", name); }
    std::optional<std::string> file(std::u16string_view name) { return world.files.contents(at(name)); }
    void put(std::u16string_view name, std::string_view bytes) { world.files.add_file(at(name), bytes); }
    bool exists(std::u16string_view name) { return world.files.attributes(at(name)) != win::kInvalidAttributes; }
    // Routes file operations through a fault injector until the scope ends.
    std::unique_ptr<PlatformScope> faulty(FaultFiles& fault) {
        Platform p = world.platform();
        p.files = &fault;
        return std::make_unique<PlatformScope>(p);
    }

    FakeWorld world;
    std::unique_ptr<PlatformScope> scope;
};
