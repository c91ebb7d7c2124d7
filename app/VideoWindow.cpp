#include "app/VideoWindow.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

VideoWindow::VideoWindow(QWidget* parent) : QWidget(parent) {
    setObjectName("playerWindow");
    setWindowTitle("Player window");
    // A window of its own for the player, without making the main window's
    // controls native too.
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_DontCreateNativeAncestors);
    // The player owns the pixels: no background for Qt to erase, and the
    // paint event below covers every pixel it does draw.
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    setMouseTracking(false);
    setFocusPolicy(Qt::NoFocus);
    singleClick_ = new QTimer(this);
    singleClick_->setSingleShot(true);
    connect(singleClick_, &QTimer::timeout, this, [this] {
        if (width() > 0 && height() > 0) emit clicked(clickedAt_.x() / width(), clickedAt_.y() / height());
    });
}

quintptr VideoWindow::nativeId() {
    return static_cast<quintptr>(winId());
}

void VideoWindow::setHint(const QString& hint) {
    if (hint == hint_) return;
    hint_ = hint;
    update();
}

void VideoWindow::paintEvent(QPaintEvent* event) {
    // Black until the player draws; the player draws into a child window of
    // its own, which this painting never reaches.
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::black);
    if (hint_.isEmpty()) return;
    QFont font = painter.font();
    font.setPixelSize(16);
    painter.setFont(font);
    painter.setPen(QColor(0x9a, 0xa3, 0xae));
    const int margin = 24;
    painter.drawText(rect().adjusted(margin, margin, -margin, -margin), Qt::AlignCenter | Qt::TextWordWrap, hint_);
}

void VideoWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    // Taken here: handed on, the host would report the same double-click again.
    event->accept();
    singleClick_->stop();
    afterDoubleClick_ = true;
    emit doubleClicked();
}

void VideoWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    if (afterDoubleClick_) {
        afterDoubleClick_ = false;
        return;
    }
    clickedAt_ = event->position();
    singleClick_->start(QApplication::doubleClickInterval());
}
