#pragma once
// The Google-style map pages: GoogleMap_China.html (GCJ-02) when the region
// is exactly "China", else GoogleMap_Oversea.html (WGS-84 as recorded). The
// marker conversion is chosen by the region when the page is opened. See
// CScriptMapLoader for threads.
#include "map/CScriptMapLoader.h"

#include <atomic>

class CGoogleMapLoader : public CScriptMapLoader {
public:
    static constexpr const char* kChinaPage = "GoogleMap_China.html";
    static constexpr const char* kOverseaPage = "GoogleMap_Oversea.html";

    using CScriptMapLoader::CScriptMapLoader;
    TrackMapConversion trackConversion() const override;

protected:
    std::string choosePage() override;
    bool convertMarker(double latitude, double longitude, double& outLatitude, double& outLongitude) const override;

private:
    bool china() const { return config_.locale == "China"; }

    std::atomic<PointConversion> markerConversion_{&wgsToGcj};
};
