#include "actions/actions.h"

#include "actions/shell_actions.h"
#include "core/row.h"
#include "core/text.h"
#include "platform/platform.h"
#include "store/data_dir.h"
#include "store/history.h"
#include "store/options.h"
#include "store/pins.h"

namespace {

bool has(const char16_t* s) { return s && s[0]; }

// shutdown.exe and control.exe run hidden; their windows would only flash.
struct CommandLine {
    int32_t kind;
    const char16_t* file;
    const char16_t* parameters;
    int show;
};

constexpr CommandLine kCommandLines[] = {
    {kKindShutdown, u"shutdown.exe", u"/s /t 0", win::kSwHide},
    {kKindRestart, u"shutdown.exe", u"/r /t 0", win::kSwHide},
    {kKindRestartAdvanced, u"shutdown.exe", u"/r /o /t 0", win::kSwHide},
    {kKindLogOff, u"shutdown.exe", u"/l", win::kSwHide},
    {kKindIndexingOptions, u"control.exe", u"/name Microsoft.IndexingOptions", win::kSwHide},
    {kKindOpenRecycleBin, u"explorer.exe", u"shell:RecycleBinFolder", win::kSwShowNormal},
};

bool uninstall(const Row& row) {
    ActionServices& s = action_services();
    if (!has(row.target) || !s.uninstall_split) return false;
    std::u16string exe, args;
    if (!s.uninstall_split(row.target, exe, args) || exe.empty()) return false;
    if (!shell_open(exe, args, win::kSwShowNormal)) return false;
    if (s.uninstall_invalidate) s.uninstall_invalidate();
    return true;
}

}  // namespace

ActionServices& action_services() {
    static ActionServices services;
    return services;
}

bool action_execute(const Row* row) {
    if (!row) return false;
    const Row& r = *row;
    ActionServices& s = action_services();
    for (const CommandLine& c : kCommandLines)
        if (c.kind == r.kind) return shell_open(c.file, c.parameters, c.show);

    switch (r.kind) {
    case kKindOpen:
        return has(r.target) && shell_open(r.target, {}, win::kSwShowNormal);
    case kKindSettings:
        return has(r.target) && run_command_string(r.target);
    case kKindProcess:
        if (r.number != 0) return s.kill_process && s.kill_process(uint32_t(r.number), r.argument);
        return has(r.argument) && s.kill_all_named && s.kill_all_named(r.argument) > 0;
    case kKindContainingFolder:
    case kKindInstallLocation:
        return has(r.target) && open_containing_folder(r.target);
    case kKindOpenWith:
        if (has(r.target)) {
            ShellExRequest q;
            q.verb = u"openas";
            q.file = r.target;
            q.mask = win::kSeeMaskInvokeIdList;
            q.owner = true;
            q.item_list = true;
            q.show = win::kSwShowNormal;
            os_shell().execute_ex(q);
        }
        return false;  // the Open With dialog stays in charge; the launcher stays as it is
    case kKindRunAsAdmin:
        return has(r.target) && os_shell().execute(u"runas", r.target, {}, {}, win::kSwShowNormal) > 32;
    case kKindPinToggle: {
        PinToggleArgs a = pin_toggle_args(r);
        auto arg = [](const std::u16string& t) { return t.empty() ? nullptr : t.c_str(); };
        return pin_toggle(arg(a.path), arg(a.param), arg(a.title), arg(a.sub), a.kind) == 1;
    }
    case kKindCopyText:
        return has(r.target) && clipboard_copy_text(r.target);
    case kKindCopyFile:
        return has(r.target) && clipboard_copy_file(r.target);
    case kKindLock:
        return os_shell().lock_workstation();
    case kKindSleep:
        return os_shell().set_suspend_state(false, true, false);
    case kKindHibernate:
        return os_shell().set_suspend_state(true, true, false);
    case kKindEmptyRecycleBin:
        return os_shell().empty_recycle_bin(0) >= 0;  // flags 0: the shell confirms and shows progress
    case kKindRestartLauncher: {
        std::u16string self = os_files().module_path();
        return !self.empty() && shell_open(self, {}, win::kSwShowNormal);
    }
    case kKindReloadApps:
        if (!s.app_index_reload) return false;
        s.app_index_reload();
        return true;
    case kKindOpenDataFolder: {
        char16_t dir[kDataPathCapacity];
        return data_dir_path(dir, kDataPathCapacity) == 0 && dir[0] && shell_open(dir, {}, win::kSwShowNormal);
    }
    case kKindForget:
        return (has(r.target) || has(r.argument)) && history_forget(r.target, r.argument);
    // The option toggles report not done so that the window stays open on the changed option.
    case kKindOptStayOpen:
        options_toggle_stay_open();
        return false;
    case kKindOptHideOnFocus:
        options_toggle_hide_on_focus();
        return false;
    case kKindOptNoCap:
        options_toggle_uncapped();
        return false;
    case kKindUninstall:
    case kKindQuietUninstall:
        return uninstall(r);
    case kKindOpenInTerminal:
        return has(r.target) && has(r.argument) && s.terminal_open && s.terminal_open(r.argument, r.target);
    case kKindShellVerb:
        return has(r.target) && has(r.argument) && s.shell_verb_invoke && s.shell_verb_invoke(r.target, r.argument);
    default:
        return false;  // handled by the views before anything runs
    }
}
