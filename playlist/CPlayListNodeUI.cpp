#include "playlist/CPlayListNodeUI.h"

#include "playlist/SkinAttributeList.h"
#include "ui/ColorConversion.h"

namespace {

bool parsePixels(const QString& text, int& value) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    // Rows and buttons of 0 to 1000 pixels; anything else is a skin error.
    if (!ok || v < 0 || v > 1000) return false;
    value = v;
    return true;
}

}  // namespace

CPlayListNodeUI::CPlayListNodeUI() : style_(new PlayListNodeStyle) {}

void CPlayListNodeUI::SetItemTextColor(uint32_t argb) {
    style_->textColor = ui::textColorFromArgb(argb);
}

void CPlayListNodeUI::SetItemHotTextColor(uint32_t argb) {
    style_->hotTextColor = ui::textColorFromArgb(argb);
}

void CPlayListNodeUI::SetSelItemTextColor(uint32_t argb) {
    style_->selectedTextColor = ui::textColorFromArgb(argb);
}

bool CPlayListNodeUI::SetAttribute(const QString& name, const QString& value) {
    if (name == u"height") {
        int height = 0;
        if (!parsePixels(value, height) || height == 0) return false;
        style_->height = height;
        return true;
    }
    if (name == u"inset") {
        int v[4];
        if (!SkinAttributeList::ParseFourInts(value, v)) return false;
        style_->inset = QMargins(v[0], v[1], v[2], v[3]);
        return true;
    }
    if (name == u"itemplayingtextcolor") {
        std::optional<QColor> color = ui::colorFromAttribute(value.trimmed());
        if (!color) return false;
        color->setAlpha(255);
        style_->playingTextColor = *color;
        return true;
    }
    if (name == u"itemattr") return setItemAttr(value);
    if (name == u"folderattr") return true;
    if (name == u"itemendellipsis") {
        style_->endEllipsis = value.trimmed() == u"true";
        return true;
    }
    if (name == u"deleteattr") return setDeleteAttr(value);
    return false;
}

bool CPlayListNodeUI::setItemAttr(const QString& value) {
    Qt::Alignment horizontal = style_->textAlignment & Qt::AlignHorizontal_Mask;
    Qt::Alignment vertical = style_->textAlignment & Qt::AlignVertical_Mask;
    int font = style_->fontIndex;
    for (const auto& [key, text] : SkinAttributeList::Parse(value)) {
        if (key == u"valign") {
            vertical = text == u"top" ? Qt::AlignTop : text == u"bottom" ? Qt::AlignBottom : Qt::AlignVCenter;
        } else if (key == u"align") {
            horizontal = text == u"center" ? Qt::AlignHCenter : text == u"right" ? Qt::AlignRight : Qt::AlignLeft;
        } else if (key == u"font") {
            bool ok = false;
            const int index = text.toInt(&ok);
            if (ok) font = index;
        }
    }
    style_->textAlignment = horizontal | vertical;
    style_->fontIndex = font;
    return true;
}

bool CPlayListNodeUI::setDeleteAttr(const QString& value) {
    PlayListNodeStyle& s = *style_;
    for (const auto& [key, text] : SkinAttributeList::Parse(value)) {
        int pixels = 0;
        if (key == u"width" && parsePixels(text, pixels)) {
            s.deleteButtonSize.setWidth(pixels);
        } else if (key == u"height" && parsePixels(text, pixels)) {
            s.deleteButtonSize.setHeight(pixels);
        } else if (key == u"normalimage") {
            s.deleteNormal = SkinImage::Parse(text);
        } else if (key == u"hotimage") {
            s.deleteHot = SkinImage::Parse(text);
        } else if (key == u"pushedimage") {
            s.deletePushed = SkinImage::Parse(text);
        }
    }
    return true;
}
