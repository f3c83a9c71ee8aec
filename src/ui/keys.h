// Keys as the window procedure hands them on: Windows virtual-key codes as plain integers and the
// state of the modifier keys as flags, so that every decision about a key is portable.
#pragma once

enum KeyMods {
    kModShift = 1,
    kModCtrl = 2,
    kModAlt = 4,
    kModWin = 8,  // either Windows key
};

namespace vk {
constexpr int kBack = 0x08;
constexpr int kTab = 0x09;
constexpr int kReturn = 0x0D;
constexpr int kEscape = 0x1B;
constexpr int kPageUp = 0x21;
constexpr int kPageDown = 0x22;
constexpr int kEnd = 0x23;
constexpr int kHome = 0x24;
constexpr int kLeft = 0x25;
constexpr int kUp = 0x26;
constexpr int kRight = 0x27;
constexpr int kDown = 0x28;
constexpr int kInsert = 0x2D;
constexpr int kDelete = 0x2E;
// Letters and digits are their ASCII upper-case codes ('A' = 0x41, '0' = 0x30).
}  // namespace vk
