#include "app/testdriver/TestDriverCommands.h"

#include "app/CDuiFrameWnd.h"
#include "app/EvidenceExporter.h"
#include "app/testdriver/TestDriverDump.h"
#include "chart/ChartShows.h"
#include "map/CWebBrowserUI.h"
#include "map/CWebPage.h"
#include "map/CoordinateText.h"
#include "trip/RouteDatum.h"
#include "ui/ControlText.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDropEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <functional>

namespace {

QJsonObject ok() {
    return {{"ok", true}};
}

QJsonObject failed(const QString& error) {
    return {{"ok", false}, {"error", error}};
}

// Runs the action from the event loop, as the user's input would arrive,
// unless the control has gone by then.
void queue(QObject* context, std::function<void()> action) {
    QTimer::singleShot(0, context, std::move(action));
}

bool parseInt(const QString& text, int& value) {
    bool valid = false;
    value = text.toInt(&valid);
    return valid;
}

}  // namespace

QByteArray TestDriverCommands::Execute(const QString& line) {
    QString text = line;
    text.remove('\r');
    qsizetype start = 0;
    while (start < text.size() && text[start].isSpace()) ++start;
    text = text.mid(start);
    const qsizetype space = text.indexOf(' ');
    const QString command = space < 0 ? text.trimmed() : text.left(space);
    // Drop paths may hold blanks: the arguments are taken as they stand.
    const QString arguments = space < 0 ? QString() : text.mid(space + 1);

    QJsonObject answer;
    if (command == u"click") {
        answer = click(arguments.trimmed());
    } else if (command == u"key") {
        answer = key(arguments.trimmed());
    } else if (command == u"focus") {
        answer = focus(arguments.trimmed());
    } else if (command == u"drop") {
        answer = drop(arguments);
    } else if (command == u"play") {
        answer = play(arguments);
    } else if (command == u"activate") {
        answer = activate(arguments.trimmed());
    } else if (command == u"layout") {
        answer = layout(arguments.trimmed());
    } else if (command == u"chart") {
        answer = chart(arguments.trimmed());
    } else if (command == u"delete") {
        answer = deleteRow(arguments.trimmed());
    } else if (command == u"slide") {
        answer = slide(arguments);
    } else if (command == u"select") {
        answer = select(arguments);
    } else if (command == u"check") {
        answer = check(arguments);
    } else if (command == u"videoclick") {
        answer = videoClick(arguments);
    } else if (command == u"timelineclick") {
        answer = timelineClick(arguments.trimmed());
    } else if (command == u"export") {
        answer = exportStretch(arguments);
    } else if (command == u"repair") {
        answer = repair(arguments);
    } else if (command == u"mapclick") {
        answer = mapClick(arguments);
    } else if (command == u"dump") {
        answer = Dump();
    } else if (command == u"quit") {
        answer = quit();
    } else {
        answer = failed(QStringLiteral("unknown command"));
    }
    return QJsonDocument(answer).toJson(QJsonDocument::Compact);
}

QWidget* TestDriverCommands::find(const QString& name) const {
    if (name.isEmpty()) return nullptr;
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != &window_) {
        if (modal->objectName() == name) return modal;
        if (auto* control = modal->findChild<QWidget*>(name)) return control;
    }
    return window_.FindControl(name);
}

QWidget* TestDriverCommands::reachable(const QString& name, QString& error) const {
    QWidget* control = find(name);
    if (!control) {
        error = QStringLiteral("no control named ") + name;
    } else if (!control->isVisible()) {
        error = name + QStringLiteral(" is not visible");
    } else if (!control->isEnabled()) {
        error = name + QStringLiteral(" is disabled");
    } else if (QWidget* modal = QApplication::activeModalWidget();
               modal && modal != control->window() && !modal->isAncestorOf(control)) {
        error = name + QStringLiteral(" is behind a dialog");
    } else {
        return control;
    }
    return nullptr;
}

QJsonObject TestDriverCommands::click(const QString& name) {
    QString error;
    auto* button = qobject_cast<QAbstractButton*>(reachable(name, error));
    if (!button) return failed(error.isEmpty() ? name + QStringLiteral(" is not a button") : error);
    queue(button, [button] { button->click(); });
    return ok();
}

QJsonObject TestDriverCommands::key(const QString& name) {
    // Any one key in Qt's notation: "Return", "F8", "Space", "Shift+N", ".", "[".
    const QKeySequence sequence = QKeySequence::fromString(name, QKeySequence::PortableText);
    if (name.isEmpty() || sequence.count() != 1 || sequence[0].key() == Qt::Key_unknown)
        return failed(QStringLiteral("unknown key"));
    const Qt::Key code = sequence[0].key();
    const Qt::KeyboardModifiers modifiers = sequence[0].keyboardModifiers();
    // To the native window that has the keyboard, as a key press arrives;
    // it passes the key on to its focused control.
    QWidget* top = QApplication::activeModalWidget();
    if (!top) top = &window_;
    QObject* target = top->windowHandle();
    if (!target) target = top;
    // Each press gets a time stamp of its own, as the platform's presses do.
    static quint64 stamp = static_cast<quint64>(QDateTime::currentMSecsSinceEpoch());
    ++stamp;
    auto* press = new QKeyEvent(QEvent::KeyPress, code, modifiers);
    auto* release = new QKeyEvent(QEvent::KeyRelease, code, modifiers);
    press->setTimestamp(stamp);
    release->setTimestamp(stamp);
    QCoreApplication::postEvent(target, press);
    QCoreApplication::postEvent(target, release);
    return ok();
}

QJsonObject TestDriverCommands::focus(const QString& name) {
    QString error;
    QWidget* control = reachable(name, error);
    if (!control) return failed(error);
    queue(control, [control] {
        // A web view takes the keyboard in its page widget, as a click would give it.
        QWidget* target = control->focusProxy() ? control->focusProxy() : control;
        target->activateWindow();
        target->setFocus(Qt::MouseFocusReason);
    });
    return ok();
}

QJsonObject TestDriverCommands::drop(const QString& paths) {
    QStringList files;
    for (const QString& path : paths.split('\t', Qt::SkipEmptyParts)) files << path;
    if (files.isEmpty()) return failed(QStringLiteral("no paths"));
    if (QApplication::activeModalWidget()) return failed(QStringLiteral("a dialog is open"));
    // Qt delivers a drop event only inside a drag session of its own, so the
    // files go the rest of the way a drop takes, from the window's handler on.
    QPointer<CDuiFrameWnd> window(&window_);
    queue(&window_, [window, files] {
        if (window) window->DropFiles(files);
    });
    return ok();
}

QJsonObject TestDriverCommands::play(const QString& path) {
    if (path.isEmpty()) return failed(QStringLiteral("no path"));
    if (QApplication::activeModalWidget()) return failed(QStringLiteral("a dialog is open"));
    QPointer<CDuiFrameWnd> window(&window_);
    queue(&window_, [window, clip = path.toStdString()] {
        if (window && window->Dispatcher()) window->Dispatcher()->StartClip(clip, true);
    });
    return ok();
}

QJsonObject TestDriverCommands::activate(const QString& rowText) {
    int row = 0;
    if (!parseInt(rowText, row)) return failed(QStringLiteral("bad row"));
    QString error;
    auto* view = qobject_cast<QAbstractItemView*>(reachable(QStringLiteral("treePlaylist"), error));
    if (!view) return failed(error.isEmpty() ? QStringLiteral("treePlaylist is not a list") : error);
    const QModelIndex index = view->model() ? view->model()->index(row, 0) : QModelIndex();
    if (!index.isValid()) return failed(QStringLiteral("no such row"));
    const QPersistentModelIndex persistent(index);
    queue(view, [view, persistent] {
        if (persistent.isValid()) emit view->activated(persistent);
    });
    return ok();
}

QJsonObject TestDriverCommands::layout(const QString& name) {
    const auto chosen = cameras::parseLayout(name.toStdString());
    if (!chosen) return failed(QStringLiteral("no such layout"));
    CPlaybackController* controller = window_.Controller();
    if (!controller) return failed(QStringLiteral("no player"));
    controller->SetCameraLayout(*chosen, controller->IsPartnerMirrored());
    return ok();
}

QJsonObject TestDriverCommands::chart(const QString& name) {
    if (name != u"g" && name != u"car" && name != u"both") return failed(QStringLiteral("no such choice"));
    CViewManager* view = window_.ViewManager();
    if (!view) return failed(QStringLiteral("no chart"));
    view->ChooseChartShows(chartShowsFromName(name.toStdString()));
    return ok();
}

QJsonObject TestDriverCommands::deleteRow(const QString& rowText) {
    int row = 0;
    if (!parseInt(rowText, row)) return failed(QStringLiteral("bad row"));
    CViewManager* view = window_.ViewManager();
    if (!view) return failed(QStringLiteral("no playlist"));
    if (row < 0 || row >= view->Playlist().Controller().GetPlayList().GetCount())
        return failed(QStringLiteral("no such row"));
    if (QApplication::activeModalWidget()) return failed(QStringLiteral("a dialog is open"));
    QPointer<CDuiFrameWnd> window(&window_);
    queue(&window_, [window, row] {
        if (window && window->ViewManager()) window->ViewManager()->Playlist().PressDeleteButton(row);
    });
    return ok();
}

QJsonObject TestDriverCommands::slide(const QString& arguments) {
    const QStringList parts = arguments.split(' ', Qt::SkipEmptyParts);
    int value = 0;
    if (parts.size() != 2 || !parseInt(parts[1], value)) return failed(QStringLiteral("usage: slide NAME VALUE"));
    QString error;
    auto* slider = qobject_cast<QAbstractSlider*>(reachable(parts[0], error));
    if (!slider) return failed(error.isEmpty() ? parts[0] + QStringLiteral(" is not a slider") : error);
    queue(slider, [slider, value] {
        // A drag or a wheel turn: the position moves and the slider acts on it.
        slider->setSliderPosition(value);
        if (slider->value() != slider->sliderPosition()) slider->triggerAction(QAbstractSlider::SliderMove);
    });
    return ok();
}

QJsonObject TestDriverCommands::select(const QString& arguments) {
    const QStringList parts = arguments.split(' ', Qt::SkipEmptyParts);
    int index = 0;
    if (parts.size() != 2 || !parseInt(parts[1], index)) return failed(QStringLiteral("usage: select NAME INDEX"));
    QString error;
    auto* combo = qobject_cast<QComboBox*>(reachable(parts[0], error));
    if (!combo) return failed(error.isEmpty() ? parts[0] + QStringLiteral(" is not a combo box") : error);
    if (index < 0 || index >= combo->count()) return failed(QStringLiteral("no such item"));
    queue(combo, [combo, index] {
        combo->setCurrentIndex(index);
        emit combo->activated(index);  // as a pick of the user's
    });
    return ok();
}

QJsonObject TestDriverCommands::check(const QString& arguments) {
    const QStringList parts = arguments.split(' ', Qt::SkipEmptyParts);
    if (parts.size() != 2 || (parts[1] != u"0" && parts[1] != u"1"))
        return failed(QStringLiteral("usage: check NAME 0|1"));
    QString error;
    auto* box = qobject_cast<QAbstractButton*>(reachable(parts[0], error));
    if (!box || !box->isCheckable())
        return failed(error.isEmpty() ? parts[0] + QStringLiteral(" is not a check box") : error);
    const bool wanted = parts[1] == u"1";
    queue(box, [box, wanted] {
        if (box->isChecked() != wanted) box->click();
    });
    return ok();
}

QJsonObject TestDriverCommands::videoClick(const QString& arguments) {
    const QStringList parts = arguments.split(' ', Qt::SkipEmptyParts);
    bool xOk = false, yOk = false;
    const double x = parts.size() == 2 ? parts[0].toDouble(&xOk) : 0;
    const double y = parts.size() == 2 ? parts[1].toDouble(&yOk) : 0;
    if (!xOk || !yOk || !(x >= 0 && x < 1 && y >= 0 && y < 1)) return failed(QStringLiteral("usage: videoclick 0..1 0..1"));
    QString error;
    QWidget* video = reachable(QStringLiteral("playerWindow"), error);
    if (!video) return failed(error);
    QPointer<QWidget> target(video);
    queue(video, [target, x, y] {
        if (!target) return;
        const QPointF local(x * target->width(), y * target->height());
        const QPointF global = target->mapToGlobal(local);
        QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
        if (!target) return;
        QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(target, &release);
    });
    return ok();
}

QJsonObject TestDriverCommands::timelineClick(const QString& fractionText) {
    bool valid = false;
    const double fraction = fractionText.toDouble(&valid);
    if (!valid || !(fraction >= 0.0 && fraction <= 1.0)) return failed(QStringLiteral("usage: timelineclick 0..1"));
    QString error;
    QWidget* strip = reachable(QStringLiteral("timelineStrip"), error);
    if (!strip) return failed(error);
    QPointer<QWidget> target(strip);
    queue(strip, [target, fraction] {
        if (!target) return;
        // Press and release where the user would click, through the strip's mouse handlers.
        const QPointF local(fraction * target->width(), target->height() / 2.0);
        const QPointF global = target->mapToGlobal(local);
        QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
        if (!target) return;
        QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(target, &release);
    });
    return ok();
}

QJsonObject TestDriverCommands::mapClick(const QString& arguments) {
    const QStringList parts = arguments.split(' ', Qt::SkipEmptyParts);
    bool latitudeOk = false;
    bool longitudeOk = false;
    RouteFix at;
    if (parts.size() == 2) {
        at.latitude = parts[0].toDouble(&latitudeOk);
        at.longitude = parts[1].toDouble(&longitudeOk);
    }
    if (!latitudeOk || !longitudeOk || std::fabs(at.latitude) > 90.0 || std::fabs(at.longitude) > 180.0)
        return failed(QStringLiteral("usage: mapclick LAT LNG"));
    QString error;
    auto* browser = qobject_cast<CWebBrowserUI*>(reachable(QStringLiteral("WebMap"), error));
    if (!browser) return failed(error.isEmpty() ? QStringLiteral("WebMap is not a browser") : error);
    if (!browser->IsPageLoaded() || !window_.ViewManager()) return failed(QStringLiteral("no map page"));
    // The page takes positions in its own datum, as the trip layer sends them.
    const RouteFix onPage = routeInMapDatum({at}, window_.ViewManager()->MapDisplay().trackConversion()).front();
    queue(browser, [browser, onPage] {
        CWebPage page;
        page.callScript2(*browser, "simulateMapClick", coordinateText(onPage.latitude),
                         coordinateText(onPage.longitude));
    });
    return ok();
}

QJsonObject TestDriverCommands::exportStretch(const QString& arguments) {
    // export CLIP SECONDS DURATION [OPTION…]: the clip's path may hold blanks;
    // the options are words after it, in any order (see the header).
    const QString usage = QStringLiteral(
        "usage: export CLIP SECONDS DURATION [nooverlay] [inset] [proposed] [originals] [timestamp] "
        "[key=PEM cert=PEM [password=TEXT]] [shown] [layout=grid|strip|single] [large=1..6]");
    QStringList parts = arguments.trimmed().split(' ');
    QStringList words;
    const auto isOption = [](const QString& word) {
        static const QStringList kWords = {"nooverlay", "inset", "proposed", "originals", "timestamp", "shown"};
        static const QStringList kValues = {"key=", "cert=", "password=", "layout=", "large="};
        return kWords.contains(word) ||
               std::any_of(kValues.begin(), kValues.end(), [&](const QString& v) { return word.startsWith(v); });
    };
    while (parts.size() >= 4 && isOption(parts.last())) words.prepend(parts.takeLast());
    const auto valueOf = [&words](const char* name) {
        const QString prefix = QLatin1String(name) + u'=';
        for (const QString& word : words)
            if (word.startsWith(prefix)) return word.mid(prefix.size()).toStdString();
        return std::string();
    };
    bool secondsOk = false, durationOk = false;
    const double duration = parts.size() >= 3 ? parts.takeLast().toDouble(&durationOk) : 0.0;
    const double seconds = parts.size() >= 2 ? parts.takeLast().toDouble(&secondsOk) : 0.0;
    const std::string clip = parts.join(' ').toStdString();
    if (!secondsOk || !durationOk || clip.empty()) return failed(usage);
    EvidenceExporter* exporter = window_.Exporter();
    const ExportRows rows = window_.PlaylistRows();
    if (!exporter || std::find(rows.paths.begin(), rows.paths.end(), clip) == rows.paths.end())
        return failed(QStringLiteral("the clip is not in the playlist"));
    // "shown": the other cameras as the window shows them; layout= and large= set the car's picture.
    ExportInset picture = words.contains("shown") ? window_.ShownCameras() : ExportInset{};
    picture.mirror = window_.Controller() && window_.Controller()->IsPartnerMirrored();
    picture.offered = picture.offered || words.contains("inset");
    if (const std::string name = valueOf("layout"); !name.empty()) {
        picture.layout = cameras::parseLayout(name);
        if (!picture.layout || cameras::layoutForMany(*picture.layout) != *picture.layout) return failed(usage);
    }
    if (const std::string number = valueOf("large"); !number.empty()) {
        picture.large = cameras::carCameraNumbered(number.size() == 1 ? number[0] - '0' : 0);
        if (picture.large == cameras::CameraChannel::None) return failed(usage);
    }
    const ExportSeal seal{valueOf("key"), valueOf("cert"), valueOf("password"), words.contains("timestamp")};
    if (seal.key.empty() != seal.cert.empty()) return failed(usage);
    exporter->SetSeal(seal);
    if (!exporter->Start(rows, clip, seconds, duration, !words.contains("nooverlay"), picture,
                         words.contains("proposed"), words.contains("originals")))
        return failed(QStringLiteral("an export is running"));
    return ok();
}

QJsonObject TestDriverCommands::quit() {
    QPointer<CDuiFrameWnd> window(&window_);
    queue(&window_, [window] {
        if (window) window->close();
    });
    return ok();
}

QJsonObject TestDriverCommands::Dump() const {
    return TestDriverDump(window_).Dump();
}

QJsonObject TestDriverCommands::repair(const QString& arguments) {
    // repair ROW [REFERENCE]: the reference's path may hold blanks.
    const QString trimmed = arguments.trimmed();
    const qsizetype blank = trimmed.indexOf(QLatin1Char(' '));
    bool ok = false;
    const int row = trimmed.left(blank < 0 ? trimmed.size() : blank).toInt(&ok);
    const std::string reference = blank < 0 ? std::string() : trimmed.mid(blank + 1).trimmed().toStdString();
    const ExportRows rows = window_.PlaylistRows();
    if (!ok || row < 0 || static_cast<size_t>(row) >= rows.paths.size())
        return failed(QStringLiteral("usage: repair ROW [REFERENCE] (a row of the playlist)"));
    ClipRepairer* repairer = window_.Repairer();
    if (!repairer || !repairer->Start(rows.paths[static_cast<size_t>(row)], reference))
        return failed(QStringLiteral("a repair is running"));
    return {{"ok", true}};
}
