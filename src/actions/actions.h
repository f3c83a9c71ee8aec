// The single executor of every RowKind: what Enter on a row or a context-menu entry does.
#pragma once
#include <cstdint>
#include <string>

struct Row;

// What a pin toggle (kind 8) passes to the pin store: the pinned item's path or its parameter
// (a settings page), its title, its subtitle and the kind it runs as.
struct PinToggleArgs {
    std::u16string path;
    std::u16string param;
    std::u16string title;
    std::u16string sub;
    int32_t kind = 0;
};

// The operations of modules built apart from the store (processes, apps, built-in commands,
// uninstaller, terminal, shell verbs) that some kinds run. Each module fills its entries when it
// starts; a kind whose entry is still empty reports not done and does nothing.
struct ActionServices {
    bool (*kill_process)(uint32_t pid, const char16_t* name) = nullptr;
    int32_t (*kill_all_named)(const char16_t* name) = nullptr;  // processes ended
    // The subtitle of the built-in command row of a kind, or null when there is none.
    const char16_t* (*command_subtitle)(int32_t kind) = nullptr;
    void (*app_index_reload)() = nullptr;
    bool (*uninstall_split)(const char16_t* command, std::u16string& executable, std::u16string& arguments) = nullptr;
    void (*uninstall_invalidate)() = nullptr;
    bool (*terminal_open)(const char16_t* shell, const char16_t* folder) = nullptr;
    bool (*shell_verb_invoke)(const char16_t* target, const char16_t* verb) = nullptr;  // owned by the launcher window
};

ActionServices& action_services();

// Runs the row's action; true when it is done (the activation path then records and hides).
// A null row is not done.
bool action_execute(const Row* row);

// The pin store's arguments for a kind 8 entry, chosen by its sub_kind.
PinToggleArgs pin_toggle_args(const Row& row);
