#pragma once
// Colours and pens of the chart as QColor and QPen: the series, frame and
// axis colours are COLORREF values (0x00BBGGRR), the background colours
// 0xAARRGGBB values or "#AARRGGBB" attribute strings.
//
// Threads: any (pure functions).
#include <QColor>
#include <QPen>
#include <QStringView>
#include <cstdint>
#include <optional>

class ChartColor {
public:
    // Always opaque; the high byte is ignored.
    static QColor fromColorRef(uint32_t colorRef);
    static QColor fromArgb(uint32_t argb) { return QColor::fromRgba(argb); }
    // "#AARRGGBB", "#RRGGBB" (opaque), with or without the '#'. Nothing for
    // any other text.
    static std::optional<uint32_t> parseArgb(QStringView text);
    // A pen of a GDI style (solid, dash, dot, dash-dot, dash-dot-dot, null;
    // others are solid) and width; width 0 or less is one pixel.
    static QPen pen(uint32_t colorRef, int width, int gdiStyle);
};
