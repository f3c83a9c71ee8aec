// An in-memory registry: keys and value names are case-insensitive, subkeys are listed in
// alphabetical order as Windows lists them. Tests seed it with add_key / set_string / set_dword.
#pragma once
#include <cstdint>
#include <map>
#include <string>

#include "platform/registry.h"

class FakeRegistry : public Registry {
public:
    uint32_t read_string(RegistryRoot root, std::u16string_view key, std::u16string_view value, std::u16string& out,
                         uint32_t* kind = nullptr, RegistryView view = RegistryView::Native) override;
    uint32_t read_dword(RegistryRoot root, std::u16string_view key, std::u16string_view value, uint32_t& out,
                        RegistryView view = RegistryView::Native) override;
    uint32_t list_subkeys(RegistryRoot root, std::u16string_view key, std::vector<std::u16string>& out,
                          RegistryView view = RegistryView::Native) override;
    uint32_t read_values(RegistryRoot root, std::u16string_view key, RegistryRead* reads, size_t count,
                         RegistryView view = RegistryView::Native) override;

    // Seeding helpers: missing parent keys are created. Bits32 keys live apart from the others,
    // as the WOW64 half of the registry does.
    void add_key(RegistryRoot root, std::u16string_view key, RegistryView view = RegistryView::Native);
    void set_string(RegistryRoot root, std::u16string_view key, std::u16string_view value, std::u16string_view data,
                    uint32_t kind = win::kRegSz, RegistryView view = RegistryView::Native);
    void set_dword(RegistryRoot root, std::u16string_view key, std::u16string_view value, uint32_t data,
                   RegistryView view = RegistryView::Native);
    // A value of any other type (REG_BINARY, REG_MULTI_SZ, ...), stored as raw bytes.
    void set_raw(RegistryRoot root, std::u16string_view key, std::u16string_view value, uint32_t kind,
                 std::string_view bytes, RegistryView view = RegistryView::Native);
    void remove_value(RegistryRoot root, std::u16string_view key, std::u16string_view value,
                      RegistryView view = RegistryView::Native);
    // Removes the key and everything below it.
    void remove_key(RegistryRoot root, std::u16string_view key, RegistryView view = RegistryView::Native);

private:
    struct Value {
        uint32_t kind = win::kRegSz;
        std::u16string text;
        uint32_t dword = 0;
        std::string raw;
    };
    struct Key {
        std::u16string name;                   // last path element as created
        std::map<std::u16string, Value> values;  // by upper-cased value name
    };
    static bool make_path(RegistryRoot root, std::u16string_view key, RegistryView view, std::u16string& out);
    Key* find(RegistryRoot root, std::u16string_view key, RegistryView view);
    Key& ensure(RegistryRoot root, std::u16string_view key, RegistryView view);
    const Value* find_value(RegistryRoot root, std::u16string_view key, std::u16string_view value,
                            RegistryView view, uint32_t& err);

    std::map<std::u16string, Key> keys_;  // by "<root>\<upper-cased path>"
};
