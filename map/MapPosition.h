#pragma once
// A position on the map, in the datum of the page it was sent to.
struct MapPosition {
    double latitude = 0.0;
    double longitude = 0.0;
};
