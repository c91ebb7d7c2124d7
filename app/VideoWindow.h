#pragma once
// The native window the player draws its video into ("Player window"): its
// X11 window id is handed to the player. Qt never paints over it beyond a
// black background, and a left double-click is reported so the main window
// can toggle full-screen mode.
//
// Threads: UI thread only. Created by the video host as its child and lives
// as long as the host.
#include <QWidget>

class VideoWindow : public QWidget {
    Q_OBJECT
public:
    explicit VideoWindow(QWidget* parent);

    // The native window id for the player's -wid option.
    quintptr nativeId();

signals:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};
