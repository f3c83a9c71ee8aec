// UI text (UTF-8) to UTF-16 for GDI: at most 1022 bytes are taken, cut at a character start.
#pragma once
#include <cstddef>

constexpr size_t kUiTextMaxBytes = 1022;
constexpr size_t kUiTextMaxUnits = 1024;

// out holds kUiTextMaxUnits units; returns the units written (terminated).
size_t ui_text_to_utf16(const char* text, int len, char16_t* out);
