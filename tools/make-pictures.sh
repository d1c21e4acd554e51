#!/usr/bin/env bash
# Redraws the program's pictures and icons into assets/ (needs the toolchain, Wine and the
# cross-built libjpeg's cjpeg.exe):  tools/make-pictures.sh [build folder for the Wine prefix]
set -euo pipefail
cd "$(dirname "$0")/.."
zarvex_build=$(realpath -m "${1:-build}")
source tools/wine-env.sh
zarvex_prefix_ready
work="$WINEPREFIX/drive_c/zarvex/pictures"
rm -rf "$work" && mkdir -p "$work"
i686-w64-mingw32-g++-posix -std=c++20 -O2 -static -o "$work/make_pictures.exe" tools/pictures/make_pictures.cpp -lgdi32
cp .deps/mingw32/bin/cjpeg.exe "$work/"
wine "C:\\zarvex\\pictures\\make_pictures.exe" "C:\\zarvex\\pictures" </dev/null
for picture in banner scan about; do
  wine "C:\\zarvex\\pictures\\cjpeg.exe" -quality 92 -optimize -outfile "C:\\zarvex\\pictures\\$picture.jpg" \
    "C:\\zarvex\\pictures\\$picture.ppm" </dev/null
  cp "$work/$picture.jpg" assets/
done
cp "$work"/*.ico assets/
rm -rf "$work"
ls -l assets/*.jpg assets/*.ico
