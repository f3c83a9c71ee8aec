// The clipboard through OpenClipboard / GetClipboardData / SetClipboardData with global blocks.
#include <windows.h>

#include <cstring>

#include "platform/win32/win32_platform.h"

namespace {

HWND g_owner = nullptr;

HWND fallback_owner() {
    thread_local HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
    return window;
}

// The clipboard open for one operation. Another program may hold it for a moment (clipboard
// managers and remote-desktop clients read it right after every change), so opening is retried.
class ClipboardSession {
public:
    ClipboardSession() {
        HWND owner = g_owner ? g_owner : fallback_owner();
        for (int attempt = 0; attempt < 5; ++attempt) {
            if (OpenClipboard(owner)) {
                open_ = true;
                return;
            }
            Sleep(10);
        }
    }
    ~ClipboardSession() {
        if (open_) CloseClipboard();
    }
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    bool open() const { return open_; }

private:
    bool open_ = false;
};

// Hands a movable global block holding bytes to the clipboard in format; the block belongs to the
// clipboard once SetClipboardData succeeds and is freed here otherwise. The clipboard must be open
// and emptied.
ClipboardResult put_block(UINT format, const void* bytes, size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block) return ClipboardResult::Failed;
    void* p = GlobalLock(block);
    if (!p) {
        GlobalFree(block);
        return ClipboardResult::Failed;
    }
    std::memcpy(p, bytes, size);
    GlobalUnlock(block);
    if (!SetClipboardData(format, block)) {
        GlobalFree(block);
        return ClipboardResult::Failed;
    }
    return ClipboardResult::Ok;
}

class Win32Clipboard : public Clipboard {
public:
    ClipboardResult set_text(std::u16string_view text) override {
        if (text.size() > (SIZE_MAX / sizeof(char16_t)) - 1) return ClipboardResult::Failed;
        std::u16string block(text);  // its terminator is copied with it
        ClipboardSession session;
        if (!session.open()) return ClipboardResult::Busy;
        if (!EmptyClipboard()) return ClipboardResult::Failed;
        return put_block(CF_UNICODETEXT, block.c_str(), (block.size() + 1) * sizeof(char16_t));
    }

    ClipboardResult set_file_drop(std::string_view payload) override {
        ClipboardSession session;
        if (!session.open()) return ClipboardResult::Busy;
        if (!EmptyClipboard()) return ClipboardResult::Failed;
        return put_block(CF_HDROP, payload.data(), payload.size());
    }

    ClipboardResult get_text(std::u16string& out, size_t max_units) override {
        out.clear();
        ClipboardSession session;
        if (!session.open()) return ClipboardResult::Busy;
        HANDLE data = GetClipboardData(CF_UNICODETEXT);
        if (!data) return ClipboardResult::NoText;
        const auto* units = static_cast<const char16_t*>(GlobalLock(data));
        if (!units) return ClipboardResult::Failed;
        // The block's size bounds the read: the text need not be terminated.
        size_t n = GlobalSize(data) / sizeof(char16_t);
        if (n > max_units) n = max_units;
        size_t len = 0;
        while (len < n && units[len] != 0) ++len;
        out.assign(units, len);
        GlobalUnlock(data);
        return ClipboardResult::Ok;
    }
};

}  // namespace

Clipboard* win32_clipboard() {
    static Win32Clipboard clipboard;
    return &clipboard;
}

void win32_clipboard_set_owner(void* hwnd) { g_owner = static_cast<HWND>(hwnd); }
