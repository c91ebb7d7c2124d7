#include "ui/CXMLWnd.h"

#include "ui/SkinLoader.h"
#include "ui/UiLibrary.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

namespace ui {

namespace {
constexpr int kMaxSkinDepth = 8;

QStringList localFiles(const QMimeData* mime) {
    QStringList paths;
    if (!mime) return paths;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile()) paths << url.toLocalFile();
    }
    return paths;
}
}  // namespace

CXMLWnd::CXMLWnd(QString skinFile)
    : skinFile_(std::move(skinFile)),
      handle_(std::make_shared<WindowHandle>([this](uint32_t message, uintptr_t wParam, intptr_t lParam) {
          return HandleMessage(message, wParam, lParam);
      })) {
    AddMessageMapEntry(UI_NOTIFY_CLICK, [this](const Notification& msg) { OnClick(msg); });
}

CXMLWnd::~CXMLWnd() {
    // Workers may still hold the handle: from here on it answers 0.
    handle_->detach();
    if (modalLoop_) modalLoop_->exit(0);
    if (qApp) qApp->removeEventFilter(this);
}

bool CXMLWnd::Create(QWidget* parent, const QString& title) {
    if (created_) return false;
    if (parent) setParent(parent, Qt::Dialog);
    const QString path = QDir::isAbsolutePath(skinFile_) ? skinFile_ : resourcePath() + skinFile_;
    QWidget* root = buildSkin(path, this);
    if (!root) return false;
    created_ = true;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(root);
    resize(root->size().expandedTo(root->minimumSizeHint()));
    setWindowTitle(title.isEmpty() ? root->windowTitle() : title);
    qApp->installEventFilter(this);
    InitWindow();
    return true;
}

QWidget* CXMLWnd::buildSkin(const QString& path, QWidget* parent) {
    const QString key = QFileInfo(path).fileName().toLower();
    if (building_.contains(key) || building_.size() >= kMaxSkinDepth) {
        qWarning().noquote() << "Skin" << path << "includes itself; left out";
        return nullptr;
    }
    building_.append(key);
    SkinLoader loader(*this);
    QWidget* root = loader.build(path, parent);
    building_.removeLast();
    return root;
}

QWidget* CXMLWnd::BuildSubLayout(const QString& skinFile, QWidget* parent) {
    return buildSkin(resourcePath() + skinFile, parent);
}

void CXMLWnd::CenterWindow() {
    QRect area;
    if (QWidget* owner = parentWidget()) {
        area = owner->window()->frameGeometry();
    } else if (QScreen* s = screen()) {
        area = s->availableGeometry();
    } else {
        return;
    }
    QRect frame = frameGeometry();
    frame.moveCenter(area.center());
    move(frame.topLeft());
}

int CXMLWnd::ShowModal() {
    if (closed_) return closeCode_;
    if (parentWidget()) setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    QEventLoop loop;
    modalLoop_ = &loop;
    if (!closed_) loop.exec(QEventLoop::DialogExec);
    modalLoop_ = nullptr;
    return closeCode_;
}

void CXMLWnd::Close(int code) {
    if (closed_) return;
    closeCode_ = code;
    destroyWindow();
    QWidget::close();
}

void CXMLWnd::closeEvent(QCloseEvent* event) {
    // Closed by the window manager (or QWidget::close): that is a Cancel.
    if (!closed_) {
        closeCode_ = IDCANCEL;
        destroyWindow();
    }
    event->accept();
}

void CXMLWnd::destroyWindow() {
    closed_ = true;
    // First let go of the workers: OnDestroy may wait for a worker that is
    // sending to this window.
    handle_->detach();
    qApp->removeEventFilter(this);
    OnDestroy();
    if (modalLoop_) modalLoop_->exit(0);
}

QWidget* CXMLWnd::FindControl(const QString& name) const {
    if (name.isEmpty()) return nullptr;
    return findChild<QWidget*>(name);
}

void CXMLWnd::DragAcceptFiles(bool accept) {
    setAcceptDrops(accept);
}

void CXMLWnd::AddMessageMapEntry(const QString& type, std::function<void(const Notification&)> handler) {
    messageMap_.insert(type, std::move(handler));
}

void CXMLWnd::InitWindow() {}

void CXMLWnd::OnDestroy() {}

intptr_t CXMLWnd::HandleMessage(uint32_t, uintptr_t, intptr_t) {
    return 0;
}

void CXMLWnd::Notify(const Notification& msg) {
    const auto entry = messageMap_.constFind(msg.type);
    if (entry != messageMap_.constEnd() && *entry) (*entry)(msg);
}

void CXMLWnd::OnClick(const Notification& msg) {
    const QString name = msg.senderName();
    if (name == u"closebtn") {
        Close(IDCANCEL);
    } else if (name == u"minbtn") {
        showMinimized();
    } else if (name == u"maxbtn") {
        showMaximized();
    } else if (name == u"restorebtn") {
        showNormal();
    }
}

intptr_t CXMLWnd::ResponseDefaultKeyEvent(uintptr_t key) {
    if (key == static_cast<uintptr_t>(Qt::Key_Escape)) {
        Close(IDCANCEL);
        return 1;
    }
    return 0;
}

intptr_t CXMLWnd::MessageHandler(uint32_t message, uintptr_t wParam, intptr_t, bool& handled) {
    if (message != WM_KEYDOWN) return 0;
    if (wParam == static_cast<uintptr_t>(Qt::Key_Return) || wParam == static_cast<uintptr_t>(Qt::Key_Enter) ||
        wParam == static_cast<uintptr_t>(Qt::Key_Escape)) {
        const intptr_t result = ResponseDefaultKeyEvent(
            wParam == static_cast<uintptr_t>(Qt::Key_Enter) ? static_cast<uintptr_t>(Qt::Key_Return) : wParam);
        handled = result != 0;
        return result;
    }
    return 0;
}

QWidget* CXMLWnd::CreateControl(const QString&, QWidget*) {
    return nullptr;
}

bool CXMLWnd::isRepeatedKeyDelivery(const QObject* receiver, const QEvent* event) const {
    if (event != lastKeyEvent_) return false;
    // Looked at on the native window already: none of its deliveries counts.
    if (keyFromNativeWindow_) return true;
    // Handed on from a control that ignored it: only ever to a strict ancestor.
    const QWidget* widget = static_cast<const QWidget*>(receiver);
    return lastKeyReceiver_ && widget != lastKeyReceiver_ && widget->isAncestorOf(lastKeyReceiver_);
}

bool CXMLWnd::isReturnedKeyPress(const QKeyEvent* key) const {
    // Presses without a time stamp (made up by a program) cannot be told apart.
    return key->timestamp() != 0 && key->timestamp() == lastKeyStamp_.timestamp && key->key() == lastKeyStamp_.key &&
           key->modifiers() == lastKeyStamp_.modifiers;
}

void CXMLWnd::forgetKeyPress() {
    lastKeyEvent_ = nullptr;
    lastKeyReceiver_ = nullptr;
    keyFromNativeWindow_ = false;
}

bool CXMLWnd::eventFilter(QObject* watched, QEvent* event) {
    // The press is over: a new press may be a new event at the same address.
    if (event->type() == QEvent::KeyRelease) forgetKeyPress();
    if (event->type() != QEvent::KeyPress || closed_) return false;
    const bool nativeWindow = watched == windowHandle();
    if (!nativeWindow && (!watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != this)) return false;
    if (nativeWindow) {
        // A press from the platform (or posted to the window) arrives here
        // first and exactly once, before any control.
        forgetKeyPress();
    } else if (isRepeatedKeyDelivery(watched, event)) {
        return false;
    }
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (isReturnedKeyPress(key)) return false;
    bool handled = false;
    MessageHandler(WM_KEYDOWN, static_cast<uintptr_t>(key->key()), static_cast<intptr_t>(key->modifiers().toInt()),
                   handled);
    // Noted after the handler, which may have run a loop that saw a release.
    lastKeyEvent_ = event;
    lastKeyReceiver_ = nativeWindow ? nullptr : static_cast<QWidget*>(watched);
    keyFromNativeWindow_ = nativeWindow;
    lastKeyStamp_ = {key->key(), key->modifiers(), key->timestamp()};
    return handled;
}

void CXMLWnd::dragEnterEvent(QDragEnterEvent* event) {
    if (!localFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void CXMLWnd::dropEvent(QDropEvent* event) {
    const QStringList paths = localFiles(event->mimeData());
    if (paths.isEmpty()) return;
    event->acceptProposedAction();
    DropFiles(paths);
}

void CXMLWnd::DropFiles(const QStringList& paths) {
    DroppedFiles files{paths};
    HandleMessage(WM_DROPFILES, reinterpret_cast<uintptr_t>(&files), 0);
}

}  // namespace ui
