// A deterministic text measure for tests: every character (UTF-8 code point) of a font is
// `advance` pixels wide. Installing it also installs its three fonts as the current fonts.
#pragma once
#include "ui/fonts.h"
#include "ui/text_measure.h"

struct FakeFont {
    int advance;
    FontMetrics metrics;
};

class FakeTextMeasure final : public TextMeasure {
public:
    FakeFont large_font{10, {21, 3, 5}};
    FakeFont medium_font{8, {16, 2, 4}};
    FakeFont small_font{6, {12, 1, 3}};
    FakeFont other{7, {14, 0, 3}};  // any other handle, null included

    int width(UiFont font, const char* text, int len) override;
    int height(UiFont font) override { return font_of(font).metrics.height; }
    FontMetrics metrics(UiFont font) override { return font_of(font).metrics; }
    const FakeFont& font_of(UiFont font) const;
    UiFonts handles() { return UiFonts{&large_font, &medium_font, &small_font}; }
};

// Installs a fake measure and its fonts for one scope and restores what was there before.
class FakeTextScope {
public:
    FakeTextScope();
    ~FakeTextScope();
    FakeTextScope(const FakeTextScope&) = delete;
    FakeTextScope& operator=(const FakeTextScope&) = delete;
    FakeTextMeasure measure;

private:
    TextMeasure* previous_;
    UiFonts previous_fonts_;
};
