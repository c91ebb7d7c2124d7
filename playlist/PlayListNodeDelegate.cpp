#include "playlist/PlayListNodeDelegate.h"

#include "playlist/CPlayListTreeViewUI.h"

#include <QApplication>
#include <QPainter>
#include <algorithm>

namespace {

void drawFallbackCross(QPainter* painter, const QRect& rect, const QColor& color) {
    const QRectF r = QRectF(rect).adjusted(5.5, 5.5, -5.5, -5.5);
    painter->setPen(QPen(color, 1.5, Qt::SolidLine, Qt::RoundCap));
    painter->drawLine(r.topLeft(), r.bottomRight());
    painter->drawLine(r.topRight(), r.bottomLeft());
}

// A small camera: body and lens, in the text's colour.
void drawCameraMark(QPainter* painter, const QRect& rect, const QColor& color) {
    const QRectF body(rect.left() + 1.5, rect.center().y() - 3.5, 8, 7);
    painter->setPen(QPen(color, 1.2));
    painter->setBrush(Qt::NoBrush);
    painter->drawRoundedRect(body, 1.5, 1.5);
    const QPointF lens[] = {{body.right(), body.center().y()}, {body.right() + 4, body.top()}, {body.right() + 4, body.bottom()}};
    painter->drawPolygon(lens, 3);
}

}  // namespace

PlayListNodeDelegate::PlayListNodeDelegate(CPlayListTreeViewUI* tree) : QStyledItemDelegate(tree), tree_(tree) {}

QRect PlayListNodeDelegate::DeleteButtonRect(const QRect& row, const PlayListNodeStyle& style) {
    const QRect inner = row.marginsRemoved(style.inset);
    const QSize size = style.deleteButtonSize;
    return QRect(inner.right() + 1 - kButtonMargin - size.width(), row.top() + (row.height() - size.height()) / 2,
                 size.width(), size.height());
}

QSize PlayListNodeDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const {
    const CPlayListNodeUI* node = tree_->GetNodeAt(index.row());
    return QSize(1, node ? node->Style().height : 0);
}

void PlayListNodeDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    const CPlayListNodeUI* node = tree_->GetNodeAt(index.row());
    if (!node) return;
    const PlayListNodeStyle& s = node->Style();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();

    // The background as the style sheet gives items; the hover state is the
    // tree's own, which also knows about the delete button.
    QStyleOptionViewItem background(option);
    background.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
    const bool hot = tree_->IsHotNode(node->GetKey());
    if (hot) background.state |= QStyle::State_MouseOver;
    background.features = QStyleOptionViewItem::None;
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &background, painter, widget);

    const bool selected = option.state & QStyle::State_Selected;
    QColor color = s.textColor.isValid() ? s.textColor : option.palette.color(QPalette::Text);
    if (selected && s.selectedTextColor.isValid()) {
        color = s.selectedTextColor;
    } else if (hot && s.hotTextColor.isValid()) {
        color = s.hotTextColor;
    }
    if (node->HasProblem()) color = QColor(kProblemTextColor);

    painter->save();
    const QRect row = option.rect;
    if (node->StartsTrip()) {
        // Rows of one trip belong together: a thin line where the next begins.
        painter->setPen(QPen(QColor(kTripSeparatorColor), 1));
        painter->drawLine(row.left() + 4, row.top(), row.right() - 4, row.top());
    }
    painter->setRenderHint(QPainter::Antialiasing);
    QFont font = option.font;
    if (node->IsPlaying()) {
        color = s.playingTextColor.isValid() ? s.playingTextColor : option.palette.color(QPalette::Highlight);
        // Weight as well as colour, so the playing row stands out from the selected one.
        font.setWeight(QFont::DemiBold);
    }

    const QRect button = DeleteButtonRect(row, s);
    QRect text = row.marginsRemoved(s.inset);
    text.setRight(std::min(text.right(), button.left() - 1 - kButtonMargin));
    if (node->IsPartnerRow()) {
        // The other camera of the moment above: indented under it, with a camera mark.
        drawCameraMark(painter, QRect(text.left() + kPartnerIndent - 16, text.top(), 16, text.height()), color);
        text.setLeft(text.left() + kPartnerIndent);
    }
    if (text.width() > 0) {
        const QFontMetrics metrics(font);
        const QString name =
            s.endEllipsis ? metrics.elidedText(node->GetItemText(), Qt::ElideRight, text.width(), Qt::TextSingleLine)
                          : node->GetItemText();
        painter->setFont(font);
        painter->setPen(color);
        painter->setClipRect(text);
        painter->drawText(text, static_cast<int>(s.textAlignment) | Qt::TextSingleLine, name);
        painter->setClipping(false);
    }

    const CPlayListTreeViewUI::ButtonState state = tree_->DeleteButtonState(node->GetKey());
    const SkinImage& image = state == CPlayListTreeViewUI::ButtonState::Pushed ? s.deletePushed
                             : state == CPlayListTreeViewUI::ButtonState::Hot  ? s.deleteHot
                                                                               : s.deleteNormal;
    const QPixmap pixmap = image.Pixmap();
    if (!pixmap.isNull()) {
        painter->drawPixmap(button, pixmap);
    } else if (!button.isEmpty()) {
        drawFallbackCross(painter, button,
                          state == CPlayListTreeViewUI::ButtonState::Normal ? option.palette.color(QPalette::Mid)
                                                                            : option.palette.color(QPalette::Text));
    }
    painter->restore();
}
