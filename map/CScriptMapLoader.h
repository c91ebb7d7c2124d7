#pragma once
// What the Baidu and Google loaders share: the six script functions of a
// map page, the track line drawn page by page from the TrackStore, and the
// car marker, created by the first moveMarker after construction or
// resetMarker and moved by the following ones. A loader differs only in
// its page and in how it converts the marker's position.
//
// Threads: openPage/reopenPage on the start-up thread (once) or the UI
// thread; the rest on the UI thread. The page's file name is under a lock;
// the marker conversion a loader picks in openPage is atomic in the loader.
#include "config/AppConfig.h"
#include "map/CMapLoader.h"
#include "map/CWebMapEventHandler.h"
#include "map/CWebPage.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CScriptMapLoader : public CMapLoader {
public:
    // The page's functions; their arguments are texts, latitude first.
    static constexpr const char* kSetCarMarker = "setCarMarker";
    static constexpr const char* kCreateCarMarker = "createCarMarker";
    static constexpr const char* kClearLinePoints = "clearLinePoints";
    static constexpr const char* kAddLinePoints = "addLinePoints";
    static constexpr const char* kCreatePolyline = "createPolyline";
    static constexpr const char* kReloadPolyline = "reloadPolyline";
    static constexpr const char* kRemoveCarMarker = "removeCarMarker";

    explicit CScriptMapLoader(const AppConfig& config);

    void openPage(ScriptHost& browser, const std::string& programFolder) override;
    void reopenPage(ScriptHost& browser, const std::string& programFolder) override;
    void moveMarker(ScriptHost& browser, double longitude, double latitude) override;
    void drawNewPages(ScriptHost& browser, const TrackStore& store, int32_t endPage) override;
    void resetMarker() override;
    void removeMarker(ScriptHost& browser) override;
    void clearTrack(ScriptHost& browser) override;

    std::string pageFileName() const override;
    int32_t linePoints() const override { return linePoints_; }
    std::optional<MapPosition> marker() const override { return lastMarker_; }

    const CWebPage& webPage() const { return page_; }

protected:
    // The page to open (a file of Map/); called by openPage, which is where
    // a loader settles its marker conversion.
    virtual std::string choosePage() = 0;
    // The marker's position in the page's datum. True when the converted
    // values are to be kept as the marker state.
    virtual bool convertMarker(double latitude, double longitude, double& outLatitude, double& outLongitude) const = 0;

    const AppConfig& config_;

private:
    // The page's points as calls; returns how many.
    int32_t addPageCalls(const TrackPage* page, std::vector<ScriptCall>& calls) const;

    const std::string setCarMarker_ = kSetCarMarker;
    const std::string createCarMarker_ = kCreateCarMarker;
    const std::string clearLinePoints_ = kClearLinePoints;
    const std::string addLinePoints_ = kAddLinePoints;
    const std::string createPolyline_ = kCreatePolyline;
    const std::string reloadPolyline_ = kReloadPolyline;
    const std::string removeCarMarker_ = kRemoveCarMarker;
    CWebPage page_;
    std::shared_ptr<CWebMapEventHandler> handler_ = std::make_shared<CWebMapEventHandler>();

    // Marker state.
    int32_t markerCreated_ = 0;
    double markerLongitude_ = 0.0;
    double markerLatitude_ = 0.0;
    std::string markerLongitudeText_;
    std::string markerLatitudeText_;

    int32_t linePoints_ = 0;
    std::optional<MapPosition> lastMarker_;
    mutable std::mutex pageMutex_;
    std::string pageFile_;  // under pageMutex_
};
