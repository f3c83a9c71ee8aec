// Partial extents of the search text in the medium font, from the same DC that measures the
// layout and spaces the drawn glyphs, so the caret placed by a click lands where text is drawn.
#include "ui/fonts.h"
#include "ui/text_extents.h"
#include "ui/text_measure.h"

namespace {

class GdiTextExtents final : public TextExtents {
public:
    bool extents(const char16_t* text, int count, int* edges) override {
        if (count <= 0) return true;
        if (!text_measure_gdi_advances(font_medium(), text, count, edges)) return false;
        for (int i = 1; i < count; ++i) edges[i] += edges[i - 1];
        return true;
    }
};

GdiTextExtents g_gdi_extents;

}  // namespace

TextExtents* text_extents_gdi() { return &g_gdi_extents; }
