#include "ui/fake_text_measure.h"

#include <cstring>

#include "core/utf.h"

const FakeFont& FakeTextMeasure::font_of(UiFont font) const {
    if (font == &large_font) return large_font;
    if (font == &medium_font) return medium_font;
    if (font == &small_font) return small_font;
    return other;
}

int FakeTextMeasure::width(UiFont font, const char* text, int len) {
    if (!text) return 0;
    size_t n = len < 0 ? std::strlen(text) : size_t(len);
    int chars = 0;
    for (size_t i = 0; i < n; i++)
        if (utf8_is_lead(static_cast<unsigned char>(text[i]))) chars++;
    return chars * font_of(font).advance;
}

FakeTextScope::FakeTextScope() : previous_(&text_measure()), previous_fonts_(fonts()) {
    text_measure_install(&measure);
    fonts() = measure.handles();
}

FakeTextScope::~FakeTextScope() {
    text_measure_install(previous_);
    fonts() = previous_fonts_;
}
