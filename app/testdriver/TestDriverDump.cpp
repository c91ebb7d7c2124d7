#include "app/testdriver/TestDriverDump.h"

#include "app/CDuiFrameWnd.h"
#include "chart/CTreskChartUI.h"
#include "map/CWebBrowserUI.h"
#include "ui/ControlText.h"

#include <QAbstractSlider>
#include <QJsonArray>

namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
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

    QJsonObject labels;
    for (const char* name : CViewManager::kTextLabelNames)
        labels.insert(name, ui::controlText(window_.FindControl(name)));
    dump.insert("labels", labels);

    QJsonObject visible;
    for (const char* name : CViewManager::kButtonNames) {
        const QWidget* button = window_.FindControl(name);
        visible.insert(name, button && button->isVisibleTo(&window_));
    }
    dump.insert("visible", visible);

    dump.insert("sliders",
                QJsonObject{{"sliderProgress", sliderState(window_.FindControl<QAbstractSlider>("sliderProgress"))},
                            {"sliderVolume", sliderState(window_.FindControl<QAbstractSlider>("sliderVolume"))}});

    QJsonObject player{{"state", 0}, {"pid", 0}, {"length", 0}, {"position", 0}};
    QJsonObject track{{"readyPages", 0}, {"shownPages", 0}};
    if (CPlaybackController* controller = window_.Controller()) {
        player = {{"state", static_cast<int>(controller->GetPlayerState())},
                  {"pid", static_cast<qint64>(controller->GetPlayerProcessId())},
                  {"length", controller->GetLength()},
                  {"position", controller->GetPosition()}};
        const TrackStore& store = controller->Store();
        track = {{"readyPages", store.getReadyPages()}, {"shownPages", store.getShownPages()}};
    }
    dump.insert("player", player);
    dump.insert("track", track);
    dump.insert("playlist", playlist());
    dump.insert("map", map());
    dump.insert("chart", chart());
    return dump;
}

QJsonObject TestDriverDump::playlist() const {
    QJsonArray rows;
    int current = -1;
    if (const CViewManager* view = window_.ViewManager()) {
        const CPlayList& list = view->Playlist().Controller().GetPlayList();
        for (int i = 0; i < list.GetCount(); ++i) {
            const PlayListEntry* entry = list.GetEntryAt(i);
            rows.append(QJsonObject{{"name", fromUtf8(entry ? entry->name : std::string())},
                                    {"path", fromUtf8(entry ? entry->path : std::string())}});
        }
        current = list.GetCurrent();
    }
    return {{"rows", rows}, {"current", current}};
}

QJsonObject TestDriverDump::map() const {
    const CViewManager* view = window_.ViewManager();
    if (!view) return {{"page", QString()}, {"loaded", false}, {"linePoints", 0}, {"marker", QJsonValue()}};
    const CMapDisplay& display = view->MapDisplay();
    QJsonValue marker;
    if (const auto position = display.marker())
        marker = QJsonObject{{"latitude", position->latitude}, {"longitude", position->longitude}};
    const auto* browser = qobject_cast<const CWebBrowserUI*>(window_.FindControl("WebMap"));
    return {{"page", fromUtf8(display.pageFileName())},
            {"loaded", browser && browser->IsPageLoaded()},
            {"linePoints", display.linePoints()},
            {"marker", marker}};
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
    return points;
}
