#pragma once
// CXMLWnd: a window built from a skin file, the base of the main window and
// of the dialogs. The skin is a Qt Designer .ui file in the skin folder
// (ui::resourcePath()), or at an absolute path. Derived windows override the
// callbacks below; the base versions give the standard behaviour.
//
// Threads: UI thread only, except the window handle (GetHWND, GetHandle),
// which takes posted and sent messages from any thread.
// Start and stop: Create() builds the skin and calls InitWindow(). Close()
// (or closing through the window manager, which counts as Cancel) detaches
// the window handle, calls OnDestroy() once, ends ShowModal and hides the
// window. The creator deletes the object afterwards.
#include "ui/Notification.h"
#include "ui/WindowConstants.h"
#include "ui/WindowHandle.h"

#include <QHash>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

class QEventLoop;
class QKeyEvent;

namespace ui {

class CXMLWnd : public QWidget {
    Q_OBJECT
public:
    explicit CXMLWnd(QString skinFile);
    ~CXMLWnd() override;
    CXMLWnd(const CXMLWnd&) = delete;
    CXMLWnd& operator=(const CXMLWnd&) = delete;

    const QString& GetSkinFile() const { return skinFile_; }

    // Builds the skin and runs InitWindow. With a parent the window is a
    // dialog of it. False when the skin cannot be built (no InitWindow then).
    bool Create(QWidget* parent, const QString& title);
    // Centres on the parent window, or on the screen without one.
    void CenterWindow();
    // Shows the window and runs a message loop until it closes; returns the
    // code given to Close (IDOK, IDCANCEL). A dialog blocks its application
    // meanwhile. Returns at once when the window is already closed.
    int ShowModal();
    void Close(int code = IDOK);
    bool IsClosed() const { return closed_; }

    // A control by name, also inside sub-layouts; nullptr when missing.
    QWidget* FindControl(const QString& name) const;
    template <class T>
    T* FindControl(const QString& name) const {
        return qobject_cast<T*>(FindControl(name));
    }

    // Builds a sub-layout skin file of the skin folder for CreateControl,
    // with this window as the callback, so custom classes may appear inside.
    // nullptr when it cannot be built, or when it would include itself.
    QWidget* BuildSubLayout(const QString& skinFile, QWidget* parent);

    // The window as a receiver of window messages, for workers.
    platform::MessageTarget* GetHWND() const { return handle_.get(); }
    std::shared_ptr<WindowHandle> GetHandle() const { return handle_; }

    // Dropped local files reach HandleMessage as WM_DROPFILES.
    void DragAcceptFiles(bool accept);
    // Hands local files to HandleMessage as WM_DROPFILES, in order, exactly
    // as a drop on the window does (the test driver uses it too).
    void DropFiles(const QStringList& paths);

    // The message map: Notify runs the entry of a notification's type.
    // Every window starts with "click" -> OnClick.
    void AddMessageMapEntry(const QString& type, std::function<void(const Notification&)> handler);

    // Callbacks.
    virtual void InitWindow();
    virtual void OnDestroy();
    // Posted and sent window messages, and WM_DROPFILES. Returns 0 here.
    virtual intptr_t HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
    // Every notification of the window's controls; runs the message map.
    virtual void Notify(const Notification& msg);
    // "closebtn" closes with IDCANCEL; "minbtn", "maxbtn", "restorebtn".
    virtual void OnClick(const Notification& msg);
    // Escape closes with IDCANCEL and returns 1; other keys give 0.
    virtual intptr_t ResponseDefaultKeyEvent(uintptr_t key);
    // Runs before the controls see a key press (WM_KEYDOWN, wParam the
    // Qt::Key, lParam the modifiers); setting handled keeps the key from
    // them. Here Return and Escape go to ResponseDefaultKeyEvent, and a
    // non-zero answer counts as handled.
    virtual intptr_t MessageHandler(uint32_t message, uintptr_t wParam, intptr_t lParam, bool& handled);
    // Asked for every class of a skin that Qt does not know; nullptr lets
    // the layer build the class the skin says it extends.
    virtual QWidget* CreateControl(const QString& className, QWidget* parent);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QWidget* buildSkin(const QString& path, QWidget* parent);
    void destroyWindow();
    // True when the press is one already looked at, travelling on.
    bool isRepeatedKeyDelivery(const QObject* receiver, const QEvent* event) const;
    bool isReturnedKeyPress(const QKeyEvent* key) const;
    void forgetKeyPress();

    QString skinFile_;
    std::shared_ptr<WindowHandle> handle_;
    QHash<QString, std::function<void(const Notification&)>> messageMap_;
    QStringList building_;  // skin files being built, innermost last
    QEventLoop* modalLoop_ = nullptr;
    int closeCode_ = IDCANCEL;
    bool created_ = false;
    bool closed_ = false;
    // A key press goes from the native window to the focused control and on
    // up the parents while they ignore it, as one event object; the window
    // looks at it once. Qt may put the next press at the same address, so
    // the address only counts until the press's release or the next press
    // on the native window.
    const QEvent* lastKeyEvent_ = nullptr;
    QPointer<QWidget> lastKeyReceiver_;
    bool keyFromNativeWindow_ = false;
    // A control that hands key presses to another process (the map's web
    // view) sends back the ones it did not use as new events, a while later,
    // with the press's own time stamp: a press with the key, modifiers and
    // time stamp of the last one looked at is that one again.
    struct KeyStamp {
        int key = 0;
        Qt::KeyboardModifiers modifiers;
        quint64 timestamp = 0;
    };
    KeyStamp lastKeyStamp_;
};

}  // namespace ui
