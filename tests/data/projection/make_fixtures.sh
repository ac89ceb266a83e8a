#!/usr/bin/env bash
# Makes the reference tables of the projection tests with PROJ's cs2cs and
# GeographicLib's GeoConvert (Debian packages proj-bin and
# geographiclib-tools; needed only to remake these files):
#   tests/data/projection/make_fixtures.sh
# Random points come from awk's generator with fixed seeds (the tables were
# made with mawk; another awk draws other points, equally good ones).
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

# Seeded random points, whole thousandths of a second: "count seed lat0 lat1
# dlon0 dlon1 centre" draws latitudes in [lat0, lat1] and longitudes centre +
# [dlon0, dlon1].
random_points() {
  awk -v n="$1" -v seed="$2" -v a0="$3" -v a1="$4" -v d0="$5" -v d1="$6" -v c="$7" \
    'BEGIN{srand(seed); for(i=0;i<n;i++){printf "%.9f %.9f\n", a0+(a1-a0)*rand(), c+d0+(d1-d0)*rand()}}' | thousandths
}

{
  echo "# Transverse Mercator on seeded random points out to 20 degrees from the central"
  echo "# meridian, from PROJ (definitions as in national_grids.txt; UTM on WGS-84):"
  echo "# grid latitude longitude easting northing"
  for zone in $(seq 1 60); do
    cm=$((6 * zone - 183))
    random_points 2 "$zone" 0.5 83.5 -20 20 "$cm" | tmerc "+proj=utm +zone=$zone" "+ellps=WGS84" >/tmp/tm_en.$$
    random_points 2 "$zone" 0.5 83.5 -20 20 "$cm" | paste -d' ' - /tmp/tm_en.$$ | sed "s/^/UTM_${zone}N /"
    random_points 2 "$((zone + 100))" -79.5 -0.5 -20 20 "$cm" | tmerc "+proj=utm +zone=$zone +south" "+ellps=WGS84" >/tmp/tm_en.$$
    random_points 2 "$((zone + 100))" -79.5 -0.5 -20 20 "$cm" | paste -d' ' - /tmp/tm_en.$$ | sed "s/^/UTM_${zone}S /"
  done
  random_points 30 201 49.5 61 -7 4 -2 | tmerc "$bng" "+ellps=airy" >/tmp/tm_en.$$
  random_points 30 201 49.5 61 -7 4 -2 | paste -d' ' - /tmp/tm_en.$$ | sed "s/^/BNG /"
  random_points 30 202 51.3 55.5 -3 3 -8 | tmerc "$itm" "+ellps=GRS80" >/tmp/tm_en.$$
  random_points 30 202 51.3 55.5 -3 3 -8 | paste -d' ' - /tmp/tm_en.$$ | sed "s/^/ITM /"
  rm -f /tmp/tm_en.$$
} > tm_random.txt

# WGS-84 to the British grid on OSGB36 with the datum table's three-parameter
# shift; the Airy ellipsoid as the table gives it (a and flattening as
# differences from WGS-84).
airy_rf=$(awk 'BEGIN{printf "%.12f", 1/(1/298.257223563 - 0.11960023e-4)}')
{
  echo "# WGS-84 latitude longitude to the British grid on OSGB36, from PROJ:"
  echo "#   cs2cs -f %.4f +proj=longlat +ellps=WGS84 +towgs84=0,0,0 +to $bng +a=6377563.396 +rf=$airy_rf +towgs84=375,-111,431"
  echo "# grid latitude longitude easting northing"
  random_points 30 301 49.9 60.9 -8 4 -2 >/tmp/tm_ll.$$
  awk '{printf "%.9f %.9f\n", $2, $1}' /tmp/tm_ll.$$ |
    cs2cs -f %.4f +proj=longlat +ellps=WGS84 +towgs84=0,0,0 +to $bng +a=6377563.396 +rf="$airy_rf" +towgs84=375,-111,431 |
    awk '{print $1, $2}' | paste -d' ' /tmp/tm_ll.$$ - | sed "s/^/BNG_WGS84 /"
  rm -f /tmp/tm_ll.$$
} > osgb36_shift.txt

# Grid references of seeded random points of the UTM grid, at least 0.05
# degrees from a band edge (the engine's bands come from the International
# ellipsoid, GeoConvert's from WGS-84), with GeoConvert's own UTM point.
{
  echo "# GeographicLib GeoConvert -u -p 3 and -m -p 0 (WGS-84):"
  echo "# latitude longitude zone(+N/-S) easting northing reference"
  awk 'BEGIN{srand(401); n=0; while(n<300){lat=-79.9+163.8*rand(); lon=-180+360*rand();
         f=(lat+80)/8; f=f-int(f); if(lat>72) f=0.5; if(f<0.05/8||f>1-0.05/8) continue;
         printf "%.6f %.6f\n", lat, lon; n++}}' >/tmp/mgrs_ll.$$
  GeoConvert -u -p 3 </tmp/mgrs_ll.$$ >/tmp/mgrs_utm.$$
  GeoConvert -m -p 0 </tmp/mgrs_ll.$$ >/tmp/mgrs_ref.$$
  paste -d' ' /tmp/mgrs_ll.$$ /tmp/mgrs_utm.$$ /tmp/mgrs_ref.$$ |
    awk '{z=$3+0; if($3 ~ /s$/) z=-z; print $1, $2, z, $4, $5, $6}'
  rm -f /tmp/mgrs_ll.$$ /tmp/mgrs_utm.$$ /tmp/mgrs_ref.$$
} > mgrs_geoconvert.txt
