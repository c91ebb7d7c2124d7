#include "ui/ColorConversion.h"

namespace ui {

QColor colorFromArgb(uint32_t argb) {
    return QColor(static_cast<int>((argb >> 16) & 0xFF), static_cast<int>((argb >> 8) & 0xFF),
                  static_cast<int>(argb & 0xFF), static_cast<int>(argb >> 24));
}

QColor textColorFromArgb(uint32_t argb) {
    return colorFromArgb(argb | 0xFF000000u);
}

QColor colorFromColorRef(uint32_t colorRef) {
    return QColor(static_cast<int>(colorRef & 0xFF), static_cast<int>((colorRef >> 8) & 0xFF),
                  static_cast<int>((colorRef >> 16) & 0xFF));
}

std::optional<QColor> colorFromAttribute(QStringView text) {
    if (!text.startsWith(u'#')) return std::nullopt;
    const QStringView digits = text.mid(1);
    if (digits.size() != 6 && digits.size() != 8) return std::nullopt;
    uint32_t value = 0;
    for (QChar c : digits) {
        const int nibble = (c >= u'0' && c <= u'9')   ? c.unicode() - u'0'
                           : (c >= u'a' && c <= u'f') ? c.unicode() - u'a' + 10
                           : (c >= u'A' && c <= u'F') ? c.unicode() - u'A' + 10
                                                      : -1;
        if (nibble < 0) return std::nullopt;
        value = (value << 4) | static_cast<uint32_t>(nibble);
    }
    if (digits.size() == 6) value |= 0xFF000000u;
    return colorFromArgb(value);
}

}  // namespace ui
