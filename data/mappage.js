// The web map both map pages draw: OpenStreetMap's tiles with their attribution, and metric
// and imperial scale bars, so that a screen copy can be scaled by distance.
function corvantineMap(id) {
  var map = L.map(id).setView([39.5, -98.35], 4);
  L.tileLayer('https://tile.openstreetmap.org/{z}/{x}/{y}.png', {
    maxZoom: 19,
    attribution: '&copy; <a href="https://www.openstreetmap.org/copyright">OpenStreetMap</a> contributors'
  }).addTo(map);
  L.control.scale({ imperial: true, metric: true, maxWidth: 200 }).addTo(map);
  return map;
}
