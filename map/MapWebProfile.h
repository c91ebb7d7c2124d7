#pragma once
// The web profile of the map pages: tiles kept in a disk cache under the
// user's cache folder ($XDG_CACHE_HOME), so an area seen once shows again
// offline, and requests that name the program and its version, as tile
// services ask of their users.
//
// Threads: UI thread only. Created with the first map view, owned by the
// application object and gone with it (after every view).
class QWebEngineProfile;

class MapWebProfile {
public:
    static constexpr const char* kStorageName = "map";
    static constexpr const char* kCacheFolder = "veltara-dvr-player/web";
    static constexpr long long kCacheBytes = 512LL * 1024 * 1024;

    static QWebEngineProfile* shared();
};
