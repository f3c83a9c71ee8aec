#include "ui/text_measure.h"

#include "ui/fonts.h"

namespace {
class NullMeasure final : public TextMeasure {
public:
    int width(UiFont, const char*, int) override { return 0; }
    int height(UiFont) override { return 0; }
    FontMetrics metrics(UiFont) override { return FontMetrics{0, 0, 0}; }
};
NullMeasure g_null;
TextMeasure* g_measure = &g_null;
UiFonts g_fonts{};
}  // namespace

void text_measure_install(TextMeasure* measure) { g_measure = measure ? measure : &g_null; }
TextMeasure& text_measure() { return *g_measure; }
UiFonts& fonts() { return g_fonts; }
