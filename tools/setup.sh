#!/usr/bin/env bash
# Installs everything that building, running and testing Zarvex needs on Debian 12.
# Run as root. A second run changes nothing.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
deps="$here/.deps"
jpeg_prefix="$deps/mingw32"

packages=(wine wine32:i386 wine64 gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix
          binutils-mingw-w64-i686 libz-mingw-w64-dev googletest cmake nasm xvfb xauth
          fonts-wine dpkg-dev zip unzip python3 gzip curl)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  [ "$(id -u)" -eq 0 ] || { echo "setup: run as root to install: ${missing[*]}" >&2; exit 1; }
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
fi

# libjpeg-turbo from Debian's source package, cross-built once into a project-local prefix.
if [ ! -f "$jpeg_prefix/lib/libjpeg.a" ]; then
  src_list=/etc/apt/sources.list.d/zarvex-deb-src.sources
  if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    [ "$(id -u)" -eq 0 ] || { echo "setup: run as root to add a deb-src entry" >&2; exit 1; }
    # Written like the machine's own Debian entry: deb822, same mirror, suites and key.
    sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources > "$src_list"
    apt-get update -qq
  fi
  mkdir -p "$deps/src"
  ( cd "$deps/src"
    ls libjpeg-turbo_*.dsc >/dev/null 2>&1 || apt-get source --download-only libjpeg-turbo
    dsc=$(ls libjpeg-turbo_*.dsc | head -n1)
    rm -rf libjpeg-turbo
    dpkg-source --no-check -x "$dsc" libjpeg-turbo >/dev/null )
  cmake -S "$deps/src/libjpeg-turbo" -B "$deps/build-jpeg" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$jpeg_prefix" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF \
    -DCMAKE_POSITION_INDEPENDENT_CODE=OFF >/dev/null
  cmake --build "$deps/build-jpeg" -j"$(nproc)" >/dev/null
  cmake --install "$deps/build-jpeg" >/dev/null
  rm -rf "$deps/build-jpeg"
fi
echo "setup: ready"
