#pragma once
// The native window the player draws its video into ("Player window"): its
// X11 window id is handed to the player. Qt never paints over it beyond a
// black background, or the hint of where to begin while nothing can play
// (the player draws into a child window of its own, which covers it), and a
// left double-click is reported so the main window can toggle full-screen
// mode; a single left click is reported (after the double-click time) so a
// car's camera can be picked from the picture.
//
// Threads: UI thread only. Created by the video host as its child and lives
// as long as the host.
#include <QPointF>
#include <QTimer>
#include <QWidget>

class VideoWindow : public QWidget {
    Q_OBJECT
public:
    explicit VideoWindow(QWidget* parent);

    // The native window id for the player's -wid option.
    quintptr nativeId();

    // The hint, shown as plain text, word-wrapped and centred; empty shows none.
    void setHint(const QString& hint);
    const QString& hint() const { return hint_; }

signals:
    void doubleClicked();
    // A single left click (not the first of a double-click), as fractions of the window.
    void clicked(double x, double y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString hint_;
    QTimer* singleClick_;  // waits out the double-click time before a click counts
    QPointF clickedAt_;
    bool afterDoubleClick_ = false;  // the release that ends a double-click is no click
};
