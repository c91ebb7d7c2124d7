#pragma once
// How a playlist row looks: what its colours and attributes set. Rows set up
// alike share one of these (implicitly shared), so thousands of rows cost
// little.
//
// Threads: UI thread.
#include "playlist/SkinImage.h"

#include <QColor>
#include <QMargins>
#include <QSharedData>
#include <QSize>

struct PlayListNodeStyle : QSharedData {
    // Invalid colours leave the choice to the view's palette.
    QColor textColor;
    QColor hotTextColor;
    QColor selectedTextColor;
    QColor playingTextColor;

    int height = 22;
    QMargins inset;
    Qt::Alignment textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    // Index into the skin's font table. The Qt skins have none, so rows use
    // the tree's font; the value is kept for the skin's sake.
    int fontIndex = -1;
    bool endEllipsis = false;

    QSize deleteButtonSize{18, 18};
    SkinImage deleteNormal;
    SkinImage deleteHot;
    SkinImage deletePushed;
};
