#include "platform/fake/fake_registry.h"

namespace {

std::u16string upper(std::u16string_view s) {
    std::u16string k(s);
    for (auto& c : k) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    }
    return k;
}

const char16_t* root_tag(RegistryRoot root, RegistryView view) {
    bool wow = view == RegistryView::Bits32;
    switch (root) {
        case RegistryRoot::LocalMachine: return wow ? u"HKLM32" : u"HKLM";
        case RegistryRoot::CurrentUser: return wow ? u"HKCU32" : u"HKCU";
        default: return wow ? u"HKCR32" : u"HKCR";
    }
}

}  // namespace

// Windows rejects empty path elements ("a\\b") and a leading separator; a trailing one is allowed.
bool FakeRegistry::make_path(RegistryRoot root, std::u16string_view key, RegistryView view, std::u16string& out) {
    if (key.find(u'\0') != std::u16string_view::npos) return false;
    while (!key.empty() && key.back() == u'\\') key.remove_suffix(1);
    if (!key.empty() && key.front() == u'\\') return false;
    if (key.find(u"\\\\") != std::u16string_view::npos) return false;
    out = root_tag(root, view);
    if (!key.empty()) {
        out += u'\\';
        out += upper(key);
    }
    return true;
}

FakeRegistry::Key* FakeRegistry::find(RegistryRoot root, std::u16string_view key, RegistryView view) {
    std::u16string path;
    if (!make_path(root, key, view, path)) return nullptr;
    auto it = keys_.find(path);
    if (it != keys_.end()) return &it->second;
    // A root always exists, even with nothing stored below it; reading never changes the map, so
    // readers on several threads are safe.
    static Key empty_root;
    if (path.find(u'\\') == std::u16string::npos) return &empty_root;
    return nullptr;
}

FakeRegistry::Key& FakeRegistry::ensure(RegistryRoot root, std::u16string_view key, RegistryView view) {
    std::u16string path;
    if (!make_path(root, key, view, path)) path = root_tag(root, view);
    while (!key.empty() && key.back() == u'\\') key.remove_suffix(1);
    // Create every ancestor so listing a parent shows the child.
    size_t pos = path.find(u'\\');
    size_t key_pos = 0;
    while (pos != std::u16string::npos) {
        size_t next = path.find(u'\\', pos + 1);
        std::u16string prefix = path.substr(0, next);
        size_t key_next = key.find(u'\\', key_pos);
        Key& k = keys_[prefix];
        if (k.name.empty()) k.name = std::u16string(key.substr(key_pos, key_next == std::u16string_view::npos ? key.npos : key_next - key_pos));
        key_pos = key_next == std::u16string_view::npos ? key.size() : key_next + 1;
        pos = next;
    }
    return keys_[path];
}

const FakeRegistry::Value* FakeRegistry::find_value(RegistryRoot root, std::u16string_view key, std::u16string_view value,
                                                    RegistryView view, uint32_t& err) {
    Key* k = find(root, key, view);
    if (!k) {
        err = win::kErrFileNotFound;
        return nullptr;
    }
    auto it = k->values.find(upper(value));
    if (it == k->values.end()) {
        err = win::kErrFileNotFound;
        return nullptr;
    }
    err = win::kOk;
    return &it->second;
}

uint32_t FakeRegistry::read_string(RegistryRoot root, std::u16string_view key, std::u16string_view value,
                                   std::u16string& out, uint32_t* kind, RegistryView view) {
    out.clear();
    uint32_t err;
    const Value* v = find_value(root, key, value, view, err);
    if (!v) return err;
    if (v->kind != win::kRegSz && v->kind != win::kRegExpandSz) return win::kErrUnsupportedType;
    // Stored strings may hold an embedded terminator; what a reader gets ends at the first one.
    size_t end = v->text.find(u'\0');
    out = v->text.substr(0, end);
    if (kind) *kind = v->kind;
    return win::kOk;
}

uint32_t FakeRegistry::read_dword(RegistryRoot root, std::u16string_view key, std::u16string_view value, uint32_t& out,
                                  RegistryView view) {
    out = 0;
    uint32_t err;
    const Value* v = find_value(root, key, value, view, err);
    if (!v) return err;
    if (v->kind != win::kRegDword) return win::kErrUnsupportedType;
    out = v->dword;
    return win::kOk;
}

uint32_t FakeRegistry::list_subkeys(RegistryRoot root, std::u16string_view key, std::vector<std::u16string>& out,
                                    RegistryView view) {
    out.clear();
    std::u16string path;
    if (!make_path(root, key, view, path) || !find(root, key, view)) return win::kErrFileNotFound;
    std::u16string prefix = path + u'\\';
    for (auto it = keys_.lower_bound(prefix); it != keys_.end(); ++it) {
        if (it->first.compare(0, prefix.size(), prefix) != 0) break;
        if (it->first.find(u'\\', prefix.size()) != std::u16string::npos) continue;
        out.push_back(it->second.name);
    }
    return win::kOk;
}

uint32_t FakeRegistry::read_values(RegistryRoot root, std::u16string_view key, RegistryRead* reads, size_t count,
                                   RegistryView view) {
    const bool open = find(root, key, view) != nullptr;
    for (size_t i = 0; i < count; ++i) {
        RegistryRead& r = reads[i];
        r.kind = 0;
        r.value = 0;
        r.text.clear();
        if (!open) r.err = win::kErrFileNotFound;
        else if (r.dword) r.err = read_dword(root, key, r.name, r.value, view);
        else r.err = read_string(root, key, r.name, r.text, &r.kind, view);
    }
    return open ? win::kOk : win::kErrFileNotFound;
}

void FakeRegistry::add_key(RegistryRoot root, std::u16string_view key, RegistryView view) { ensure(root, key, view); }

void FakeRegistry::set_string(RegistryRoot root, std::u16string_view key, std::u16string_view value,
                              std::u16string_view data, uint32_t kind, RegistryView view) {
    Value& v = ensure(root, key, view).values[upper(value)];
    v = Value{};
    v.kind = kind == win::kRegExpandSz ? win::kRegExpandSz : win::kRegSz;
    v.text = std::u16string(data);
}

void FakeRegistry::set_dword(RegistryRoot root, std::u16string_view key, std::u16string_view value, uint32_t data,
                             RegistryView view) {
    Value& v = ensure(root, key, view).values[upper(value)];
    v = Value{};
    v.kind = win::kRegDword;
    v.dword = data;
}

void FakeRegistry::set_raw(RegistryRoot root, std::u16string_view key, std::u16string_view value, uint32_t kind,
                           std::string_view bytes, RegistryView view) {
    Value& v = ensure(root, key, view).values[upper(value)];
    v = Value{};
    v.kind = kind;
    v.raw = std::string(bytes);
}

void FakeRegistry::remove_value(RegistryRoot root, std::u16string_view key, std::u16string_view value,
                                RegistryView view) {
    if (Key* k = find(root, key, view)) k->values.erase(upper(value));
}

void FakeRegistry::remove_key(RegistryRoot root, std::u16string_view key, RegistryView view) {
    std::u16string path;
    if (!make_path(root, key, view, path) || path.find(u'\\') == std::u16string::npos) return;
    keys_.erase(path);
    std::u16string prefix = path + u'\\';
    auto it = keys_.lower_bound(prefix);
    while (it != keys_.end() && it->first.compare(0, prefix.size(), prefix) == 0) it = keys_.erase(it);
}
