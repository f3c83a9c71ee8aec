#include <gtest/gtest.h>

#include "actions/actions.h"
#include "actions/context_menu.h"
#include "app/wiring.h"
#include "core/row.h"
#include "platform/fake/fake_world.h"
#include "query/pipeline_sources.h"
#include "sources/app_index.h"
#include "support/u16.h"
#include "ui/main_view.h"

namespace {

// The launcher's start-up wiring: what a user reaches after start-up, not what a test put there.
TEST(Wiring, JoinsTheLandedModulesAsTheLauncherDoes) {
    FakeWorld w;
    PlatformScope scope{w.platform()};
    PipelineSources saved_sources = pipeline_sources_install(PipelineSources{});
    ActionServices saved_services = action_services();
    action_services() = ActionServices{};

    wiring_join_all();
    EXPECT_NE(pipeline_sources().search_apps, nullptr);
    EXPECT_NE(pipeline_sources().list_all_apps, nullptr);

    // Reload apps (kind 22) runs once the wiring is in: it was "not done" before.
    w.files.add_file(w.files.known_folder(KnownFolder::Programs) + u"\\Probe.lnk", "");
    Row reload{};
    reload.kind = kKindReloadApps;
    EXPECT_TRUE(action_execute(&reload));
    EXPECT_EQ(app_index_counts().shortcuts, 1);
    app_index_clear();

    action_services() = saved_services;
    pipeline_sources_install(saved_sources);
}

// Tab, a typed folder, Enter on a folder row and the chips reach the menu and scope modules.
TEST(Wiring, JoinsTheMenuAndTheScopeIntoTheView) {
    FakeWorld w;
    PlatformScope scope{w.platform()};
    const ViewHooks saved_hooks = view_hooks();
    const MenuServices saved_menu = menu_services();
    view_hooks() = ViewHooks{};
    menu_services() = MenuServices{};

    wiring_join_all();
    const ViewHooks& h = view_hooks();
    EXPECT_NE(h.open_menu, nullptr);
    EXPECT_NE(h.menu_rebuild, nullptr);
    EXPECT_NE(h.scope_check, nullptr);
    EXPECT_NE(h.scope_up, nullptr);
    EXPECT_NE(h.folder_dive, nullptr);
    EXPECT_NE(h.box_press, nullptr);
    EXPECT_NE(menu_services().terminal_default_entry, nullptr);

    view_hooks() = saved_hooks;
    menu_services() = saved_menu;
}

}  // namespace
