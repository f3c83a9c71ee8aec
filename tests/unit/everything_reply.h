// Replies as Everything sends them, built for the client's tests: a list for the code 18 query
// with the properties chosen by flags, and one for the code 2 query.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct EvItem {
    std::u16string name;
    std::u16string path;
    uint32_t flags = 0;  // 0x1: folder
    uint64_t size = 0;
    uint64_t modified = 0;
    uint32_t attributes = 0;
};

inline void ev_put32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
inline void ev_set32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}
inline void ev_put_text(std::vector<uint8_t>& b, const std::u16string& s) {
    for (char16_t c : s) {
        b.push_back(uint8_t(c));
        b.push_back(uint8_t(c >> 8));
    }
    b.push_back(0);
    b.push_back(0);
}

inline std::vector<uint8_t> ev_list_v2(const std::vector<EvItem>& items, uint32_t flags = 0x153) {
    std::vector<uint8_t> b;
    for (uint32_t v : {uint32_t(items.size()), uint32_t(items.size()), 0u, flags, 1u}) ev_put32(b, v);
    b.resize(20 + items.size() * 8);
    for (size_t i = 0; i < items.size(); ++i) {
        const EvItem& it = items[i];
        ev_set32(b, 20 + i * 8, it.flags);
        ev_set32(b, 20 + i * 8 + 4, uint32_t(b.size()));
        if (flags & 0x1) ev_put32(b, uint32_t(it.name.size())), ev_put_text(b, it.name);
        if (flags & 0x2) ev_put32(b, uint32_t(it.path.size())), ev_put_text(b, it.path);
        if (flags & 0x10) ev_put32(b, uint32_t(it.size)), ev_put32(b, uint32_t(it.size >> 32));
        if (flags & 0x40) ev_put32(b, uint32_t(it.modified)), ev_put32(b, uint32_t(it.modified >> 32));
        if (flags & 0x100) ev_put32(b, it.attributes);
    }
    return b;
}

inline std::vector<uint8_t> ev_list_v1(const std::vector<EvItem>& items) {
    std::vector<uint8_t> b;
    const uint32_t n = uint32_t(items.size());
    for (uint32_t v : {0u, n, n, 0u, n, n, 0u}) ev_put32(b, v);
    b.resize(28 + items.size() * 12);
    for (size_t i = 0; i < items.size(); ++i) {
        ev_set32(b, 28 + i * 12, items[i].flags);
        ev_set32(b, 28 + i * 12 + 4, uint32_t(b.size()));
        ev_put_text(b, items[i].name);
        ev_set32(b, 28 + i * 12 + 8, uint32_t(b.size()));
        ev_put_text(b, items[i].path);
    }
    return b;
}
