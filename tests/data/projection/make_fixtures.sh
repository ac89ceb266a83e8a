#!/usr/bin/env bash
# Makes the reference tables of the projection tests with PROJ's cs2cs
# (Debian package proj-bin; needed only to remake these files):
#   tests/data/projection/make_fixtures.sh
# Latitudes and longitudes are whole thousandths of a second, so that the
# engine's integer geographic units hold them exactly.
set -euo pipefail
cd "$(dirname "$0")"

# cs2cs reads "lon lat" and writes "easting northing height".
tmerc() { # $1 = target definition; stdin "lat lon" lines
  awk '{printf "%.9f %.9f\n", $2, $1}' | cs2cs -f %.4f +proj=longlat $2 +no_defs +to $1 $2 +no_defs | awk '{print $1, $2}'
}
thousandths() { # degrees (on stdin) to whole thousandths of a second, back in degrees
  awk '{printf "%.9f %.9f\n", int($1*3600000+($1<0?-0.5:0.5))/3600000, int($2*3600000+($2<0?-0.5:0.5))/3600000}'
}

# UTM on the International ellipsoid: zone, latitude, longitude.
utm_points() {
cat <<'PTS'
31 0.000 3.000
31 0.500 0.100
33 48.207 16.372
33 -33.925 18.424
30 51.477 -0.001
31 51.477 0.001
31 60.000 5.999
32 60.000 3.500
32 63.900 11.900
32 56.100 3.100
33 78.220 9.100
33 79.900 20.900
35 78.500 21.100
35 80.000 32.900
37 79.000 33.100
37 83.900 41.900
1 -45.000 -179.900
60 45.000 179.900
18 38.889 -77.035
56 -33.857 151.215
19 -79.900 -67.000
15 83.500 -93.500
35 -0.000001 27.000
PTS
}

{
  echo "# UTM, International ellipsoid (a 6378388, 1/f 297), from PROJ $(cs2cs 2>&1 | head -1 | awk '{print $2}' | tr -d ,):"
  echo "#   cs2cs -f %.4f +proj=longlat +ellps=intl +to +proj=utm +zone=Z [+south] +ellps=intl"
  echo "# zone latitude longitude easting northing (northing with 10000000 m false northing in the south)"
  utm_points | while read -r zone lat lon; do
    read -r lat lon < <(echo "$lat $lon" | thousandths)
    south=""
    if awk "BEGIN{exit !($lat < 0)}"; then south="+south"; fi
    read -r e n < <(echo "$lat $lon" | tmerc "+proj=utm +zone=$zone $south" "+ellps=intl")
    echo "$zone $lat $lon $e $n"
  done
} > utm_international.txt

bng="+proj=tmerc +lat_0=49 +lon_0=-2 +k=0.9996012717 +x_0=400000 +y_0=-100000"
itm="+proj=tmerc +lat_0=53.5 +lon_0=-8 +k=0.99982 +x_0=600000 +y_0=750000"
{
  echo "# National grids and WGS-84 UTM, from PROJ's tmerc (no datum shift):"
  echo "#   BNG: cs2cs -f %.4f +proj=longlat +ellps=airy +to $bng +ellps=airy"
  echo "#   ITM: cs2cs -f %.4f +proj=longlat +ellps=GRS80 +to $itm +ellps=GRS80"
  echo "#   UTM: cs2cs -f %.4f +proj=longlat +ellps=WGS84 +to +proj=utm +zone=Z [+south] +ellps=WGS84"
  echo "# grid latitude longitude easting northing"
  for p in "50.066 -5.715" "51.501 -0.142" "55.953 -3.188" "58.640 -3.070" "60.860 -0.880" "49.900 -6.300" "57.500 -7.400" "52.000 1.700"; do
    read -r lat lon < <(echo "$p" | thousandths)
    read -r e n < <(echo "$lat $lon" | tmerc "$bng" "+ellps=airy")
    echo "BNG $lat $lon $e $n"
  done
  for p in "53.350 -6.260" "51.900 -8.470" "55.240 -6.510" "53.270 -9.050" "52.260 -7.110" "54.600 -5.930" "51.450 -9.820"; do
    read -r lat lon < <(echo "$p" | thousandths)
    read -r e n < <(echo "$lat $lon" | tmerc "$itm" "+ellps=GRS80")
    echo "ITM $lat $lon $e $n"
  done
  for p in "33 48.207 16.372" "33 -33.925 18.424" "32 60.000 3.500" "56 -33.857 151.215"; do
    read -r zone lat lon <<<"$p"
    read -r lat lon < <(echo "$lat $lon" | thousandths)
    south="N"; sflag=""
    if awk "BEGIN{exit !($lat < 0)}"; then south="S"; sflag="+south"; fi
    read -r e n < <(echo "$lat $lon" | tmerc "+proj=utm +zone=$zone $sflag" "+ellps=WGS84")
    echo "UTM_${zone}${south} $lat $lon $e $n"
  done
} > national_grids.txt
