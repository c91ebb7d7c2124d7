#pragma once
// The Baidu map page: BD-09 positions. The car marker is converted with
// wgsToBd (unchanged outside the China box); the track line comes in BD-09
// from the batch conversion. See CScriptMapLoader for threads.
#include "map/CScriptMapLoader.h"

class CBaiduMapLoader : public CScriptMapLoader {
public:
    static constexpr const char* kPage = "BaiduMap.html";

    using CScriptMapLoader::CScriptMapLoader;
    TrackMapConversion trackConversion() const override { return TrackMapConversion::Baidu; }

protected:
    std::string choosePage() override { return kPage; }
    bool convertMarker(double latitude, double longitude, double& outLatitude, double& outLongitude) const override;
};
