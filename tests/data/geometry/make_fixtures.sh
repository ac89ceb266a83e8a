#!/usr/bin/env bash
# Writes the expected values of the editing geometry's ground measures with
# GeographicLib's command-line tools (Debian package geographiclib-tools).
# Map coordinates are in tenths of a second (36,000 units per degree).
#
#   great_circle.txt: x1 y1 x2 y2 (map units) and the distance in metres on a
#   sphere of radius 6,370,997 m:
#       GeodSolve -i -e 6370997 0 -p 6   (input: lat1 lon1 lat2 lon2)
#   cell_areas.txt: x1 y1 x2 y2 (a cell's corners) and its area in square
#   metres on a sphere of radius 6,378,137 m:
#       Planimeter -e 6378137 0 -p 3      (input: the four corners, lat lon)
set -euo pipefail
cd "$(dirname "$0")"

pairs=(
  "0 0 36000 0"
  "0 0 0 36000"
  "-1800000 1800000 1800000 1800000"
  "3600000 -1800000 -2160000 1800000"
  "-37800 1854000 -36000 1855800"
  "1000 1000 3000 2500"
  "-3240000 0 3204000 36000"
  "0 -3240000 0 3240000"
  "720000 2160000 -720000 -2160000"
  "100000 2000000 104000 2003000"
  "-3000000 -1000000 3000000 2500000"
  "360000 3000000 367200 3007200"
)
{
  echo "# x1 y1 x2 y2 metres (GeodSolve -i -e 6370997 0 -p 6)"
  for p in "${pairs[@]}"; do
    read -r x1 y1 x2 y2 <<<"$p"
    s=$(echo "$y1 $x1 $y2 $x2" | awk '{printf "%.9f %.9f %.9f %.9f\n", $1/36000, $2/36000, $3/36000, $4/36000}' |
      GeodSolve -i -e 6370997 0 -p 6 | awk '{print $3}')
    echo "$x1 $y1 $x2 $y2 $s"
  done
} >great_circle.txt

cells=(
  "0 0 360 360"
  "0 0 3600 3600"
  "36000 1080000 39600 1083600"
  "-7200 1854000 -3600 1855800"
  "1000000 2160000 1003600 2161800"
  "-2000000 -2700000 -1998200 -2698200"
  "500000 -500000 503600 -496400"
)
{
  echo "# x1 y1 x2 y2 square-metres (Planimeter -e 6378137 0 -p 3)"
  for c in "${cells[@]}"; do
    read -r x1 y1 x2 y2 <<<"$c"
    a=$(printf '%s\n' "$y1 $x1" "$y2 $x1" "$y2 $x2" "$y1 $x2" |
      awk '{printf "%.9f %.9f\n", $1/36000, $2/36000}' | Planimeter -e 6378137 0 -p 3 | awk '{print ($3 < 0 ? -$3 : $3)}')
    echo "$x1 $y1 $x2 $y2 $a"
  done
} >cell_areas.txt
