#pragma once
// The native window the player draws its video into ("Player window"): its
// X11 window id is handed to the player. Qt never paints over it beyond a
// black background, or the hint of where to begin while nothing can play
// (the player draws into a child window of its own, which covers it), and a
// left double-click is reported so the main window can toggle full-screen
// mode.
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

    // The hint, shown as plain text, word-wrapped and centred; empty shows none.
    void setHint(const QString& hint);
    const QString& hint() const { return hint_; }

signals:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QString hint_;
};
