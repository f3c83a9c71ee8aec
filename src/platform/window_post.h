// Hands finished work to the launcher window: a message number, a word-sized value and a pointer,
// queued for the window thread (PostMessageW). Portable code never sees a window handle.
#pragma once
#include <cstdint>

class WindowPost {
public:
    virtual ~WindowPost() = default;
    // Queues the message for the launcher window. False when there is no window or the queue
    // refuses it; the caller then still owns whatever `lparam` points to.
    virtual bool post(uint32_t message, uintptr_t wparam, void* lparam) = 0;
};
