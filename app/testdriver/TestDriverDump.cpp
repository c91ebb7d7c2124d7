#include "app/testdriver/TestDriverDump.h"

#include "app/CDuiFrameWnd.h"
#include "app/EvidenceExporter.h"
#include "chart/CTreskChartUI.h"
#include "chart/TimelineStrip.h"
#include "config/UnitSystem.h"
#include "map/CWebBrowserUI.h"
#include "panel/VehiclePanelTexts.h"
#include "ui/ControlText.h"

#include "map/ScriptErrors.h"

#include <QAbstractSlider>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <memory>
#include <optional>

namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

QString problemName(ClipProblem problem) {
    switch (problem) {
        case ClipProblem::Empty:
            return QStringLiteral("empty");
        case ClipProblem::Unplayable:
            return QStringLiteral("unplayable");
        case ClipProblem::NoVideo:
            return QStringLiteral("novideo");
        case ClipProblem::CutShort:
            return QStringLiteral("cut");
        case ClipProblem::None:
            break;
    }
    return {};
}

QJsonObject sliderState(const QAbstractSlider* slider) {
    if (!slider) return {{"value", QJsonValue()}, {"max", QJsonValue()}};
    return {{"value", slider->value()}, {"max", slider->maximum()}};
}

}  // namespace

QJsonObject TestDriverDump::Dump() const {
    QJsonObject dump;
    dump.insert("title", window_.windowTitle());
    const CViewManager* view = window_.ViewManager();
    dump.insert("fullscreen", view && view->IsFullScreen());
    // The units the panel shows.
    const std::string_view units = Units::name(view ? view->Panel().units() : UnitSystem::Metric);
    dump.insert("units", QString::fromLatin1(units.data(), static_cast<qsizetype>(units.size())));
    const QRect normal = window_.normalGeometry().isValid() ? window_.normalGeometry() : window_.geometry();
    dump.insert("geometry", QJsonObject{{"x", normal.x()},
                                        {"y", normal.y()},
                                        {"width", normal.width()},
                                        {"height", normal.height()},
                                        {"maximized", window_.isMaximized()}});

    QJsonObject labels;
    for (const char* name : CViewManager::kTextLabelNames)
        labels.insert(name, ui::controlText(window_.FindControl(name)));
    dump.insert("labels", labels);
    // The car's rows as shown: a hidden row (no such channel) is null.
    QJsonObject vehicle;
    for (const char* name : VehiclePanelTexts::kLabelNames) {
        const QWidget* row = window_.FindControl(name);
        vehicle.insert(name, row && row->isVisibleTo(&window_) ? QJsonValue(ui::controlText(row)) : QJsonValue());
    }
    dump.insert("vehicle", vehicle);
    dump.insert("notice", view ? view->LastNotice() : QString());

    QJsonObject visible;
    for (const char* name : CViewManager::kButtonNames) {
        const QWidget* button = window_.FindControl(name);
        visible.insert(name, button && button->isVisibleTo(&window_));
    }
    dump.insert("visible", visible);

    dump.insert("sliders",
                QJsonObject{{"sliderProgress", sliderState(window_.FindControl<QAbstractSlider>("sliderProgress"))},
                            {"sliderVolume", sliderState(window_.FindControl<QAbstractSlider>("sliderVolume"))}});

    QJsonObject player{{"state", 0}, {"pid", 0}, {"length", 0}, {"position", 0}, {"speed", 1.0}, {"positionMs", 0}};
    QJsonObject track{{"readyPages", 0}, {"shownPages", 0}};
    if (CPlaybackController* controller = window_.Controller()) {
        player = {{"state", static_cast<int>(controller->GetPlayerState())},
                  {"pid", static_cast<qint64>(controller->GetPlayerProcessId())},
                  {"length", controller->GetLength()},
                  {"position", controller->GetPosition()},
                  {"speed", controller->GetSpeed()},
                  {"positionMs", static_cast<qint64>(controller->GetPositionMs())}};
        const TrackStore& store = controller->Store();
        track = {{"readyPages", store.getReadyPages()}, {"shownPages", store.getShownPages()}};
    }
    dump.insert("player", player);
    QJsonObject cameras{{"main", QJsonValue::Null}, {"partner", QJsonValue::Null}, {"cameras", QJsonArray()},
                        {"layout", "inset"},  {"mirror", false},           {"large", QJsonValue::Null}};
    if (CPlaybackController* controller = window_.Controller()) {
        if (controller->GetPlayerState() != PlayerState::Idle)
            cameras.insert("main", QString::fromStdString(controller->GetClip()));
        if (const std::string partner = controller->GetPartner(); !partner.empty())
            cameras.insert("partner", QString::fromStdString(partner));
        // A car's moment: all its cameras in the picture, in a layout of its own.
        QJsonArray all;
        for (const std::string& path : controller->GetCameras()) all.append(QString::fromStdString(path));
        const cameras::CameraLayout layout = all.isEmpty() ? controller->GetCameraLayout()
                                                            : cameras::layoutForMany(controller->GetCameraLayout());
        cameras.insert("cameras", all);
        cameras.insert("layout", QString::fromUtf8(cameras::layoutName(layout)));
        cameras.insert("mirror", controller->IsPartnerMirrored());
        if (const auto large = controller->GetLargeCamera(); large != cameras::CameraChannel::None)
            cameras.insert("large", QString::fromUtf8(cameras::channelName(large)));
    }
    dump.insert("cameras", cameras);
    dump.insert("track", track);
    dump.insert("playlist", playlist());
    dump.insert("map", map());
    dump.insert("chart", chart());
    dump.insert("trip", trip());
    dump.insert("events", events());
    dump.insert("reading", reading());
    dump.insert("timeline", timeline());
    QJsonObject exported{
        {"state", "idle"}, {"progress", 0.0}, {"folder", QString()}, {"error", QString()}, {"openFolder", false}};
    if (const EvidenceExporter* exporter = window_.Exporter())
        exported = {{"state", EvidenceExporter::StateName(exporter->GetState())},
                    {"progress", exporter->Progress()},
                    {"folder", exporter->Folder()},
                    {"error", exporter->Error()},
                    {"openFolder", exporter->OffersOpenFolder()}};
    dump.insert("export", exported);
    addPageState(dump);
    return dump;
}

void TestDriverDump::addPageState(QJsonObject& dump) const {
    // The page is asked last and once. Its answer covers every call the
    // program made before the fields above were read; waiting for it runs
    // the event loop, so nothing of the program is read after it.
    QJsonObject map = dump["map"].toObject();
    auto* browser = qobject_cast<CWebBrowserUI*>(window_.FindControl("WebMap"));
    if (!map["loaded"].toBool() || !browser) return;
    const QJsonObject page = pageState(*browser);
    map.insert("marker", pageMarker(page));
    dump.insert("map", map);
    if (!dump["trip"].isObject()) return;
    QJsonObject trip = dump["trip"].toObject();
    trip.insert("routePoints", page.value("tripPoints").toInt());
    trip.insert("eventMarks", page.value("tripEvents").toInt());
    trip.insert("eventPlaces", page.value("tripEventPlaces").toArray());
    dump.insert("trip", trip);
}

QJsonObject TestDriverDump::playlist() const {
    QJsonArray rows;
    int current = -1;
    if (const CViewManager* view = window_.ViewManager()) {
        const CPlayList& list = view->Playlist().Controller().GetPlayList();
        const CPlayListTreeViewUI* tree = view->Playlist().GetTree();
        for (int i = 0; i < list.GetCount(); ++i) {
            const PlayListEntry* entry = list.GetEntryAt(i);
            const CPlayListNodeUI* node = tree ? tree->GetNodeAt(i) : nullptr;
            rows.append(QJsonObject{{"name", fromUtf8(entry ? entry->name : std::string())},
                                    {"path", fromUtf8(entry ? entry->path : std::string())},
                                    {"problem", problemName(entry ? entry->problem : ClipProblem::None)},
                                    {"cut", entry && entry->problem == ClipProblem::CutShort},
                                    {"repaired_from", fromUtf8(entry ? entry->repairedFrom : std::string())},
                                    {"toolTip", node ? node->GetToolTip() : QString()},
                                    {"trackDetails", node ? node->GetTrackDetails() : QString()},
                                    {"startsTrip", node && node->StartsTrip()},
                                    {"partnerOf", view->Playlist().Controller().PartnerOf(i)}});
        }
        current = list.GetCurrent();
    }
    QJsonObject repair;
    if (const ClipRepairer* repairer = window_.Repairer())
        repair = {{"state", ClipRepairer::StateName(repairer->GetState())},
                  {"progress", repairer->Progress()},
                  {"copy", repairer->Copy()},
                  {"error", repairer->Error()}};
    return {{"rows", rows}, {"current", current}, {"repair", repair}};
}

QJsonObject TestDriverDump::map() const {
    const CViewManager* view = window_.ViewManager();
    if (!view) return {{"page", QString()}, {"loaded", false}, {"linePoints", 0}, {"marker", QJsonValue()}};
    const CMapDisplay& display = view->MapDisplay();
    auto* browser = qobject_cast<CWebBrowserUI*>(window_.FindControl("WebMap"));
    return {{"page", fromUtf8(display.pageFileName())},
            {"loaded", browser && browser->IsPageLoaded()},
            {"linePoints", display.linePoints()},
            {"marker", QJsonValue()}};
}

QJsonObject TestDriverDump::pageState(CWebBrowserUI& browser) {
    // What the page shows, not what the program believes it sent: asked of
    // the page and waited for (the driver takes no other command meanwhile).
    // An answer later than the wait finds the wait gone, not a dead loop.
    struct Waiting {
        QEventLoop* loop = nullptr;
        std::optional<std::string> state;
    };
    const auto waiting = std::make_shared<Waiting>();
    const int32_t sent = browser.InvokeMethod("trackMapState", nullptr, 0, [waiting](const ScriptOutcome& outcome) {
        waiting->state = outcome.code == SCRIPT_OK ? outcome.value : std::string();
        if (waiting->loop) waiting->loop->quit();
    });
    if (sent != SCRIPT_OK) return {};
    QEventLoop loop;
    waiting->loop = &loop;
    QTimer::singleShot(kPageAnswerMs, &loop, &QEventLoop::quit);
    if (!waiting->state) loop.exec();
    waiting->loop = nullptr;
    if (!waiting->state) return {};
    return QJsonDocument::fromJson(QByteArray::fromStdString(*waiting->state)).object();
}

QJsonValue TestDriverDump::pageMarker(const QJsonObject& page) {
    const QJsonArray car = page.value("car").toArray();
    if (car.size() != 2) return {};
    return QJsonObject{{"latitude", car[0].toDouble()}, {"longitude", car[1].toDouble()}};
}

QJsonValue TestDriverDump::trip() const {
    const CViewManager* view = window_.ViewManager();
    if (!view) return {};
    const TripReview& review = view->Trips();
    const std::shared_ptr<const TripSet>& trips = review.Trips();
    const TripRoute* route = trips && !review.CurrentClip().empty() ? trips->tripOf(review.CurrentClip()) : nullptr;
    if (!route) return {};
    QJsonArray clips;
    for (const std::string& path : route->clipPaths) {
        const size_t slash = path.find_last_of('/');
        clips.append(fromUtf8(slash == std::string::npos ? path : path.substr(slash + 1)));
    }
    return QJsonObject{{"clips", clips},
                       {"routePoints", 0},
                       {"eventMarks", 0},
                       {"sliderTicks", static_cast<qint64>(view->ProgressTicks().Ticks().size())},
                       {"distance_m", route->figures.distanceMetres()},
                       {"duration_s", static_cast<qint64>(route->figures.durationSeconds())},
                       {"maxSpeed_kmh", route->figures.maxSpeedKmh()},
                       {"figures", view->TripFigures().TripText()},
                       {"eventLines", QJsonArray::fromStringList(view->EventList().Lines())}};
}

QJsonArray TestDriverDump::events() const {
    QJsonArray events;
    const CViewManager* view = window_.ViewManager();
    if (!view) return events;
    const TripReview& review = view->Trips();
    const std::shared_ptr<const TripSet>& trips = review.Trips();
    const TripRoute* route = trips && !review.CurrentClip().empty() ? trips->tripOf(review.CurrentClip()) : nullptr;
    if (!route) return events;
    for (const TripEvent& e : route->events) {
        const std::string& path = e.clip < route->clipPaths.size() ? route->clipPaths[e.clip] : std::string();
        const size_t slash = path.find_last_of('/');
        events.append(
            QJsonObject{{"clip", fromUtf8(slash == std::string::npos ? path : path.substr(slash + 1))},
                        {"time_s", static_cast<double>(e.timeMs) / 1000.0},
                        {"kind", QString::fromLatin1(tripEventKindName(e.kind).data(),
                                                     static_cast<qsizetype>(tripEventKindName(e.kind).size()))},
                        {"peak_g", e.peakG}});
    }
    return events;
}

QJsonObject TestDriverDump::reading() const {
    const CViewManager* view = window_.ViewManager();
    if (!view) return {{"done", 0}, {"total", 0}, {"text", QString()}};
    return {{"done", static_cast<qint64>(view->Trips().ReadingDone())},
            {"total", static_cast<qint64>(view->Trips().ReadingTotal())},
            {"text", view->TripFigures().ReadingText()}};
}

QJsonObject TestDriverDump::chart() const {
    QJsonObject points{{"X", 0}, {"Y", 0}, {"Z", 0}};
    auto* control = qobject_cast<CTreskChartUI*>(window_.FindControl("accChart"));
    if (!control) return points;
    const auto lock = control->LockSeries();
    for (const char* axis : {"X", "Y", "Z"}) {
        if (const CCurve* curve = control->FindCurve(std::string(axis) + "Acceleration"))
            points.insert(axis, static_cast<qint64>(curve->PointCount()));
    }
    for (const char* series : {"Speed", "Pedal", "Brake"}) {
        const CCurve* curve = control->FindCurve(series);
        points.insert(series, curve ? static_cast<qint64>(curve->PointCount()) : 0);
    }
    if (const CViewManager* view = window_.ViewManager()) {
        const std::string_view shows = chartShowsName(view->ChartShown());
        points.insert("shows", QString::fromLatin1(shows.data(), static_cast<qsizetype>(shows.size())));
    }
    return points;
}

QJsonObject TestDriverDump::timeline() const {
    const CViewManager* view = window_.ViewManager();
    const TimelineStrip* strip = view ? view->Timeline() : nullptr;
    if (!strip) return {{"points", 0}, {"playhead_s", 0}, {"eventTicks", 0}};
    return {{"points", strip->DrawnPoints()},
            {"playhead_s", strip->PlayheadSeconds()},
            {"eventTicks", static_cast<qint64>(strip->EventTicks())}};
}
