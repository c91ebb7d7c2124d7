// The track line and the car marker of a map page. The program calls six
// global functions with texts, latitude first:
//   clearLinePoints(), addLinePoints(lat, lng), createPolyline(),
//   reloadPolyline(), createCarMarker(lat, lng), setCarMarker(lat, lng),
//   removeCarMarker().
// The trip layer, under the line: setTripRoute(key, points, boundaries,
// events) with JSON arrays of numbers (latitude, longitude, ...; the events
// latitude, longitude, kind: 0 brake, 1 accel, 2 impact), clearTripRoute().
// A click on the map goes to the program's bridge (window.veltaraMapClicks,
// set up by the program over its web channel) as numbers: the position and
// what 30 screen pixels span there, in metres.
// A page calls createTrackMap(options) once its script libraries are loaded.
(function (global) {
    'use strict';

    var map = null;
    var pending = [];      // every point since clearLinePoints
    var line = null;       // the drawn line: a group of chunks, one path each
    var lineChunk = null;  // the chunk that still grows
    var drawn = 0;         // points of pending in the line
    var lineBounds = null; // of the drawn points
    // A batch redraws at most one chunk of this many points, so a long
    // track grows at the cost of its new points, not of all of them.
    var chunkPoints = 2000;
    var car = null;
    var following = true;  // false once the user pans or zooms
    var ownMoves = 0;      // > 0 while this script moves the view

    var grid = null;       // the world backdrop shown until a tile arrives
    var scale = null;      // the scale bar
    var tiles = null;      // the tile layer
    var firstTileUrl = null;  // the source the page started with

    var trip = null;       // the trip's route, under the line
    var tripMarks = null;  // the clips' first fixes on it
    var tripEvents = null; // the trip's events on it
    var tripEventPlaces = []; // for tests: each event mark's [lat, lng, kind, tool tip]
    var tripKey = null;    // the program's key of the trip drawn
    var tripPoints = 0;
    var tripFits = 0;
    var clicksSent = 0;

    var tripStyle = { color: '#6c9bd8', weight: 7, opacity: 0.55, lineJoin: 'round', interactive: false,
                      pane: 'tripPane' };
    var markStyle = { radius: 4, color: '#ffffff', weight: 2, fillColor: '#3d6fae', fillOpacity: 1,
                      interactive: false, pane: 'tripPane' };
    var eventColours = ['#f0a020', '#3cb371', '#e0303a', '#3a7be0'];
    var clickReachPixels = 30;

    var lineStyle = { color: '#1f6fd1', weight: 4, opacity: 0.9, lineJoin: 'round', interactive: false };

    var carIcon = L.divIcon({
        className: 'track-car',
        iconSize: [24, 24],
        iconAnchor: [12, 12],
        html: '<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24" viewBox="0 0 24 24">' +
            '<circle cx="12" cy="12" r="10" fill="#e8463a" stroke="#ffffff" stroke-width="3"/>' +
            '<circle cx="12" cy="12" r="3.5" fill="#ffffff"/></svg>'
    });

    // Texts from the program become a position; anything else is ignored.
    function position(latText, lngText) {
        var lat = Number(latText);
        var lng = Number(lngText);
        if (!isFinite(lat) || !isFinite(lng) || Math.abs(lat) > 90 || Math.abs(lng) > 180) return null;
        return L.latLng(lat, lng);
    }

    function moveView(move) {
        if (!map) return;
        ownMoves++;
        try {
            move();
        } finally {
            ownMoves--;
        }
    }

    function fitTrack() {
        if (!line || !lineBounds || pending.length === 0) return;
        var bounds = lineBounds;
        // Over a trip the zoom stays that of the trip's view: the clip is
        // only brought into view.
        if (trip) {
            if (!map.getBounds().contains(bounds)) {
                moveView(function () {
                    map.panTo(bounds.getCenter(), { animate: false });
                });
            }
            return;
        }
        moveView(function () {
            if (bounds.getNorthEast().equals(bounds.getSouthWest())) {
                map.setView(bounds.getCenter(), Math.max(map.getZoom(), 15), { animate: false });
            } else {
                map.fitBounds(bounds, { padding: [24, 24], maxZoom: 17, animate: false });
            }
        });
    }

    function followCar() {
        if (!following || !car) return;
        moveView(function () {
            map.panTo(car.getLatLng(), { animate: false });
        });
    }

    global.clearLinePoints = function () {
        pending = [];
        if (line && map) map.removeLayer(line);
        line = null;
        lineChunk = null;
        drawn = 0;
        lineBounds = null;
        following = true;
    };

    global.addLinePoints = function (lat, lng) {
        var p = position(lat, lng);
        if (p) pending.push(p);
    };

    // Draws the points of pending not drawn yet. A full chunk is left as it
    // is; the next one starts at its last point, so the line stays whole.
    function extendLine() {
        while (drawn < pending.length) {
            if (!lineChunk || lineChunk.getLatLngs().length >= chunkPoints) {
                var start = drawn > 0 ? drawn - 1 : 0;
                var first = pending.slice(start, Math.min(pending.length, start + chunkPoints));
                lineChunk = L.polyline(first, lineStyle);
                line.addLayer(lineChunk);
                extendBounds(first);
                drawn = start + first.length;
            } else {
                var room = chunkPoints - lineChunk.getLatLngs().length;
                var more = pending.slice(drawn, Math.min(pending.length, drawn + room));
                lineChunk.setLatLngs(lineChunk.getLatLngs().concat(more));
                extendBounds(more);
                drawn += more.length;
            }
        }
    }

    function extendBounds(points) {
        for (var i = 0; i < points.length; i++) {
            if (lineBounds) lineBounds.extend(points[i]);
            else lineBounds = L.latLngBounds(points[i], points[i]);
        }
    }

    global.createPolyline = function () {
        if (!map) return;
        if (line) map.removeLayer(line);
        line = L.featureGroup().addTo(map);
        lineChunk = null;
        drawn = 0;
        lineBounds = null;
        extendLine();
        if (following) fitTrack();
    };

    global.reloadPolyline = function () {
        if (!map) return;
        if (!line) {
            global.createPolyline();
            return;
        }
        extendLine();
        // Until the car appears, the whole track stays in view.
        if (following && !car) fitTrack();
    };

    global.createCarMarker = function (lat, lng) {
        var p = position(lat, lng);
        if (!p || !map) return;
        if (car) {
            car.setLatLng(p);
        } else {
            car = L.marker(p, { icon: carIcon, interactive: false, keyboard: false, zIndexOffset: 1000 }).addTo(map);
        }
        followCar();
    };

    global.setCarMarker = function (lat, lng) {
        // A page loaded after the marker was created elsewhere has none yet.
        if (!car) {
            global.createCarMarker(lat, lng);
            return;
        }
        var p = position(lat, lng);
        if (!p) return;
        car.setLatLng(p);
        followCar();
    };

    global.removeCarMarker = function () {
        if (car && map) map.removeLayer(car);
        car = null;
    };

    // The JSON array the program sent, or an empty one.
    function arrayOf(text) {
        try {
            var values = typeof text === 'string' ? JSON.parse(text) : null;
            return Array.isArray(values) ? values : [];
        } catch (e) {
            return [];
        }
    }

    // A JSON array of numbers from the program as positions; anything that
    // is not a pair of numbers in range is left out.
    function positionsOf(text) {
        var values = arrayOf(text);
        var out = [];
        for (var i = 0; i + 1 < values.length; i += 2) {
            if (typeof values[i] !== 'number' || typeof values[i + 1] !== 'number') continue;
            var p = position(values[i], values[i + 1]);
            if (p) out.push(p);
        }
        return out;
    }

    // Triples of numbers become marks; anything else is ignored. labelsText:
    // each mark's tool tip, shown as text, never as markup.
    function eventMarksOf(text, labelsText) {
        var values = arrayOf(text);
        var labels = arrayOf(labelsText);
        var out = [];
        for (var i = 0; i + 2 < values.length; i += 3) {
            var colour = eventColours[values[i + 2]];
            if (typeof values[i] !== 'number' || typeof values[i + 1] !== 'number' || typeof values[i + 2] !== 'number' ||
                !colour) continue;
            var p = position(values[i], values[i + 1]);
            if (!p) continue;
            var label = labels[i / 3];
            var hasLabel = typeof label === 'string' && label !== '';
            var mark = L.circleMarker(p, { radius: 7, color: '#ffffff', weight: 2, fillColor: colour,
                                           fillOpacity: 1, interactive: hasLabel, pane: 'tripPane' });
            tripEventPlaces.push([p.lat, p.lng, values[i + 2], hasLabel ? label : '']);
            if (hasLabel) {
                var tip = document.createElement('span');
                tip.textContent = label;
                mark.bindTooltip(tip);
            }
            out.push(mark);
        }
        return out;
    }

    global.clearTripRoute = function () {
        if (trip && map) map.removeLayer(trip);
        if (tripMarks && map) map.removeLayer(tripMarks);
        if (tripEvents && map) map.removeLayer(tripEvents);
        trip = null;
        tripMarks = null;
        tripEvents = null;
        tripEventPlaces = [];
        tripKey = null;
        tripPoints = 0;
    };

    // key: the program's name of the trip (a number); the view is fitted to
    // a trip once, not again when the same trip is drawn anew, except that a
    // trip grown by clips read since is brought into view while the user has
    // not moved the map. tripFits counts the trips fitted.
    global.setTripRoute = function (key, pointsText, boundariesText, eventsText, eventLabelsText) {
        if (!map) return;
        var id = Number(key);
        var points = positionsOf(pointsText);
        var fitted = tripKey;
        global.clearTripRoute();
        if (!isFinite(id) || points.length === 0) return;
        trip = L.polyline(points, tripStyle).addTo(map);
        tripMarks = L.layerGroup(positionsOf(boundariesText).map(function (p) {
            return L.circleMarker(p, markStyle);
        })).addTo(map);
        tripEvents = L.layerGroup(eventMarksOf(eventsText, eventLabelsText)).addTo(map);
        tripPoints = points.length;
        tripKey = id;
        var bounds = trip.getBounds();
        if (fitted === id && (!following || map.getBounds().contains(bounds))) return;
        if (fitted !== id) tripFits++;
        moveView(function () {
            if (bounds.getNorthEast().equals(bounds.getSouthWest())) {
                map.setView(bounds.getCenter(), Math.max(map.getZoom(), 15), { animate: false });
            } else {
                map.fitBounds(bounds, { padding: [24, 24], maxZoom: 17, animate: false });
            }
        });
    };

    // A click (of the mouse, or fired by simulateMapClick) goes to the
    // program with the distance 30 pixels span at that point.
    function onMapClick(e) {
        var bridge = global.veltaraMapClicks;
        if (!e || !e.latlng || !bridge || typeof bridge.mapClicked !== 'function') return;
        var at = map.latLngToContainerPoint(e.latlng);
        var reach = L.CRS.Earth.distance(e.latlng, map.containerPointToLatLng(at.add([clickReachPixels, 0])));
        if (!isFinite(reach)) return;
        clicksSent++;
        bridge.mapClicked(e.latlng.lat, e.latlng.lng, reach);
    }

    // For the test driver: a click at a position of the page's datum.
    global.simulateMapClick = function (lat, lng) {
        var p = position(lat, lng);
        if (!p || !map) return false;
        map.fire('click', { latlng: p, layerPoint: map.latLngToLayerPoint(p),
                            containerPoint: map.latLngToContainerPoint(p) });
        return true;
    };

    // The land outline and a grid of the world (every 30 degrees, the
    // equator and the prime meridian stronger), so that a map without tiles
    // (offline) still reads as a map of the world and not as an empty area.
    function worldBackdrop() {
        var layers = [];
        if (global.topojson && global.worldLand && global.worldLand.objects && global.worldLand.objects.land) {
            layers.push(L.geoJSON(global.topojson.feature(global.worldLand, global.worldLand.objects.land), {
                style: { color: '#a7b39a', weight: 0.8, fillColor: '#f4f1e8', fillOpacity: 1 },
                interactive: false,
                pane: 'backdropPane'
            }));
        }
        var faint = { color: '#b7c4d0', weight: 1, opacity: 0.8, interactive: false, pane: 'backdropPane' };
        var strong = { color: '#8ea2b5', weight: 1.5, opacity: 0.9, interactive: false, pane: 'backdropPane' };
        for (var lng = -180; lng <= 180; lng += 30) {
            layers.push(L.polyline([[-80, lng], [80, lng]], lng === 0 ? strong : faint));
        }
        for (var lat = -60; lat <= 60; lat += 30) {
            layers.push(L.polyline([[lat, -180], [lat, 180]], lat === 0 ? strong : faint));
        }
        return L.layerGroup(layers);
    }

    // options: crs (optional), tiles (URL template), tileOptions, center, zoom,
    // tileLayer (optional: a ready layer instead of tiles/tileOptions).
    global.createTrackMap = function (options) {
        var mapOptions = { zoomControl: true, keyboard: false, attributionControl: true, worldCopyJump: false };
        if (options.crs) mapOptions.crs = options.crs;
        if (options.minZoom !== undefined) mapOptions.minZoom = options.minZoom;
        if (options.maxZoom !== undefined) mapOptions.maxZoom = options.maxZoom;
        map = L.map('map', mapOptions);
        // The backdrop stands in for the tiles (at 200), the trip goes under
        // the clip's line (overlays are at 400).
        map.createPane('backdropPane').style.zIndex = 250;
        map.createPane('tripPane').style.zIndex = 390;
        tiles = options.tileLayer || L.tileLayer(options.tiles, options.tileOptions);
        // The program hands each page's configured source in before the
        // page starts, so not one tile is asked of the default server.
        var sources = global.veltaraTileSources;
        var own = sources && Object.prototype.hasOwnProperty.call(sources, pageName()) ? sources[pageName()] : null;
        if (Array.isArray(own) && own.length === 3) configureTiles(own[0], own[1], own[2]);
        firstTileUrl = tiles._url;
        tiles.addTo(map);
        grid = worldBackdrop().addTo(map);
        tiles.once('tileload', function () {
            if (grid) map.removeLayer(grid);
            grid = null;
        });
        scale = L.control.scale({ metric: true, imperial: false }).addTo(map);
        map.setView(options.center, options.zoom, { animate: false });

        // Drags and zooms the user makes end the following; the view's own
        // moves (and resizes) do not.
        map.on('dragstart', function () {
            following = false;
        });
        map.on('zoomstart', function () {
            if (ownMoves === 0) following = false;
        });
        map.on('click', onMapClick);
        return map;
    };

    function usableTileUrl(url) {
        return typeof url === 'string' && /^https?:\/\//i.test(url);
    }

    // The tile layer (not yet on the map) takes a source of the settings: a
    // URL template the program checked, the attribution it escaped, a
    // maximum zoom ("0" keeps the page's).
    function configureTiles(url, attribution, maxZoom) {
        if (!usableTileUrl(url)) return;
        var zoom = parseInt(maxZoom, 10);
        tiles.options.attribution = String(attribution);
        if (zoom >= 1 && zoom <= 22) {
            tiles.options.maxZoom = zoom;
            map.setMaxZoom(zoom);
        }
        tiles.setUrl(url, true);
    }

    function pageName() {
        var path = String(global.location && global.location.pathname || '');
        var name = path.substring(path.lastIndexOf('/') + 1);
        try {
            return decodeURIComponent(name);
        } catch (e) {
            return name;
        }
    }

    // The scale bar in "metric" (m, km) or "imperial" (ft, mi) units.
    global.setScaleUnits = function (units) {
        if (!map) return;
        var imperial = units === 'imperial';
        if (scale) map.removeControl(scale);
        scale = L.control.scale({ metric: !imperial, imperial: imperial }).addTo(map);
    };

    // For tests and diagnostics: what the page shows.
    global.trackMapState = function () {
        var c = map ? map.getCenter() : null;
        return {
            pending: pending.length,
            linePoints: line ? drawn : -1,
            car: car ? [car.getLatLng().lat, car.getLatLng().lng] : null,
            following: following,
            tileUrl: tiles ? tiles._url : null,
            firstTileUrl: firstTileUrl,
            maxZoom: map ? map.getMaxZoom() : null,
            scaleUnits: scale ? (scale.options.imperial ? 'imperial' : 'metric') : null,
            worldBackdrop: grid !== null,
            tripPoints: tripPoints,
            tripMarks: tripMarks ? tripMarks.getLayers().length : 0,
            tripEvents: tripEvents ? tripEvents.getLayers().length : 0,
            tripEventPlaces: tripEventPlaces,
            tripFits: tripFits,
            clicksSent: clicksSent,
            clickBridge: !!global.veltaraMapClicks,
            worldLand: !!(global.topojson && global.worldLand),
            center: c ? [c.lat, c.lng] : null,
            zoom: map ? map.getZoom() : null,
            bounds: map ? [map.getBounds().getSouth(), map.getBounds().getWest(),
                           map.getBounds().getNorth(), map.getBounds().getEast()] : null
        };
    };
})(window);
