#pragma once
// The view side of the main window: the named controls of its skin, the
// texts of the title, the information panel, the play time and the playlist
// header, the open dialog's filter, full-screen mode, and the places where
// the map display, the acceleration and car feeds of the chart, the playlist and the dialogs join
// the window. The handler sequences reach its widgets through MainView, the
// map and the chart through TrackViews, the playlist through its controller.
//
// Threads: UI thread only, except LoadMapPage, SetupChart and
// MapTrackConversion, which the start-up thread runs once Bind() is done
// (the browser queues its calls for the UI thread, the chart changes its
// series under its own lock, the map display publishes its loader
// atomically), and GetVideoWindow.
// Lifecycle: created by the main window in InitWindow, bound to the window's
// controls by Bind(), destroyed with the window.
#include "app/MainView.h"
#include "app/ProgressEventTicks.h"
#include "app/TripReview.h"
#include "app/VehiclePanelRows.h"
#include "chart/CAccelerationFeed.h"
#include "chart/CVehicleFeed.h"
#include "chart/ChartShowsMenu.h"
// QPointer needs the whole class.
#include "chart/TimelineStrip.h"
#include "config/AppConfig.h"
#include "config/ConfigStore.h"
#include "config/OpenFilter.h"
#include "map/CMapDisplay.h"
#include "map/MapClickBridge.h"
#include "map/MapTrackView.h"
#include "map/MapTripLayer.h"
#include "panel/PanelTexts.h"
#include "panel/VehiclePanelTexts.h"
#include "player/PlaybackControl.h"
// PlaylistView.h holds the tree in inline QPointer code, which needs the whole class.
#include "playlist/CPlayListTreeViewUI.h"
#include "playlist/PlaylistEventList.h"
#include "playlist/PlaylistTripFigures.h"
#include "playlist/PlaylistView.h"
#include "track/TrackMapConversion.h"
#include "track/TrackViews.h"

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <array>
#include <memory>

class CTreskChartUI;
class CWebBrowserUI;
class CWndUI;
class QAbstractSlider;
class QWidget;
namespace ui {
class CXMLWnd;
}

class CViewManager final : public MainView {
public:
    // The buttons of the main window, and the labels the panel texts go to.
    static const std::array<const char*, 13> kButtonNames;
    static const std::array<const char*, 8> kTextLabelNames;

    CViewManager(ui::CXMLWnd& window, ConfigStore& store, AppConfig& config, PlaybackControl& controller);
    ~CViewManager() override;
    CViewManager(const CViewManager&) = delete;
    CViewManager& operator=(const CViewManager&) = delete;

    // Binds to the window's controls: texts, control look-up, the slider
    // handlers, the configured volume on its slider, the playlist tree and
    // its accepted extensions, the open filter, and
    // the window placement full-screen mode restores.
    void Bind();

    // Language texts of the main window, and the panel lines built from them.
    void LoadMainTexts();
    void ShowPanelTexts();
    void BuildOpenFilter();
    const OpenFilter& GetOpenFilter() const { return openFilter_; }
    // The filter as the file dialog takes it.
    QString GetOpenNameFilter() const;
    const PanelTexts& Panel() const { return panel_; }
    const VehiclePanelTexts& VehiclePanel() const { return vehicleTexts_; }
    ChartShows ChartShown() const { return vehicleFeed_.Shows(); }
    // What the chart's menu does: draw the choice and keep it in the settings.
    void ChooseChartShows(ChartShows shows);
    // Re-reads the texts from the current language file and shows them,
    // each panel line with its last value.
    void RelabelMainTexts();
    // The controls' tooltips and the video area's hint in the current
    // language; the hint shows while the playlist is empty.
    void ShowToolTipsAndHint();

    // The native window the player draws into; 0 without one. Any thread.
    int64_t GetVideoWindow() const;

    // Start-up steps, on the start-up thread: the map page of the "Map"
    // setting in "WebMap", the acceleration feed on "accChart".
    void LoadMapPage();
    void SetupChart();
    // The datum of the map page LoadMapPage chose, for the extraction.
    TrackMapConversion MapTrackConversion() const { return map_.trackConversion(); }

    // The seams the handler sequences use besides MainView.
    PlaylistView& Playlist() { return playlist_; }
    const PlaylistView& Playlist() const { return playlist_; }
    TrackViews& Views() { return trackViews_; }
    // The playlist's trips; the trip displays are added to it.
    TripReview& Trips() { return tripReview_; }
    const TripReview& Trips() const { return tripReview_; }
    const PlaylistTripFigures& TripFigures() const { return playlistTrips_; }
    const CMapDisplay& MapDisplay() const { return map_; }
    // The strip under the progress slider; null when the skin has none.
    TimelineStrip* Timeline() const { return controls_.timelineStrip; }
    // The map's trip layer (a trip display) and the clicks on the map.
    MapTripLayer& TripLayer() { return tripLayer_; }
    MapClickBridge& MapClicks() { return mapClicks_; }
    PlaylistEventList& EventList() { return eventList_; }
    const PlaylistEventList& EventList() const { return eventList_; }
    const ProgressEventTicks& ProgressTicks() const { return progressTicks_; }

    int32_t GetVolumeSliderValue() const;

    // MainView.
    void ShowPlayButton(bool play) override;
    void ShowLayoutButton(bool shown) override;
    void ShowNoSoundNotice() override;
    // The last notice shown beside the controls; empty when none was.
    QString LastNotice() const { return lastNotice_; }
    void ShowVolumeButton(bool volume) override;
    void SetProgressValue(int32_t seconds) override;
    void SetProgressMax(int32_t seconds) override;
    void SetVolumeSliderValue(int32_t volume) override;
    void SetVideoAspect(double aspect) override;
    void StartPlayTime(int32_t lengthSeconds) override;
    void UpdatePlayTime(int32_t positionSeconds) override;
    void ResetPlayTime() override;
    void ShowRecord(const TrackRecord& record) override;
    void ShowNoFix() override;
    void ShowVehicle(const std::optional<VehicleChannels>& channels) override;
    std::string ChooseMediaFile() override;
    void OpenSettings() override;
    bool ConfirmClear() override;
    void ShowSnapshotPreview(const std::string& path, int32_t width, int32_t height) override;
    void ShowSnapshotPath(const std::string& path) override;
    void EnterFullScreen() override;
    void LeaveFullScreen() override;
    bool IsFullScreen() const override { return fullScreen_; }

private:
    struct Controls {
        QPointer<QWidget> btnClear, btnFull, btnSmall, btnSShot, btnSetting, btnMute, btnVolume, btnStop, btnPrev,
            btnPlay, btnPause, btnNext, btnLayout;
        QPointer<QAbstractSlider> sliderProgress, sliderVolume;
        QPointer<TimelineStrip> timelineStrip;
        QPointer<QWidget> treePlaylist, webMap, accChart;
        QPointer<CWndUI> wndMedia;
        QPointer<QWidget> titleLabel, labelLongitude, labelLatitude, labelSpeed, labelTime, labelPositionStatus,
            labelPlayTime, playlistHeader;
    };

    void lookUpControls();
    // The playlist's tool-tip texts for clips that did not play.
    void loadProblemTexts();
    // The playlist's texts of the trips: reading progress, figures, row details.
    void loadTripTexts();
    void followPlaylistForHint();
    void updateVideoHint();
    void subscribeSlider(QAbstractSlider* slider, bool seek);
    // The strip seeks as the progress slider does; its unit texts in the current language.
    void bindTimeline();
    void showTimelineUnits();
    CWebBrowserUI* browser() const;
    CTreskChartUI* chart() const;
    // The three panels full-screen mode hides; all null unless all exist.
    std::array<QWidget*, 3> fullScreenPanels() const;

    ui::CXMLWnd& window_;
    ConfigStore& store_;
    AppConfig& config_;
    PlaybackControl& controller_;
    Controls controls_;
    PanelTexts panel_;
    VehiclePanelTexts vehicleTexts_;
    std::unique_ptr<VehiclePanelRows> vehicleRows_;
    OpenFilter openFilter_;
    CMapDisplay map_;
    MapTrackView mapView_{map_};
    MapTripLayer tripLayer_{map_};
    MapClickBridge mapClicks_{tripLayer_};
    PlaylistView playlist_;
    CAccelerationFeed feed_;
    CVehicleFeed vehicleFeed_;
    std::unique_ptr<ChartShowsMenu> chartMenu_;
    PlaylistTripFigures playlistTrips_{playlist_};
    PlaylistEventList eventList_;
    ProgressEventTicks progressTicks_;
    TripReview tripReview_;  // after the playlist it follows and the displays it tells
    TrackViews trackViews_;  // the map, then the chart, then the trip review
    bool fullScreen_ = false;
    QByteArray savedPlacement_;
    QString videoHint_;                       // in the current language
    QString lastNotice_;
    std::array<int, 2> subscriptions_{0, 0};  // progress, volume
};
