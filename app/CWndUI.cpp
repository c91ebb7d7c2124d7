#include "app/CWndUI.h"

#include "app/LetterboxGeometry.h"
#include "app/VideoWindow.h"
#include "ui/ControlNotifications.h"

#include <QMouseEvent>
#include <QPainter>

namespace {
// What the main window expects of a double-click on the video: the button
// flag and the point (8, 0) packed as the Windows message carried them.
constexpr uintptr_t kDoubleClickWParam = 1;
constexpr intptr_t kDoubleClickLParam = 8;
}  // namespace

CWndUI::CWndUI(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(160, 90);
}

bool CWndUI::Attach(VideoWindow* window) {
    if (!window) return false;
    if (window->parentWidget() != this) window->setParent(this);
    // The native window is made here, on the UI thread, so the id is ready
    // before any other thread asks for it.
    const quintptr id = window->nativeId();
    if (id == 0) return false;
    hosted_ = window;
    videoId_.store(id);
    connect(window, &VideoWindow::doubleClicked, this, &CWndUI::notifyDoubleClick);
    connect(window, &VideoWindow::clicked, this, [this](double x, double y) {
        ui::sendNotify(this, QString::fromLatin1(kVideoClickNotify), static_cast<uintptr_t>(x * kVideoClickScale),
                       static_cast<intptr_t>(y * kVideoClickScale));
    });
    window->setVisible(!isHidden());
    window->setHint(GetShownHint());
    UpdateVideoPlacement();
    return true;
}

void CWndUI::SetHint(const QString& hint, bool show) {
    hint_ = hint;
    hintShown_ = show;
    if (hosted_) hosted_->setHint(GetShownHint());
}

void CWndUI::SetPos(const QRect& rect) {
    setGeometry(rect);
    UpdateVideoPlacement();
    update();
}

void CWndUI::UpdateVideoPlacement() {
    if (!hosted_) return;
    const VideoBox place = fitVideoBox({0, 0, width(), height()}, aspect_);
    hosted_->setGeometry(place.x, place.y, place.width, place.height);
}

void CWndUI::SetVisible(bool visible) {
    setVisible(visible);
}

void CWndUI::SetInternVisible(bool visible) {
    setVisible(visible);
}

void CWndUI::setVisible(bool visible) {
    QWidget::setVisible(visible);
    // The native window is told directly: the player's window must never
    // stay on screen over a hidden host.
    if (hosted_) hosted_->setVisible(visible);
}

void CWndUI::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    UpdateVideoPlacement();
}

void CWndUI::paintEvent(QPaintEvent* event) {
    // The bars around the letterboxed video.
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::black);
}

void CWndUI::mouseDoubleClickEvent(QMouseEvent* event) {
    // A double-click on the bars means the same as one on the video.
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    event->accept();
    notifyDoubleClick();
}

void CWndUI::notifyDoubleClick() {
    ui::sendNotify(this, ui::UI_NOTIFY_DBCLICK, kDoubleClickWParam, kDoubleClickLParam);
}
