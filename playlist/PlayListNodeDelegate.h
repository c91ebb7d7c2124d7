#pragma once
// Paints the rows of the playlist tree from their nodes: the background the
// style gives an item (hover, selection), the name in the row's colour with
// the row's inset and alignment (the playing row's name in its colour and
// semi-bold) and the row's delete button in its normal, hot or pushed image. One delegate paints
// every row, so a folder of thousands of clips costs no widgets.
//
// Threads: UI thread only. Lives as a child of its tree.
#include <QColor>
#include <QStyledItemDelegate>

class CPlayListTreeViewUI;
struct PlayListNodeStyle;

class PlayListNodeDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit PlayListNodeDelegate(CPlayListTreeViewUI* tree);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Where a row's delete button is: at the right end of the row, inside the
    // inset and a small margin, centred vertically.
    static QRect DeleteButtonRect(const QRect& row, const PlayListNodeStyle& style);
    // Room left free between the name and the button, and right of the button.
    static constexpr int kButtonMargin = 4;
    static constexpr int kPartnerIndent = 22;
    // The name of a clip that did not play (the playing colour still wins).
    static constexpr QRgb kProblemTextColor = 0xFFE08A6E;
    static constexpr QRgb kTripSeparatorColor = 0xFF5A6270;

private:
    CPlayListTreeViewUI* tree_;
};
