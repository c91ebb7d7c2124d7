#include "chart/ChartColor.h"

QColor ChartColor::fromColorRef(uint32_t colorRef) {
    return QColor(static_cast<int>(colorRef & 0xFF), static_cast<int>((colorRef >> 8) & 0xFF),
                  static_cast<int>((colorRef >> 16) & 0xFF));
}

std::optional<uint32_t> ChartColor::parseArgb(QStringView text) {
    text = text.trimmed();
    if (text.startsWith(u'#')) text = text.mid(1);
    if (text.size() != 6 && text.size() != 8) return std::nullopt;
    bool ok = false;
    const uint32_t value = text.toUInt(&ok, 16);
    if (!ok) return std::nullopt;
    return text.size() == 6 ? (0xFF000000u | value) : value;
}

QPen ChartColor::pen(uint32_t colorRef, int width, int gdiStyle) {
    QPen p(fromColorRef(colorRef));
    p.setWidth(width > 0 ? width : 0);  // 0 is Qt's one-pixel cosmetic pen
    switch (gdiStyle) {
        case 1:
            p.setStyle(Qt::DashLine);
            break;
        case 2:
            p.setStyle(Qt::DotLine);
            break;
        case 3:
            p.setStyle(Qt::DashDotLine);
            break;
        case 4:
            p.setStyle(Qt::DashDotDotLine);
            break;
        case 5:
            p.setStyle(Qt::NoPen);
            break;
        default:
            p.setStyle(Qt::SolidLine);
            break;
    }
    // Line ends as the GDI draws them: up to the end point, not beyond.
    p.setCapStyle(Qt::FlatCap);
    return p;
}
