// The viewer's map page. The viewer drives it through four functions:
//   wgs84ToBessel_str(lon, lat) -> "x_y" in the page's own coordinates,
//   removePoi(id), addPoi(id, x, y, name, a, b, kind), setCenter(x, y),
// and draws the clip's route with setRoute([[[lat, lon], ...], ...]) (WGS84 degrees, one list per
// stretch with fix; an empty list removes the route).
// The page's own coordinates are spherical Mercator metres (EPSG:3857), written with two decimals.
// Tiles come from window.QRD_MAP_CONFIG.tileUrl (the viewer keeps every tile it fetched); when it is
// empty or the tiles cannot be loaded, the Natural Earth coastlines and borders under the tiles stay
// visible, the map still zooms in to street level with its scale bar, and a small note says
// "offline".
(function () {
  'use strict';

  var config = window.QRD_MAP_CONFIG || {};
  var query = new URLSearchParams(window.location.search);
  var defaultCentre = L.latLng(37.533416, 126.950626);
  var maxZoom = 18;   // street level
  var routeZoom = 17; // the closest a route is fitted at

  // Level 1 is the closest view; every level up halves the scale.
  function zoomForLevel(level) {
    var n = parseInt(level, 10);
    if (isNaN(n)) n = 3;
    return Math.max(1, Math.min(18, 17 - n));
  }

  var map = L.map('map', {
    zoomControl: false,
    fadeAnimation: false,
    zoomAnimation: false,
    worldCopyJump: true,
    maxZoom: maxZoom,
    scrollWheelZoom: 'center', // the marker keeps the map centred on itself
  }).setView(defaultCentre, zoomForLevel(query.get('Level')));
  map.attributionControl.setPrefix(false); // room for the attribution the tiles require
  L.control.scale({ imperial: false, position: 'bottomleft', maxWidth: 80 }).addTo(map);

  // The note shown while no tiles can be had.
  var OfflineNote = L.Control.extend({
    options: { position: 'topright' },
    onAdd: function () {
      var note = L.DomUtil.create('div', 'qrd-offline-note');
      note.textContent = 'offline';
      note.style.display = 'none';
      return note;
    },
  });
  var offlineNote = new OfflineNote().addTo(map);

  // Offline background: land, coastlines and borders below the tile pane.
  var offlinePane = map.createPane('offline');
  offlinePane.style.zIndex = 150;

  function decodeArcs(topology) {
    var t = topology.transform;
    return topology.arcs.map(function (arc) {
      var x = 0, y = 0;
      return arc.map(function (p) {
        x += p[0]; y += p[1];
        return t ? [x * t.scale[0] + t.translate[0], y * t.scale[1] + t.translate[1]] : [p[0], p[1]];
      });
    });
  }

  function ringFromArcs(arcs, indexes) {
    var ring = [];
    indexes.forEach(function (i) {
      var arc = i < 0 ? arcs[~i].slice().reverse() : arcs[i];
      arc.forEach(function (p, k) { if (k > 0 || ring.length === 0) ring.push(p); });
    });
    return ring;
  }

  function topologyToGeoJson(topology, name) {
    var arcs = decodeArcs(topology);
    var features = topology.objects[name].geometries.map(function (g) {
      var polygon = function (rings) { return rings.map(function (r) { return ringFromArcs(arcs, r); }); };
      var geometry = null;
      if (g.type === 'Polygon') geometry = { type: 'Polygon', coordinates: polygon(g.arcs) };
      else if (g.type === 'MultiPolygon') geometry = { type: 'MultiPolygon', coordinates: g.arcs.map(polygon) };
      return { type: 'Feature', properties: g.properties || {}, geometry: geometry };
    }).filter(function (f) { return f.geometry !== null; });
    return { type: 'FeatureCollection', features: features };
  }

  if (window.QRD_WORLD) {
    L.geoJSON(topologyToGeoJson(window.QRD_WORLD, 'countries'), {
      pane: 'offline',
      renderer: L.canvas({ pane: 'offline', padding: 0.5 }),
      interactive: false,
      style: { color: '#8c8c8c', weight: 0.8, fillColor: '#f2efe9', fillOpacity: 1 },
    }).addTo(map);
    map.attributionControl.addAttribution('Natural Earth');
  }

  // Offline while the last tiles asked for failed; back online once tiles load again. The tile
  // layer stays: tiles kept from earlier visits still show.
  var offline = false;
  function setOffline(value) {
    offline = value;
    offlineNote.getContainer().style.display = value ? 'block' : 'none';
  }

  if (config.tileUrl) {
    var failures = 0;
    var loads = 0;
    var tiles = L.tileLayer(config.tileUrl, {
      maxZoom: maxZoom,
      attribution: '&copy; <a href="https://www.openstreetmap.org/copyright">OpenStreetMap</a> contributors',
    });
    tiles.on('tileerror', function () {
      loads = 0;
      if (++failures >= 2) setOffline(true);
    });
    tiles.on('tileload', function () {
      failures = 0;
      if (++loads >= 3) setOffline(false);
    });
    tiles.addTo(map);
  } else {
    setOffline(true);
  }

  var pois = {};

  function fromPageCoordinates(x, y) {
    return L.CRS.EPSG3857.unproject(L.point(parseFloat(x), parseFloat(y)));
  }

  window.wgs84ToBessel_str = function (lon, lat) {
    var p = L.CRS.EPSG3857.project(L.latLng(Number(lat), Number(lon)));
    return p.x.toFixed(2) + '_' + p.y.toFixed(2);
  };

  window.removePoi = function (id) {
    if (pois[id]) {
      map.removeLayer(pois[id]);
      delete pois[id];
    }
    return true;
  };

  window.addPoi = function (id, x, y, name, a, b, kind) {
    window.removePoi(id);
    var position = fromPageCoordinates(x, y);
    var marker = L.circleMarker(position, {
      radius: 6, weight: 2, color: '#ffffff', fillColor: kind === 'gpspos' ? '#e0301e' : '#1e6fe0', fillOpacity: 1,
    });
    if (name) marker.bindTooltip(String(name));
    if (query.get('poi') !== 'hide') marker.addTo(map);
    pois[id] = marker;
    return true;
  };

  window.setCenter = function (x, y) {
    map.setView(fromPageCoordinates(x, y), map.getZoom(), { animate: false });
    return true;
  };

  // The route lies in its own pane between the tiles (200) and the marker's overlay pane (400).
  var routePane = map.createPane('route');
  routePane.style.zIndex = 390;
  var route = null;

  window.setRoute = function (segments) {
    if (route) {
      map.removeLayer(route);
      route = null;
    }
    var lines = (segments || []).filter(function (s) { return s && s.length > 0; });
    if (lines.length === 0) return 0;
    route = L.polyline(lines, {
      pane: 'route', color: '#1e6fe0', weight: 4, opacity: 1, lineJoin: 'round', interactive: false,
    }).addTo(map);
    // Fitted once per route; the marker then keeps the map centred on itself at this zoom.
    map.fitBounds(route.getBounds(), { padding: [16, 16], maxZoom: routeZoom, animate: false });
    return window.routeLines().reduce(function (n, line) { return n + line.length; }, 0);
  };

  // For checks from outside: the route's lines as lists of [lat, lon].
  window.routeLines = function () {
    if (!route) return [];
    var latlngs = route.getLatLngs();
    if (latlngs.length > 0 && !Array.isArray(latlngs[0])) latlngs = [latlngs];
    return latlngs.map(function (line) { return line.map(function (p) { return [p.lat, p.lng]; }); });
  };

  // For checks from outside: whether the whole route is in view.
  window.routeInView = function () { return !!route && map.getBounds().contains(route.getBounds()); };

  // For checks from outside: the marker's position as [lat, lon], or null.
  window.poiPosition = function (id) {
    if (!pois[id]) return null;
    var p = pois[id].getLatLng();
    return [p.lat, p.lng];
  };
  window.mapIsOffline = function () { return offline; };
  // For checks from outside: the zoom level (read and set) and whether the offline note and the scale bar show.
  window.mapZoom = function () { return map.getZoom(); };
  window.setMapZoom = function (zoom) { map.setZoom(zoom, { animate: false }); return map.getZoom(); };
  window.offlineNoteShown = function () { return offlineNote.getContainer().style.display !== 'none'; };
  window.scaleBarShown = function () {
    var bar = document.querySelector('.leaflet-control-scale-line');
    return !!bar && bar.offsetWidth > 0 && bar.textContent.length > 0;
  };
})();
