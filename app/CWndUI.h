#pragma once
// CWndUI: the video host, the control "wndMedia" of the main window's skin.
// It holds the native video window, keeps it inside its own box letterboxed
// to the video's aspect, shows and hides it with itself, and turns a
// double-click on the video into a "dbclick" notification with lParam 8.
//
// Threads: UI thread only, except GetVideoWindowId, which any thread may
// call (the start-up thread hands the id to the player). Created while the
// skin is built (CreateControl "WndUI"); the attached video window lives as
// long as the host.
#include <QPointer>
#include <atomic>
#include <QWidget>

#include "app/VideoWindow.h"

class CWndUI : public QWidget {
    Q_OBJECT
public:
    // A single click on the picture: x and y in ten-thousandths of its size as wParam and lParam.
    static constexpr const char* kVideoClickNotify = "videoclick";
    static constexpr double kVideoClickScale = 10000.0;
    explicit CWndUI(QWidget* parent = nullptr);

    static QString GetClass() { return QStringLiteral("WndUI"); }

    // Takes the video window as the hosted window (reparented into this
    // control) and creates its native window. False, and nothing stored,
    // for a null window or one without a native window.
    bool Attach(VideoWindow* window);
    VideoWindow* GetHostedWindow() const { return hosted_; }
    // The hint of where to begin on the video area, shown while show is
    // true; kept for a window attached later.
    void SetHint(const QString& hint, bool show);
    QString GetShownHint() const { return hintShown_ ? hint_ : QString(); }
    // The native id the player draws into; 0 without a hosted window.
    quintptr GetVideoWindowId() const { return videoId_.load(); }

    // Width / height of the video; 0 fills the whole box. The caller lays
    // the control out again with SetPos.
    void SetAspect(double aspect) { aspect_ = aspect; }
    double GetAspect() const { return aspect_; }

    // Moves the control to rect (parent coordinates) and the hosted window
    // to its letterboxed place inside it.
    void SetPos(const QRect& rect);
    QRect GetPos() const { return geometry(); }
    void SetVisible(bool visible);
    // Visibility set by the layout (a hidden container): the same effect.
    void SetInternVisible(bool visible);
    // Places the hosted window again, for the current size and aspect.
    void UpdateVideoPlacement();

    void setVisible(bool visible) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void notifyDoubleClick();

    QPointer<VideoWindow> hosted_;
    std::atomic<quintptr> videoId_{0};  // read by other threads
    double aspect_ = 0.0;
    QString hint_;
    bool hintShown_ = false;
};
