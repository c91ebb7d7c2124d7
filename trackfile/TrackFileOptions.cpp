#include "trackfile/TrackFileOptions.h"

#include "track/MapKind.h"

TrackMapConversion TrackFileOptions::conversion() const {
    switch (map) {
        case TrackMap::Baidu:
            return trackMapConversionFor(MAP_KIND_BAIDU, region);
        case TrackMap::Google:
            return trackMapConversionFor(MAP_KIND_GOOGLE, region);
        case TrackMap::None:
            break;
    }
    return TrackMapConversion::Copy;
}
