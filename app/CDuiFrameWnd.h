#pragma once
// CDuiFrameWnd: the main window, built from the skin "Zemta.xml". It creates
// the configuration, the playback controller and the view manager, runs the
// start-up sequence, hands every click, key, drop and worker message to the
// dispatcher, and stops playback when it closes.
//
// Threads: the UI thread runs everything here, except the start-up thread's
// body: it opens the map page, sets up the chart and starts the controller's
// services, never waiting for the UI thread, and is joined before the
// window's objects go. Workers reach the window only through its handle
// (GetHWND), by posting or sending window messages.
// Start and stop: Create() builds the skin and calls InitWindow. Closing
// detaches the window handle first (a worker's send is answered at once
// from then on), then OnDestroy joins the start-up thread, closes any dialog
// still open and stops the player and the extraction. The controller's live
// parser ends with the window object.
#include "app/CViewManager.h"
#include "app/ClipRepairer.h"
#include "app/EvidenceExporter.h"
#include "app/ControlFactory.h"
#include "app/MainDispatcher.h"
#include "app/ReviewKeys.h"
#include "app/WindowSession.h"
#include "config/AppConfig.h"
#include "config/ConfigStore.h"
#include "player/CPlaybackController.h"
#include "ui/CXMLWnd.h"

#include <memory>
#include <string>
#include <thread>


class CDuiFrameWnd : public ui::CXMLWnd {
    Q_OBJECT
public:
    static constexpr const char* kSkinFile = "Zemta.xml";
    static constexpr const char* kTitle = "Veltara DVR Player";
    // What the video host sends as lParam of a double-click on the video.
    static constexpr intptr_t kVideoDoubleClick = 8;

    // programFolder ends in "/": the configuration defaults, the language
    // files, the player and the converter are found there.
    explicit CDuiFrameWnd(std::string programFolder);
    ~CDuiFrameWnd() override;

    // Hooks for the controls other modules make; set before Create. The
    // constructor installs the chart and the map's browser.
    ControlFactory& Factory() { return factory_; }

    void InitWindow() override;
    void OnDestroy() override;
    intptr_t HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    void Notify(const ui::Notification& msg) override;
    void OnClick(const ui::Notification& msg) override;
    intptr_t MessageHandler(uint32_t message, uintptr_t wParam, intptr_t lParam, bool& handled) override;
    intptr_t ResponseDefaultKeyEvent(uintptr_t key) override;
    QWidget* CreateControl(const QString& className, QWidget* parent) override;

    intptr_t OnTrackMessage(uintptr_t wParam, intptr_t lParam);
    intptr_t OnPlayerMessage(uintptr_t wParam, intptr_t lParam);
    intptr_t OnRecordMessage(uintptr_t wParam, intptr_t lParam);

    // Null before InitWindow.
    CViewManager* ViewManager() const { return viewManager_.get(); }
    CPlaybackController* Controller() const { return controller_.get(); }
    MainDispatcher* Dispatcher() const { return dispatcher_.get(); }
    AppConfig* Config() const { return config_.get(); }
    ConfigStore* Store() const { return configStore_.get(); }
    EvidenceExporter* Exporter() const { return exporter_.get(); }
    ClipRepairer* Repairer() const { return repairer_.get(); }
    // Asks for an export around a moment of a playlist clip.
    void AskExport(const std::string& path, double seconds);
    // The playlist's clips, in order, with the other camera of each.
    ExportRows PlaylistRows() const;
    // How the other cameras join an export as the picture shows them now.
    ExportInset ShownCameras() const;
    // True once the start-up thread has done its work and clips start at once.
    bool ServicesStarted() const { return servicesStarted_.load(); }

private:
    void startServices(PlaybackSetup setup);
    void joinStartup();
    void closeDialogs();
    // The folder of the playlist's current clip is the one last opened.
    void rememberCurrentClip();

    std::string programFolder_;
    ControlFactory factory_;
    std::unique_ptr<ConfigStore> configStore_;
    std::unique_ptr<AppConfig> config_;
    std::unique_ptr<CPlaybackController> controller_;
    std::unique_ptr<CViewManager> viewManager_;
    std::unique_ptr<MainDispatcher> dispatcher_;
    std::unique_ptr<ReviewKeys> reviewKeys_;
    std::unique_ptr<EvidenceExporter> exporter_;
    std::unique_ptr<ClipRepairer> repairer_;
    std::unique_ptr<WindowSession> session_;
    std::thread startupThread_;
    std::atomic<bool> servicesStarted_{false};
};
