// Shortening a UTF-8 text to a pixel width with a trailing "...".
#pragma once
#include <cstddef>

#include "uicore/uicore.h"

// Returns text itself when it is no wider than max_width. Otherwise drops whole UTF-8 characters
// from the end until the rest plus "..." fits, writes that into buf (cap bytes, terminator included;
// room is always kept for the dots and the terminator) and returns buf. A cap below 4 gives "".
const char* text_fit(UiFont font, const char* text, int max_width, char* buf, size_t cap);
