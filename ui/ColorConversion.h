#pragma once
// Colours as the rest of the system gives them, turned into QColor:
// 0xAARRGGBB values, "#AARRGGBB" attribute strings and COLORREF 0x00BBGGRR
// values of GDI-style drawing.
//
// Threads: any (pure functions).
#include <QColor>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace ui {

// The alpha byte is kept: 0x80FF0000 is half-transparent red.
QColor colorFromArgb(uint32_t argb);

// For text, which is drawn opaque whatever the alpha byte says (a text
// colour such as 0x000080FF is meant as opaque blue).
QColor textColorFromArgb(uint32_t argb);

// GDI colour, always opaque; the high byte is ignored.
QColor colorFromColorRef(uint32_t colorRef);

// "#AARRGGBB", or "#RRGGBB" as opaque. Nothing for any other text.
std::optional<QColor> colorFromAttribute(QStringView text);

}  // namespace ui
