// Partial extents of the search text in the medium font, measured on the screen DC.
#include <windows.h>

#include "ui/fonts.h"
#include "ui/text_extents.h"

namespace {

class GdiTextExtents final : public TextExtents {
public:
    bool extents(const char16_t* text, int count, int* edges) override {
        if (count <= 0) return true;
        HDC dc = GetDC(nullptr);
        if (!dc) return false;
        HGDIOBJ old = font_medium() ? SelectObject(dc, static_cast<HGDIOBJ>(font_medium())) : nullptr;
        SIZE size = {};
        // Without a fit count the maximum extent is ignored and every unit's edge is stored.
        BOOL ok = GetTextExtentExPointW(dc, reinterpret_cast<const wchar_t*>(text), count, 0, nullptr, edges, &size);
        if (old) SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        return ok != FALSE;
    }
};

GdiTextExtents g_gdi_extents;

}  // namespace

TextExtents* text_extents_gdi() { return &g_gdi_extents; }
