#include "map/MapClickBridge.h"

#include <QFile>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <cmath>

namespace {

// The channel's client from Qt's resources, and the hand-over of the bridge.
QString channelScript() {
    QFile client(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    if (!client.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(client.readAll()) + QStringLiteral(
                                                     "\n;(function () {"
                                                     "if (typeof qt === 'undefined' || !qt.webChannelTransport) return;"
                                                     "new QWebChannel(qt.webChannelTransport, function (channel) {"
                                                     " window.veltaraMapClicks = channel.objects.%1; });"
                                                     "})();")
                                                     .arg(QLatin1String(MapClickBridge::kObjectName));
}

bool number(const QJsonValue& value, double limit, double& out) {
    if (!value.isDouble()) return false;
    out = value.toDouble();
    return std::isfinite(out) && std::fabs(out) <= limit;
}

}  // namespace

MapClickBridge::MapClickBridge(const MapTripLayer& layer, QObject* parent) : QObject(parent), layer_(layer) {}

MapClickBridge::~MapClickBridge() = default;

void MapClickBridge::Attach(QWebEnginePage* page) {
    if (!page || channel_) return;
    channel_ = new QWebChannel(this);
    channel_->registerObject(QLatin1String(kObjectName), this);
    page->setWebChannel(channel_);
    const QString source = channelScript();
    if (source.isEmpty()) return;  // no client: clicks stay on the page
    QWebEngineScript script;
    script.setName(QStringLiteral("veltara-map-clicks"));
    script.setSourceCode(source);
    script.setInjectionPoint(QWebEngineScript::DocumentReady);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    page->scripts().insert(script);
}

void MapClickBridge::mapClicked(const QJsonValue& latitude, const QJsonValue& longitude,
                                const QJsonValue& reachMetres) {
    double lat = 0.0;
    double lng = 0.0;
    double reach = 0.0;
    if (!number(latitude, 90.0, lat) || !number(longitude, 180.0, lng) ||
        !number(reachMetres, kMaxReachMetres, reach) || reach <= 0.0) {
        ++refused_;
        return;
    }
    ++accepted_;
    const std::optional<MapTripLayer::Moment> moment = layer_.MomentNear(lat, lng, reach);
    if (moment && handler_) handler_(moment->clip, moment->seconds);
}
