// The web map both map pages draw: OpenStreetMap's tiles with their attribution, and metric
// and imperial scale bars, so that a screen copy can be scaled by distance.
var corvantineTileHost = 'tile.openstreetmap.org';

// afterwards: what still works without tiles, said after the notice ('' for nothing).
function corvantineMap(id, afterwards) {
  var map = L.map(id).setView([39.5, -98.35], 4);
  var tiles = L.tileLayer('https://' + corvantineTileHost + '/{z}/{x}/{y}.png', {
    maxZoom: 19,
    attribution: '&copy; <a href="https://www.openstreetmap.org/copyright">OpenStreetMap</a> contributors'
  }).addTo(map);
  L.control.scale({ imperial: true, metric: true, maxWidth: 200 }).addTo(map);

  // Offline (or refused by the tile server) the map would be a blank grey with no word why:
  // the notice says so over the map, and goes once a tile arrives.
  var notice = L.DomUtil.create('div', '', map.getContainer());
  notice.id = 'offline';
  notice.textContent = "Map tiles can't be loaded from " + corvantineTileHost +
                       ' (no connection to it?).' + (afterwards ? ' ' + afterwards : '');
  notice.style.cssText = 'display: none; position: absolute; z-index: 1000; top: 40%; left: 50%; ' +
                         'transform: translate(-50%, -50%); max-width: 60%; padding: 8px 12px; ' +
                         'font: 16px sans-serif; background: rgba(255, 255, 255, 0.9); pointer-events: none;';
  tiles.on('tileerror', function () { notice.style.display = 'block'; });
  tiles.on('tileload', function () { notice.style.display = 'none'; });
  return map;
}
