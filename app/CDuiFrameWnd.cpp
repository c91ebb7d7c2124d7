#include "app/CDuiFrameWnd.h"

#include "app/CWndUI.h"
#include "app/EvidenceExporter.h"
#include "dialogs/VerifyWindow.h"

#include "chart/CTreskChartUI.h"
#include "chart/TimelineStrip.h"
#include "map/CWebBrowserUI.h"
#include "platform/MessageTarget.h"
#include "platform/TickCount.h"
#include "playlist/CPlayListTreeViewUI.h"
#include "playlist/PlaylistMessages.h"
#include "ui/UiLibrary.h"

#include <QAbstractSlider>
#include <QDialog>
#include <QIcon>
#include <QPointer>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <system_error>
#include <thread>

namespace {
bool isKey(uintptr_t key, Qt::Key qtKey) {
    return key == static_cast<uintptr_t>(qtKey);
}
}  // namespace

CDuiFrameWnd::CDuiFrameWnd(std::string programFolder) : CXMLWnd(kSkinFile), programFolder_(std::move(programFolder)) {
    factory_.chartMaker = [](QWidget* parent) {
        auto* chart = new CTreskChartUI(parent);
        // The style sheet gives it its panel (border, rounded corners) under the plot.
        chart->setAttribute(Qt::WA_StyledBackground);
        return chart;
    };
    factory_.webBrowserMaker = [](QWidget* parent) { return new CWebBrowserUI(parent); };
    factory_.playlistTreeMaker = &CPlayListTreeViewUI::Create;
    factory_.timelineMaker = [](QWidget* parent) { return new TimelineStrip(parent); };
}

CDuiFrameWnd::~CDuiFrameWnd() {
    // Whether or not the window was closed: no worker may wait for this
    // window while the controller stops them below.
    GetHandle()->detach();
    joinStartup();
}

QWidget* CDuiFrameWnd::CreateControl(const QString& className, QWidget* parent) {
    return factory_.create(*this, className, parent);
}

void CDuiFrameWnd::InitWindow() {
    setWindowIcon(QIcon(ui::resourcePath() + "images/logo.svg"));
    CenterWindow();
    DragAcceptFiles(true);

    config_ = std::make_unique<AppConfig>();
    controller_ = std::make_unique<CPlaybackController>();
    configStore_ = std::make_unique<ConfigStore>(programFolder_);
    configStore_->InitConfigPaths();
    configStore_->LoadConfig(*config_);

    viewManager_ = std::make_unique<CViewManager>(*this, *configStore_, *config_, *controller_);
    viewManager_->Bind();
    dispatcher_ = std::make_unique<MainDispatcher>(*controller_, viewManager_->Playlist().Controller(),
                                                   viewManager_->Views(), *viewManager_, *config_, platform::tickCount);
    viewManager_->MapClicks().SetHandler([this](const std::string& path, int32_t seconds) {
        if (dispatcher_) dispatcher_->PlayClipAt(path, seconds);
    });
    viewManager_->EventList().SetPlayer([this](const std::string& path, int32_t seconds) {
        if (dispatcher_) dispatcher_->PlayClipAt(path, seconds);
    });
    reviewKeys_ = std::make_unique<ReviewKeys>(*controller_, *dispatcher_, *this, *configStore_, viewManager_->Trips());
    exporter_ = std::make_unique<EvidenceExporter>(*configStore_, *config_, this);
    repairer_ = std::make_unique<ClipRepairer>(*configStore_, viewManager_->Playlist().Controller(), this);
    dispatcher_->SetCutClipHandler([this](const std::string& path) {
        if (repairer_) repairer_->Offer(path);
    });
    viewManager_->EventList().SetExporter([this](const std::string& path, int32_t seconds) {
        AskExport(path, seconds);
    });
    viewManager_->EventList().SetVerifier([this] { VerifyWindow::Open(*configStore_, this); });
    session_ = std::make_unique<WindowSession>(*configStore_);
    session_->Restore(*this);
    session_->WatchVolume(FindControl<QAbstractSlider>("sliderVolume"));
    viewManager_->Playlist().SetDialogFolder(session_->LastFolder());

    PlaybackSetup setup;
    setup.programFolder = configStore_->programFolder();
    setup.userDataFolder = configStore_->userDataFolder();
    setup.window = GetHWND();
    setup.videoWindow = viewManager_->GetVideoWindow();
    setup.config = config_.get();
    dispatcher_->HoldStartsUntilServices();
    try {
        startupThread_ = std::thread([this, setup] { startServices(setup); });
    } catch (const std::system_error&) {
        // Without the thread the window stays usable; nothing plays.
    }
}

void CDuiFrameWnd::startServices(PlaybackSetup setup) {
    // The map first: the page it chooses fixes the datum the extraction
    // converts the track line to, so that line and marker agree.
    viewManager_->LoadMapPage();
    setup.trackConversion = viewManager_->MapTrackConversion();
    viewManager_->SetupChart();
    // Tests hold the services back to make an early start certain.
    if (const char* delay = std::getenv("VELTARA_TEST_SERVICES_DELAY_MS"); delay && *delay)
        std::this_thread::sleep_for(std::chrono::milliseconds(std::clamp(std::atol(delay), 0L, 10000L)));
    controller_->StartServices(setup);
    // The volume slider belongs to the UI thread: its value is read there.
    // Posted to this window, the call is dropped if the window goes first.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (controller_ && viewManager_) controller_->SetVolume(viewManager_->GetVolumeSliderValue());
            if (dispatcher_) dispatcher_->OnServicesStarted();
            servicesStarted_.store(true);
        },
        Qt::QueuedConnection);
}

void CDuiFrameWnd::joinStartup() {
    if (startupThread_.joinable()) startupThread_.join();
}

void CDuiFrameWnd::OnDestroy() {
    if (dispatcher_) dispatcher_->Shutdown();
    joinStartup();
    closeDialogs();
    exporter_.reset();  // a running export is stopped and its partial folder removed
    repairer_.reset();  // a running repair is stopped and leaves nothing behind
    if (dispatcher_) dispatcher_->Stop();
    if (session_) {
        rememberCurrentClip();
        session_->Save(*this);
    }
}

void CDuiFrameWnd::rememberCurrentClip() {
    std::string path;
    if (viewManager_ && viewManager_->Playlist().Controller().GetCurrentPath(path)) {
        session_->RememberClip(path);
        viewManager_->Playlist().SetDialogFolder(session_->LastFolder());
    }
}

void CDuiFrameWnd::closeDialogs() {
    // A dialog still open would keep its own modal loop, and so the
    // program, running after the main window has gone.
    QList<QPointer<QWidget>> windows;
    for (QWidget* widget : findChildren<QWidget*>()) {
        if (widget->isWindow() && widget->isVisible()) windows << widget;
    }
    for (const QPointer<QWidget>& widget : windows) {
        if (!widget) continue;  // went with a window closed before it
        if (auto* xml = qobject_cast<ui::CXMLWnd*>(widget)) {
            xml->Close(ui::IDCANCEL);
        } else if (auto* dialog = qobject_cast<QDialog*>(widget)) {
            dialog->reject();
        } else {
            widget->close();
        }
    }
}

intptr_t CDuiFrameWnd::HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    const intptr_t result = CXMLWnd::HandleMessage(message, wParam, lParam);
    if (!dispatcher_) return result;
    switch (message) {
        case ui::WM_DROPFILES: {
            const auto* files = reinterpret_cast<const ui::DroppedFiles*>(wParam);
            dispatcher_->OnDropFiles(PlaylistView::ToLocalPaths(files ? files->paths : QStringList()));
            if (session_) rememberCurrentClip();
            return 0;
        }
        case platform::WM_PLAYER_EVENT:
            return OnPlayerMessage(wParam, lParam);
        case platform::WM_TRACK_EVENT:
            return OnTrackMessage(wParam, lParam);
        case platform::WM_TRACK_LIVE:
            return OnRecordMessage(wParam, lParam);
        case WM_PLAYLIST_DELETED:
            dispatcher_->OnPlaylistDeleted(viewManager_->Playlist().DeletedRow(wParam));
            return result;
        default:
            return result;
    }
}

intptr_t CDuiFrameWnd::OnPlayerMessage(uintptr_t wParam, intptr_t) {
    if (dispatcher_) dispatcher_->OnPlayerMessage(wParam);
    return 0;
}

intptr_t CDuiFrameWnd::OnTrackMessage(uintptr_t wParam, intptr_t) {
    if (dispatcher_) dispatcher_->OnTrackMessage(wParam);
    return 0;
}

intptr_t CDuiFrameWnd::OnRecordMessage(uintptr_t wParam, intptr_t lParam) {
    if (dispatcher_) dispatcher_->OnRecordMessage(wParam, lParam);
    return 0;
}

void CDuiFrameWnd::Notify(const ui::Notification& msg) {
    if (dispatcher_) {
        if (msg.type == QLatin1String(ui::UI_NOTIFY_ITEMACTIVATE)) {
            dispatcher_->OnItemActivate(viewManager_->Playlist().ActivatedRow(msg));
        } else if (msg.type == QLatin1String(ui::UI_NOTIFY_DBCLICK) && msg.lParam == kVideoDoubleClick) {
            dispatcher_->OnVideoDoubleClick();
        } else if (msg.type == QLatin1String(CWndUI::kVideoClickNotify) && reviewKeys_) {
            reviewKeys_->OnVideoClick(static_cast<double>(msg.wParam) / CWndUI::kVideoClickScale,
                                      static_cast<double>(msg.lParam) / CWndUI::kVideoClickScale);
        }
    }
    CXMLWnd::Notify(msg);
}

void CDuiFrameWnd::OnClick(const ui::Notification& msg) {
    if (dispatcher_) dispatcher_->OnClick(msg.senderName());
    if (reviewKeys_) reviewKeys_->OnClick(msg.senderName());
    CXMLWnd::OnClick(msg);
}

intptr_t CDuiFrameWnd::MessageHandler(uint32_t message, uintptr_t wParam, intptr_t lParam, bool& handled) {
    if (message != ui::WM_KEYDOWN) return 0;
    if (isKey(wParam, Qt::Key_Return) || isKey(wParam, Qt::Key_Enter) || isKey(wParam, Qt::Key_Escape))
        return CXMLWnd::MessageHandler(message, wParam, lParam, handled);
    if (isKey(wParam, Qt::Key_F8) && dispatcher_) dispatcher_->OnSnapshotKey();
    const auto modifiers = Qt::KeyboardModifiers::fromInt(static_cast<int>(lParam));
    if (isKey(wParam, Qt::Key_X) && (modifiers & ~Qt::KeypadModifier) == Qt::NoModifier && controller_ &&
        viewManager_) {
        // The stretch around the play position.
        std::string path;
        if (viewManager_->Playlist().Controller().GetCurrentPath(path))
            AskExport(path, static_cast<double>(controller_->GetPositionMs()) / 1000.0);
        handled = true;
        return 1;
    }
    if (isKey(wParam, Qt::Key_X) && (modifiers & ~Qt::KeypadModifier) == Qt::ShiftModifier) {
        if (configStore_) VerifyWindow::Open(*configStore_, this);
        handled = true;
        return 1;
    }
    handled = reviewKeys_ && reviewKeys_->Press(static_cast<int>(wParam), modifiers);
    return handled ? 1 : 0;
}

ExportRows CDuiFrameWnd::PlaylistRows() const {
    ExportRows rows;
    if (!viewManager_) return rows;
    const CPlaylistController& playlist = viewManager_->Playlist().Controller();
    const CPlayList& list = playlist.GetPlayList();
    for (int i = 0; i < list.GetCount(); ++i) {
        if (const PlayListEntry* entry = list.GetEntryAt(i)) {
            rows.paths.push_back(entry->path);
            rows.partners.push_back(playlist.PartnerPathOf(i));
            const std::vector<std::string> car = playlist.CarCamerasOf(i);
            rows.carCameras.insert(rows.carCameras.end(), car.begin(), car.end());
        }
    }
    return rows;
}

void CDuiFrameWnd::AskExport(const std::string& path, double seconds) {
    if (!exporter_ || !controller_) return;
    exporter_->Ask(PlaylistRows(), path, seconds, ShownCameras());
}

ExportInset CDuiFrameWnd::ShownCameras() const {
    ExportInset shown;
    if (!controller_) return shown;
    shown.mirror = controller_->IsPartnerMirrored();
    // A car's moment of more cameras: its layout as shown; else the other
    // camera is offered while the picture shows it.
    if (!controller_->GetCameras().empty()) {
        shown.layout = cameras::layoutForMany(controller_->GetCameraLayout());
        shown.large = controller_->GetLargeCamera();
    } else {
        shown.offered =
            !controller_->GetPartner().empty() && controller_->GetCameraLayout() != cameras::CameraLayout::Single;
    }
    return shown;
}

intptr_t CDuiFrameWnd::ResponseDefaultKeyEvent(uintptr_t key) {
    if (isKey(key, Qt::Key_Escape)) {
        // Leaves full-screen mode; the main window never closes on Escape.
        if (dispatcher_) dispatcher_->OnEscapeKey();
        return 1;
    }
    if (isKey(key, Qt::Key_Return)) {
        // Taken here: passed on, it would also activate the focused playlist
        // row and start the playing clip again from its beginning.
        if (dispatcher_) dispatcher_->OnReturnKey();
        return 1;
    }
    return CXMLWnd::ResponseDefaultKeyEvent(key);
}
