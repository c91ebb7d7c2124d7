#include "app/CViewManager.h"

#include "app/CWndUI.h"
#include "chart/CTreskChartUI.h"
#include "chart/TimelineStrip.h"
#include "dialogs/DialogText.h"
#include "dialogs/NoticeWindows.h"
#include "dialogs/OpenSettings.h"
#include "map/CWebBrowserUI.h"
#include "trackindex/TrackIndex.h"
#include "trip/EventSettings.h"
#include "ui/CXMLWnd.h"
#include "ui/ControlText.h"
#include "ui/EventSource.h"
#include "ui/SliderNotifier.h"
#include "ui/StyleState.h"

#include <QAbstractItemModel>
#include <QAbstractSlider>
#include <QComboBox>
#include <QToolTip>
#include <QVariant>

const std::array<const char*, 13> CViewManager::kButtonNames = {
    "btnClear", "btnFull", "btnSmall", "btnSShot", "btnSetting", "btnMute",  "btnVolume",
    "btnStop",  "btnPrev", "btnPlay",  "btnPause", "btnNext",    "btnLayout"};
const std::array<const char*, 8> CViewManager::kTextLabelNames = {
    "TitleLabel", "LabelLongitude",      "LabelLatitude", "LabelSpeed",
    "LabelTime",  "LabelPositionStatus", "labelPlayTime", "playlistHeader"};

namespace {
// The tooltips of the window's controls and their language keys; a key the
// language file lacks leaves the skin's tooltip.
constexpr std::pair<const char*, const char*> kToolTips[] = {
    {"sliderProgress", "IDS_TIP_POSITION"}, {"btnPrev", "IDS_TIP_PREV"},    {"btnPlay", "IDS_TIP_PLAY"},
    {"btnPause", "IDS_TIP_PAUSE"},          {"btnStop", "IDS_TIP_STOP"},    {"btnNext", "IDS_TIP_NEXT"},
    {"btnVolume", "IDS_TIP_MUTE"},          {"btnMute", "IDS_TIP_SOUNDON"}, {"sliderVolume", "IDS_TIP_VOLUME"},
    {"btnOpenBig", "IDS_TIP_OPEN"},         {"btnClear", "IDS_TIP_CLEAR"},  {"btnSShot", "IDS_TIP_SNAPSHOT"},
    {"btnSetting", "IDS_TIP_SETTINGS"},     {"btnFull", "IDS_TIP_FULL"},    {"btnSmall", "IDS_TIP_LEAVEFULL"},
    {"timelineStrip", "IDS_TIP_POSITION"},
    {"btnSpeed", "IDS_TIP_SPEED"}, {"btnLayout", "IDS_TIP_LAYOUT"},          {"btnKeys", "IDS_TIP_KEYS"},
};

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

void setVisible(QWidget* control, bool visible) {
    if (control) control->setVisible(visible);
}
}  // namespace

CViewManager::CViewManager(ui::CXMLWnd& window, ConfigStore& store, AppConfig& config, PlaybackControl& controller)
    : window_(window),
      store_(store),
      config_(config),
      controller_(controller),
      map_(config),
      tripReview_(playlist_.Controller(), TrackIndex::defaultPath(), EventSettings::read(store),
                  DisplayZone::parse(store.ReadConfigString("system", DisplayZone::kKey, ConfigStore::kSection))) {
    panel_.InitPanelTexts();
    trackViews_.Add(mapView_);
    trackViews_.Add(feed_);
    trackViews_.Add(vehicleFeed_);
    trackViews_.Add(tripReview_);
}

CViewManager::~CViewManager() {
    // The sliders may outlive the view manager by a little: they go with the window.
    if (controls_.sliderProgress && subscriptions_[0])
        ui::EventSource::of(controls_.sliderProgress)->unsubscribe(subscriptions_[0]);
    if (controls_.sliderVolume && subscriptions_[1])
        ui::EventSource::of(controls_.sliderVolume)->unsubscribe(subscriptions_[1]);
}

void CViewManager::Bind() {
    LoadMainTexts();
    lookUpControls();
    vehicleRows_ = std::make_unique<VehiclePanelRows>(window_.FindControl("PlayerGPSInfo"));
    chartMenu_ = std::make_unique<ChartShowsMenu>(
        chart(), [this] { return vehicleFeed_.Shows(); }, [this](ChartShows shows) { ChooseChartShows(shows); });
    mapView_.SetBrowser(browser());
    if (CWebBrowserUI* view = browser()) {
        tripLayer_.SetBrowser(view);
        mapClicks_.Attach(view->page());
    }
    map_.onEachPageLoad([this](ScriptHost&) { tripLayer_.Redraw(); });
    subscribeSlider(controls_.sliderVolume, false);
    SetVolumeSliderValue(config_.volume);
    subscribeSlider(controls_.sliderProgress, true);
    bindTimeline();
    ShowPanelTexts();
    playlist_.Bind(window_.FindControl("treePlaylist"));
    playlist_.Controller().LoadAcceptedExtensions(store_);
    ShowToolTipsAndHint();
    followPlaylistForHint();
    playlistTrips_.Bind(window_.FindControl("playlistReading"), window_.FindControl("playlistTrip"));
    tripReview_.SetUnits(config_.units);
    eventList_.Bind(window_.FindControl<QComboBox>("comboEvents"));
    tripReview_.Add(playlistTrips_);
    tripReview_.Add(eventList_);
    progressTicks_.Bind(controls_.sliderProgress);
    tripReview_.Add(progressTicks_);
    tripReview_.Add(tripLayer_);
    if (controls_.timelineStrip) tripReview_.Add(*controls_.timelineStrip);
    if (CPlayListTreeViewUI* tree = playlist_.GetTree()) tripReview_.Follow(tree->model());
    BuildOpenFilter();
    savedPlacement_ = window_.saveGeometry();
}

void CViewManager::lookUpControls() {
    auto find = [this](const char* name) { return QPointer<QWidget>(window_.FindControl(name)); };
    Controls& c = controls_;
    c.btnClear = find("btnClear");
    c.btnFull = find("btnFull");
    c.btnSmall = find("btnSmall");
    c.btnSShot = find("btnSShot");
    c.btnSetting = find("btnSetting");
    c.btnMute = find("btnMute");
    c.btnVolume = find("btnVolume");
    c.btnStop = find("btnStop");
    c.btnPrev = find("btnPrev");
    c.btnPlay = find("btnPlay");
    c.btnPause = find("btnPause");
    c.btnNext = find("btnNext");
    c.btnLayout = find("btnLayout");
    setVisible(c.btnLayout, false);
    c.sliderProgress = window_.FindControl<QAbstractSlider>("sliderProgress");
    c.sliderVolume = window_.FindControl<QAbstractSlider>("sliderVolume");
    c.timelineStrip = window_.FindControl<TimelineStrip>("timelineStrip");
    c.treePlaylist = find("treePlaylist");
    c.webMap = find("WebMap");
    c.accChart = find("accChart");
    c.wndMedia = window_.FindControl<CWndUI>("wndMedia");
    c.titleLabel = find("TitleLabel");
    c.labelLongitude = find("LabelLongitude");
    c.labelLatitude = find("LabelLatitude");
    c.labelSpeed = find("LabelSpeed");
    c.labelTime = find("LabelTime");
    c.labelPositionStatus = find("LabelPositionStatus");
    c.labelPlayTime = find("labelPlayTime");
    c.playlistHeader = find("playlistHeader");
}

void CViewManager::subscribeSlider(QAbstractSlider* slider, bool seek) {
    if (!slider) return;
    // Only the user's moves notify (program-set values do not), so showing
    // the play position never seeks.
    const int id = ui::EventSource::of(slider)->subscribe([this, slider, seek](const ui::Notification& msg) {
        if (msg.type == QLatin1String(ui::UI_NOTIFY_VALUECHANGED) && msg.sender == slider) {
            if (seek) {
                // A refused seek leaves the handle where the played position is.
                if (controller_.Seek(slider->value()) != 0) SetProgressValue(controller_.GetPosition());
            } else {
                controller_.SetVolume(slider->value());
            }
        }
        return true;
    });
    subscriptions_[seek ? 0 : 1] = id;
}

void CViewManager::bindTimeline() {
    TimelineStrip* strip = controls_.timelineStrip;
    if (!strip) return;
    strip->SetSeekHandler([this](int32_t seconds) {
        // As the slider: the new moment at once, or back to the played one.
        controller_.Seek(seconds);
        UpdatePlayTime(controller_.GetPosition());
    });
    showTimelineUnits();
}

void CViewManager::showTimelineUnits() {
    TimelineStrip* strip = controls_.timelineStrip;
    if (!strip) return;
    const PanelTexts::Labels labels = PanelTexts::ReadLabels(store_);
    strip->SetUnitTexts(fromUtf8(labels.speedUnit), fromUtf8(labels.imperialSpeedUnit));
}

// ---- Texts ----

void CViewManager::LoadMainTexts() {
    panel_.SetLabels(PanelTexts::ReadLabels(store_));
    panel_.SetUnits(config_.units);
    panel_.SetZone(config_.displayZone);
    panel_.InitPanelTexts();
    vehicleTexts_.SetWords(VehiclePanelTexts::ReadWords(store_));
    loadProblemTexts();
    loadTripTexts();
}

void CViewManager::loadProblemTexts() {
    auto text = [this](const char* key) { return fromUtf8(store_.ReadLanguageString(key, PanelTexts::kSection)); };
    playlist_.SetProblemTexts(
        {QString(), text("IDS_CLIP_EMPTY"), text("IDS_CLIP_UNPLAYABLE"), text("IDS_CLIP_NOVIDEO"),
         text("IDS_CLIP_CUTSHORT")});
}

void CViewManager::loadTripTexts() {
    PlaylistTripFigures::Texts texts;
    auto read = [this](const char* key, QString& text) {
        const std::string value = store_.ReadLanguageString(key, PanelTexts::kSection);
        if (!value.empty()) text = fromUtf8(value);
    };
    read("IDS_READING_TRACKS", texts.reading);
    read("IDS_TRIP_FIGURES", texts.figures);
    read("IDS_TRIP_SPAN", texts.span);
    read("IDS_TRIP_DISTANCE", texts.distance);
    read("IDS_TRIP_JUMP", texts.jump);
    read("IDS_TRIP_NOTRACK", texts.noTrack);
    read("IDS_TRIP_NODATA", texts.noData);
    read("IDS_TRIP_FORMAT", texts.format);
    read("IDS_KMH", texts.kmh);
    read("IDS_MPH", texts.mph);
    read("IDS_DECIMAL", texts.decimalSign);
    playlistTrips_.SetTexts(std::move(texts));

    PlaylistEventList::Texts events;
    read("IDS_EVENTS", events.title);
    read("IDS_EVENTS_LEFT_OUT", events.leftOut);
    read("IDS_EVENT_LINE", events.line);
    read("IDS_EVENT_BRAKE", events.brake);
    read("IDS_EVENT_ACCEL", events.accel);
    read("IDS_EVENT_IMPACT", events.impact);
    read("IDS_DECIMAL", events.decimalSign);
    read("IDS_KEY_VERIFY", events.verify);
    eventList_.SetTexts(std::move(events));
}

void CViewManager::ShowPanelTexts() {
    const Controls& c = controls_;
    ui::setControlText(c.titleLabel, fromUtf8(panel_.title()));
    ui::setControlText(c.labelLongitude, fromUtf8(panel_.longitudeLine()));
    ui::setControlText(c.labelLatitude, fromUtf8(panel_.latitudeLine()));
    ui::setControlText(c.labelSpeed, fromUtf8(panel_.speedLine()));
    ui::setControlText(c.labelTime, fromUtf8(panel_.timeLine()));
    ui::setControlText(c.labelPositionStatus, fromUtf8(panel_.statusLine()));
    ui::setControlText(c.labelPlayTime, fromUtf8(panel_.playTime()));
    ui::setControlText(c.playlistHeader, fromUtf8(panel_.playlistHeader()));
    // The style sheet colours the status line by the fix state.
    ui::setStyleState(c.labelPositionStatus, "gpsFix", panel_.trackKnown() ? QVariant(panel_.hasFix()) : QVariant());
}

void CViewManager::BuildOpenFilter() {
    const std::string description = store_.ReadLanguageString("IDS_FILTER", PanelTexts::kSection);
    std::string value = store_.ReadConfigString(OpenFilter::kDefaultPattern, "Filter");
    if (value.empty()) {
        value = OpenFilter::kDefaultPattern;
        store_.WriteConfigString(value, "Filter");
    }
    openFilter_ = OpenFilter(description, value);
}

QString CViewManager::GetOpenNameFilter() const {
    return fromUtf8(openFilter_.nameFilter());
}

void CViewManager::ShowToolTipsAndHint() {
    for (const auto& [name, key] : kToolTips) {
        const std::string tip = store_.ReadLanguageString(key, PanelTexts::kSection);
        QWidget* control = window_.FindControl(name);
        if (control && !tip.empty()) control->setToolTip(DialogText::plainToolTip(fromUtf8(tip)));
    }
    videoHint_ = fromUtf8(store_.ReadLanguageString("IDS_VIDEO_HINT", PanelTexts::kSection));
    updateVideoHint();
    if (CTreskChartUI* accChart = chart())
        accChart->SetNoDataText(fromUtf8(store_.ReadLanguageString("IDS_NO_GSENSOR_DATA", PanelTexts::kSection)));
    if (chartMenu_) {
        const auto text = [this](const char* key) {
            return fromUtf8(store_.ReadLanguageString(key, PanelTexts::kSection));
        };
        chartMenu_->SetTexts({text("IDS_CHART_SHOW_G"), text("IDS_CHART_SHOW_CAR"), text("IDS_CHART_SHOW_BOTH")});
    }
}

void CViewManager::followPlaylistForHint() {
    CPlayListTreeViewUI* tree = playlist_.GetTree();
    if (!tree) return;
    QAbstractItemModel* model = tree->model();
    // The tree is the context: the connections end with it.
    QObject::connect(model, &QAbstractItemModel::rowsInserted, tree, [this] { updateVideoHint(); });
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, tree, [this] { updateVideoHint(); });
    QObject::connect(model, &QAbstractItemModel::modelReset, tree, [this] { updateVideoHint(); });
}

void CViewManager::updateVideoHint() {
    if (!controls_.wndMedia) return;
    // Where to begin, as long as there is nothing to play.
    CPlayListTreeViewUI* tree = playlist_.GetTree();
    const bool empty = !tree || tree->GetCount() == 0;
    controls_.wndMedia->SetHint(videoHint_, empty);
}

void CViewManager::RelabelMainTexts() {
    panel_.SetLabels(PanelTexts::ReadLabels(store_));
    panel_.SetUnits(config_.units);
    panel_.SetZone(config_.displayZone);
    panel_.RelabelPanel();
    vehicleTexts_.SetWords(VehiclePanelTexts::ReadWords(store_));
    if (vehicleRows_) vehicleRows_->Show(vehicleTexts_);
    if (CWebBrowserUI* view = browser()) map_.showUnits(*view);
    tripReview_.SetUnits(config_.units);
    showTimelineUnits();
    ShowPanelTexts();
    loadProblemTexts();
    loadTripTexts();
    ShowToolTipsAndHint();
    // The open filter keeps the language of the start.
}

void CViewManager::OpenSettings() {
    // After OK with another language the window points the store at the new
    // file; the texts are then read again, as after other units.
    dialogs::OpenSettings(&window_, config_, store_, store_.programFolder(), [this] { RelabelMainTexts(); });
}

// ---- Playback widgets ----

int64_t CViewManager::GetVideoWindow() const {
    return controls_.wndMedia ? static_cast<int64_t>(controls_.wndMedia->GetVideoWindowId()) : 0;
}

void CViewManager::ShowPlayButton(bool play) {
    setVisible(controls_.btnPlay, play);
    setVisible(controls_.btnPause, !play);
}

void CViewManager::ShowLayoutButton(bool shown) {
    setVisible(controls_.btnLayout, shown);
}

// A passing note at the volume button, not a dialog: the picture plays on,
// and the button's tip keeps saying it.
void CViewManager::ShowNoSoundNotice() {
    lastNotice_ = DialogText::plainToolTip(fromUtf8(store_.ReadLanguageString("IDS_NO_SOUND_OUTPUT", PanelTexts::kSection)));
    for (QWidget* button : {static_cast<QWidget*>(controls_.btnVolume), static_cast<QWidget*>(controls_.btnMute)}) {
        if (!button) continue;
        button->setToolTip(lastNotice_);
        if (button->isVisible()) QToolTip::showText(button->mapToGlobal(QPoint(0, 0)), lastNotice_, button);
    }
}

void CViewManager::ShowVolumeButton(bool volume) {
    setVisible(controls_.btnVolume, volume);
    setVisible(controls_.btnMute, !volume);
}

void CViewManager::SetProgressValue(int32_t seconds) {
    ui::SliderNotifier::setProgramValue(controls_.sliderProgress, seconds);
    if (controls_.timelineStrip) controls_.timelineStrip->SetPosition(seconds);
}

void CViewManager::SetProgressMax(int32_t seconds) {
    if (controls_.sliderProgress) controls_.sliderProgress->setMaximum(seconds);
    if (controls_.timelineStrip) controls_.timelineStrip->SetLength(seconds);
}

int32_t CViewManager::GetVolumeSliderValue() const {
    return controls_.sliderVolume ? controls_.sliderVolume->value() : 0;
}

void CViewManager::SetVolumeSliderValue(int32_t volume) {
    ui::SliderNotifier::setProgramValue(controls_.sliderVolume, volume);
}

void CViewManager::SetVideoAspect(double aspect) {
    if (!controls_.wndMedia) return;
    controls_.wndMedia->SetAspect(aspect);
    controls_.wndMedia->UpdateVideoPlacement();
}

// ---- Panel and play time ----

void CViewManager::StartPlayTime(int32_t lengthSeconds) {
    panel_.StartPlayTime(lengthSeconds);
    ShowPanelTexts();
}

void CViewManager::UpdatePlayTime(int32_t positionSeconds) {
    panel_.UpdatePlayTime(positionSeconds);
    ShowPanelTexts();
    SetProgressValue(positionSeconds);
}

void CViewManager::ResetPlayTime() {
    if (controls_.sliderProgress) controls_.sliderProgress->setRange(0, 0);
    if (controls_.timelineStrip) controls_.timelineStrip->Reset();
    panel_.ResetPlayTime();
    ShowPanelTexts();
}

void CViewManager::ShowRecord(const TrackRecord& record) {
    panel_.ShowRecord(record);
    ShowPanelTexts();
}

void CViewManager::ShowNoFix() {
    panel_.ShowNoFix();
    ShowPanelTexts();
}

void CViewManager::ChooseChartShows(ChartShows shows) {
    vehicleFeed_.Show(shows);
    store_.WriteConfigString(chartShowsName(shows), kChartShowsKey);
}

void CViewManager::ShowVehicle(const std::optional<VehicleChannels>& channels) {
    vehicleTexts_.Show(channels);
    if (vehicleRows_) vehicleRows_->Show(vehicleTexts_);
}

// ---- Map and chart ----

CWebBrowserUI* CViewManager::browser() const {
    return qobject_cast<CWebBrowserUI*>(controls_.webMap.data());
}

void CViewManager::LoadMapPage() {
    // Without the browser control there is no page to show.
    if (CWebBrowserUI* view = browser()) map_.startUp(*view, store_, store_.programFolder());
}

CTreskChartUI* CViewManager::chart() const {
    return qobject_cast<CTreskChartUI*>(controls_.accChart.data());
}

void CViewManager::SetupChart() {
    feed_.Setup(chart(), 0, 4000);
    vehicleFeed_.Setup(chart(), chartShowsFromName(store_.ReadConfigString("g", kChartShowsKey)));
}

// ---- Windows ----

std::string CViewManager::ChooseMediaFile() {
    return playlist_.ChooseMediaFile(&window_, GetOpenNameFilter());
}

bool CViewManager::ConfirmClear() {
    return dialogs::ConfirmClear(&window_, config_, store_);
}

void CViewManager::ShowSnapshotPreview(const std::string& path, int32_t width, int32_t height) {
    dialogs::ShowSnapshotPreview(&window_, config_, store_, path, width, height);
}

void CViewManager::ShowSnapshotPath(const std::string& path) {
    dialogs::ShowSnapshotPath(&window_, store_, path);
}

// ---- Full-screen mode ----

std::array<QWidget*, 3> CViewManager::fullScreenPanels() const {
    std::array<QWidget*, 3> panels{window_.FindControl("PlayerBoardRight"), window_.FindControl("accChart"),
                                   window_.FindControl("PlayerGPSInfo")};
    for (QWidget* panel : panels) {
        if (!panel) return {nullptr, nullptr, nullptr};
    }
    return panels;
}

void CViewManager::EnterFullScreen() {
    const auto panels = fullScreenPanels();
    if (fullScreen_) return;
    savedPlacement_ = window_.saveGeometry();
    window_.showFullScreen();
    for (QWidget* panel : panels) setVisible(panel, false);
    setVisible(controls_.btnFull, false);
    setVisible(controls_.btnSmall, true);
    fullScreen_ = true;
}

void CViewManager::LeaveFullScreen() {
    const auto panels = fullScreenPanels();
    if (!fullScreen_) return;
    window_.showNormal();
    // Also brings back a maximised window as maximised.
    window_.restoreGeometry(savedPlacement_);
    for (QWidget* panel : panels) setVisible(panel, true);
    setVisible(controls_.btnFull, true);
    setVisible(controls_.btnSmall, false);
    fullScreen_ = false;
}
