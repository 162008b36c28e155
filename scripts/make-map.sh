#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws assets/TimeZoneMap.jpg, the picture the map viewer shows: the world in a plate carrée
# projection cut into the clock's 24 whole-hour zones, each a 15-degree band centred on
# 15 x offset degrees and labelled with the zone's name exactly as the zone lists show it.
#
# Needs GMT 6 with the GSHHG coastlines (Debian: gmt, gmt-gshhg-low), Ghostscript and awk.
# Usage: scripts/make-map.sh [output.jpg]   (default: assets/TimeZoneMap.jpg of this tree)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
out=$(realpath -m "${1:-$here/../assets/TimeZoneMap.jpg}")

command -v gmt >/dev/null || {
    echo "make-map.sh: GMT is not installed (Debian: apt-get install gmt gmt-gshhg-low)" >&2
    exit 1
}

# The version of the coastline data, for the credit line.
gshhg_version() {
    dpkg-query -W -f '${Version}' gmt-gshhg-low 2>/dev/null | sed 's/[-+].*//' || true
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# Zone names in the order of the zone table: row i is offset 11 - i hours.
names=(
    "GMT+11 Auckland" "GMT+10 Melbourne" "GMT+9 (Tokyo)" "GMT+8 (Bejin)" "GMT+7 (Bankok)"
    "GMT+6 (Omsk)" "GMT+5 Islamabad" "GMT+4 Mauritius" "GMT+3 (Moscow)" "GMT+2 (Tel-Aviv)"
    "GMT+1 (Paris)" "GMT (London)" "GMT-1 Cap Verde" "GMT-2" "GMT-3 (Rio)" "GMT-4 (Halifax)"
    "GMT-5 (EST)" "GMT-6 (CST)" "GMT-7 (MST)" "GMT-8 (PST)" "GMT-9 Anchorage" "GMT-10"
    "GMT-11" "GMT-12"
)

# The bands run from GMT-12 (centred on the date line) in the west to GMT+11 in the east, so
# the map starts half a band west of 180 W and every band is whole.
west=-187.5
east=172.5
south=-66
north=84
dpi=100
width=20 # inches: 2000 pixels at $dpi
height=$(awk -v w="$width" -v s="$south" -v n="$north" 'BEGIN { print w * (n - s) / 360 }')
margin_x=0.25 # inches around the map; the label rows need more above and below it
margin_y=0.75

map="-R$west/$east/$south/$north -JQ-7.5/${width}i"
paper="-R0/$width/0/$height -JX${width}i/${height}i" # inches, origin at the map's corner

sea=("#d4e6f5" "#b8d2eb")
land=("#f0e6c8" "#dccb9c")

gmt set PS_MEDIA "$(awk -v w="$width" -v m="$margin_x" 'BEGIN { print w + 2 * m }')ix$(
    awk -v h="$height" -v m="$margin_y" 'BEGIN { print h + 2 * m }')i" \
    MAP_FRAME_TYPE plain MAP_FRAME_PEN 1p,#404040 PS_PAGE_COLOR white \
    PS_PAGE_ORIENTATION portrait GMT_VERBOSE errors >/dev/null

ps=map.ps
gmt psbasemap $map -B0 -K -X${margin_x}i -Y${margin_y}i >$ps

# Alternate shading, land and sea alike, makes each band stand out from its neighbours.
for offset in $(seq -12 11); do
    shade=$(((offset + 12) % 2))
    # Clipped in inches: as longitudes, the band across the date line would wrap the wrong way.
    awk -v o="$offset" -v w="$width" -v h="$height" 'BEGIN {
        l = w * (o + 12) / 24; r = w * (o + 13) / 24
        print l, 0; print r, 0; print r, h; print l, h }' >band.txt
    gmt psclip band.txt $paper -K -O >>$ps
    gmt pscoast $map -Dl -A5000 -G"${land[$shade]}" -S"${sea[$shade]}" -K -O >>$ps
    gmt psclip -C -K -O >>$ps
done

gmt pscoast $map -Dl -A5000 -W0.4p,#6b5a3a -N1/0.3p,#a08f6a -K -O >>$ps

# Band edges.
for offset in $(seq -12 12); do
    awk -v o="$offset" -v s="$south" -v n="$north" 'BEGIN {
        x = 15 * o - 7.5; print ">"; print x, s; print x, n }'
done | gmt psxy $map -W0.75p,#4a6285 -K -O >>$ps

gmt psbasemap $map -B0 -K -O >>$ps

# A name rarely fits in its own band, so the labels alternate between two rows above the map
# and two below it (scrolled to either edge, the names stay in view), each joined to the
# middle of its band by a leader.
band=$(awk -v w="$width" 'BEGIN { print w / 24 }')
for offset in $(seq -12 11); do
    x=$(awk -v b="$band" -v o="$offset" 'BEGIN { print b * (o + 12.5) }')
    row=$(((offset + 12) % 2))
    name=${names[$((11 - offset))]}
    awk -v x="$x" -v h="$height" -v r="$row" 'BEGIN {
        print ">"; print x, h; print x, h + 0.1 + 0.24 * r
        print ">"; print x, 0; print x, -0.1 - 0.24 * r }' >>leaders.txt
    awk -v x="$x" -v h="$height" -v r="$row" -v t="$name" 'BEGIN {
        printf "%s %s CB %s\n", x, h + 0.12 + 0.24 * r, t
        printf "%s %s CT %s\n", x, -0.12 - 0.24 * r, t }' >>labels.txt
done
gmt psxy leaders.txt $paper -W0.75p,#4a6285 -N -K -O >>$ps
gmt pstext labels.txt $paper -F+f11p,Helvetica-Bold,#1e2a3a+j -N -K -O >>$ps

credit="Coastlines and borders: GSHHG $(gshhg_version), LGPL-3.0-or-later; drawn with GMT"
echo "$width -0.66 $credit" | gmt pstext $paper -F+f8p,Helvetica,#505a66+jRT -N -K -O >>$ps

gmt psxy $paper -T -O >>$ps

gmt psconvert $ps -A -I+m0.1i -E$dpi -Tj+q88 -Qt4 -Qg4 -Fmap
mkdir -p "$(dirname "$out")"
cp map.jpg "$out"
echo "make-map.sh: wrote $out"
