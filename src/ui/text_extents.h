// Where each character of a line of text ends on screen, for placing a caret under the mouse.
#pragma once

class TextExtents {
public:
    virtual ~TextExtents() = default;
    // Stores in edges[i] the right edge, in pixels from the start of the text, of UTF-16 unit i
    // (the partial extents of GetTextExtentExPointW in the search font). False when the text
    // cannot be measured.
    virtual bool extents(const char16_t* text, int count, int* edges) = 0;
};

// Windows only (text_extents_win32.cpp): the screen DC with the medium font.
TextExtents* text_extents_gdi();
