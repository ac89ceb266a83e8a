#!/usr/bin/env bash
# Makes mgrs_edges.txt, the grid references of seeded points near the edges
# of the grid's cells, with GeographicLib's GeoConvert (Debian package
# geographiclib-tools; needed only to remake the file):
#   tests/data/projection/make_mgrs_edges.sh
# Random points come from awk's generator with fixed seeds (the table was made
# with mawk; another awk draws other points, equally good ones).
#
# The points, as latitude and longitude first:
# - band edges: every edge from 80 S to 84 N in every zone, twice, once
#   within 2 km of the edge and once within 20 m, longitudes across the zone;
# - zone edges: every meridian between two zones at 16 latitudes from 80 S to
#   84 N, and the edges of the Norway and Svalbard zones, within 5 km of the
#   edge, each written in the zones on both sides;
# - 100 km squares' edges: points anywhere in the grid whose easting, northing
#   or both are moved to within 2 m of a 100 km line (a quarter exactly onto
#   it), and the equator in both hemispheres.
# Each point becomes a UTM point in centimetres (GeoConvert -u -p 2, the zone
# given with -z); everything else is computed by GeoConvert from that UTM
# point, so the table's latitudes and references belong to exactly the point
# a map in centimetres holds. Rows outside the grid are left out: latitudes
# beyond 80 S and 84 N, eastings outside 100 to 900 km, and zones 32, 34 and
# 36 north of 72 N (GeoConvert writes references there too).
set -euo pipefail
cd "$(dirname "$0")"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# "lat lon zone" lines; zone 0 lets GeoConvert choose the standard zone.
{
  # Band edges.
  awk 'BEGIN{srand(501);
    for (e = -80; e <= 72; e += 8)
      for (zone = 1; zone <= 60; zone++) { cm = 6 * zone - 183;
        for (k = 0; k < 2; k++) { spread = k == 0 ? 0.018 : 0.00018;
          printf "%.9f %.9f 0\n", e + spread * (2 * rand() - 1), cm - 2.9 + 5.8 * rand() }}
    for (zone = 1; zone <= 60; zone++) { cm = 6 * zone - 183;
      for (k = 0; k < 2; k++) { spread = k == 0 ? 0.018 : 0.00018;
        printf "%.9f %.9f 0\n", 84 + spread * (2 * rand() - 1), cm - 2.9 + 5.8 * rand() }}}'
  # Zone edges, written in the zone on either side.
  awk 'BEGIN{srand(502);
    for (zone = 1; zone <= 60; zone++) { lon = 6 * zone - 180; east = zone % 60 + 1;
      for (k = 0; k < 16; k++) { lat = -80 + 164 * (k + rand()) / 16; d = 0.045 * (2 * rand() - 1);
        printf "%.9f %.9f %d\n%.9f %.9f %d\n", lat, lon + d, zone, lat, lon + d, east }}
    # Norway: 31V and 32V meet at 3 E; Svalbard: 31X, 33X, 35X and 37X at 9, 21 and 33 E.
    for (k = 0; k < 24; k++) { lat = 56 + 8 * rand(); d = 0.045 * (2 * rand() - 1);
      printf "%.9f %.9f 31\n%.9f %.9f 32\n", lat, 3 + d, lat, 3 + d }
    split("9 21 33", lons, " "); split("31 33 35", wests, " ");
    for (i = 1; i <= 3; i++) for (k = 0; k < 24; k++) { lat = 72 + 12 * rand(); d = 0.045 * (2 * rand() - 1);
      printf "%.9f %.9f %d\n%.9f %.9f %d\n", lat, lons[i] + d, wests[i], lat, lons[i] + d, wests[i] + 2 }}'
} > "$tmp/points"

# UTM points in centimetres: "zone+hemisphere easting northing", converted in
# batches of one zone option each.
awk -v dir="$tmp" '{print $1, $2 > (dir "/zone_" $3)}' "$tmp/points"
for zone in 0 $(seq 1 60); do
  [ -f "$tmp/zone_$zone" ] || continue
  if [ "$zone" = 0 ]; then
    GeoConvert -u -p 2 < "$tmp/zone_$zone" || true
  else
    GeoConvert -u -p 2 -z "$zone" < "$tmp/zone_$zone" || true
  fi
done > "$tmp/utm_points"

{
  grep -v ERROR "$tmp/utm_points"
  # 100 km squares' edges: moved onto or next to the 100 km lines.
  awk 'BEGIN{srand(503);
    for (i = 0; i < 900; i++) printf "%.9f %.9f\n", -79.5 + 163 * rand(), -180 + 360 * rand() }' |
    GeoConvert -u -p 2 |
    awk 'BEGIN{srand(504)}
      function snap(v) { line = int(v / 100000 + 0.5) * 100000;
        return rand() < 0.25 ? line : line + int(401 * rand() - 200) / 100 }
      { which = int(3 * rand()); e = $2; n = $3;
        if (which != 1) e = snap(e); if (which != 0) n = snap(n);
        printf "%s %.2f %.2f\n", $1, e, n }'
  # The equator from both sides, on a 100 km line and between two.
  printf '%s\n' "31n 500000.00 0.00" "31s 500000.00 10000000.00" "31s 399999.99 9999999.99" \
    "60n 800000.00 0.01" "60s 200000.00 9999999.99" "17s 600000.00 10000000.00"
} > "$tmp/utm"

# The latitude of each UTM point, and its references at 0 to 5
# digits (GeoConvert's precisions -5 to 0).
GeoConvert -g -p 6 < "$tmp/utm" > "$tmp/ll" || true
for p in -5 -4 -3 -2 -1 0; do
  GeoConvert -m -p "$p" < "$tmp/utm" > "$tmp/ref$p" || true
done

{
  echo "# Grid references of UTM points near the edges of the grid's cells, from"
  echo "# GeographicLib $(GeoConvert --version | awk '{print $NF}') GeoConvert (WGS-84), made by make_mgrs_edges.sh:"
  echo "#   UTM point: GeoConvert -u -p 2 [-z zone]; latitude: GeoConvert -g -p 6;"
  echo "#   references with 0 to 5 digits: GeoConvert -m -p -5 ... -m -p 0 of the UTM point"
  echo "# zone(+N/-S) easting northing latitude ref0 ref1 ref2 ref3 ref4 ref5"
  paste -d' ' "$tmp/utm" "$tmp/ll" "$tmp/ref-5" "$tmp/ref-4" "$tmp/ref-3" "$tmp/ref-2" "$tmp/ref-1" "$tmp/ref0" |
    awk 'NF == 11 && $0 !~ /ERROR/ {
      z = $1 + 0; if ($1 ~ /s$/) z = -z; zone = z < 0 ? -z : z;
      lat = $4 + 0; e = $2 + 0;
      if (lat < -80 || lat > 84 || e < 100000 || e >= 900000) next;
      if (lat >= 72 && (zone == 32 || zone == 34 || zone == 36)) next;
      print z, $2, $3, $4, $6, $7, $8, $9, $10, $11 }'
} > mgrs_edges.txt
