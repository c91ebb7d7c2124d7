#pragma once
// Clicks on the map page reach the program here, over a web channel: the
// page calls mapClicked(latitude, longitude, reachMetres) with numbers (the
// position in the page's datum and what 30 screen pixels span there). Only
// finite numbers in range are taken; the trip layer names the moment of the
// nearest fix within reach, which goes to the handler (the dispatcher's
// PlayClipAt). A click far from any route does nothing.
//
// Threads: UI thread only (the channel delivers the page's calls there).
// Lifecycle: created by the view manager; Attach puts the channel and its
// start-up script on the browser's page before the map page loads, and the
// page finds the bridge as window.veltaraMapClicks. The handler is set once
// the dispatcher exists; the bridge goes with the view manager.
#include "map/MapTripLayer.h"

#include <QJsonValue>
#include <QObject>
#include <functional>
#include <string>

class QWebChannel;
class QWebEnginePage;

class MapClickBridge : public QObject {
    Q_OBJECT
public:
    using PlayClipAt = std::function<void(const std::string& path, int32_t seconds)>;

    static constexpr const char* kObjectName = "mapClicks";
    static constexpr double kMaxReachMetres = 2.0e7;  // half the Earth round: any zoom

    explicit MapClickBridge(const MapTripLayer& layer, QObject* parent = nullptr);
    ~MapClickBridge() override;

    void Attach(QWebEnginePage* page);
    void SetHandler(PlayClipAt handler) { handler_ = std::move(handler); }

    // Clicks taken (numbers in range) and refused, since the start.
    int AcceptedClicks() const { return accepted_; }
    int RefusedClicks() const { return refused_; }

    // Called by the page.
    Q_INVOKABLE void mapClicked(const QJsonValue& latitude, const QJsonValue& longitude, const QJsonValue& reachMetres);

private:
    const MapTripLayer& layer_;
    QWebChannel* channel_ = nullptr;
    PlayClipAt handler_;
    int accepted_ = 0;
    int refused_ = 0;
};
