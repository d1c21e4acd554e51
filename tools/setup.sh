#!/usr/bin/env bash
# Installs everything that building, running and testing Zarvex needs on Debian 12.
# Run as root. A second run changes nothing.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
deps="$here/.deps"

packages=(wine wine32:i386 wine64 gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix
          binutils-mingw-w64-i686 gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix
          binutils-mingw-w64-x86-64 libz-mingw-w64-dev googletest cmake nasm xvfb xauth
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

# libjpeg-turbo from Debian's source package, cross-built once into project-local prefixes: 32-bit
# for the product, 64-bit for tests on machines whose Wine runs 64-bit programs only.
jpeg_source() {
  [ -d "$deps/src/libjpeg-turbo" ] && return
  if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -rqs '^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    [ "$(id -u)" -eq 0 ] || { echo "setup: run as root to add a deb-src entry" >&2; exit 1; }
    # Written like the machine's own Debian entry, in whichever form it has: same mirror, suites and key.
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
        > /etc/apt/sources.list.d/zarvex-deb-src.sources
    elif grep -qs '^deb ' /etc/apt/sources.list; then
      sed -n 's/^deb /deb-src /p' /etc/apt/sources.list > /etc/apt/sources.list.d/zarvex-deb-src.list
    else
      echo "setup: no Debian package source found to take a deb-src entry from" >&2
      exit 1
    fi
    apt-get update -qq
  fi
  mkdir -p "$deps/src"
  ( cd "$deps/src"
    ls libjpeg-turbo_*.dsc >/dev/null 2>&1 || apt-get source --download-only libjpeg-turbo
    dsc=$(ls libjpeg-turbo_*.dsc | head -n1)
    rm -rf libjpeg-turbo libjpeg-turbo.part
    dpkg-source --no-check -x "$dsc" libjpeg-turbo.part >/dev/null
    mv libjpeg-turbo.part libjpeg-turbo )
}

for arch in i686:mingw32 x86_64:mingw64; do
  jpeg_prefix="$deps/${arch#*:}"
  [ -f "$jpeg_prefix/lib/libjpeg.a" ] && continue
  jpeg_source
  cmake -S "$deps/src/libjpeg-turbo" -B "$deps/build-jpeg" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-${arch%%:*}.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$jpeg_prefix" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF \
    -DCMAKE_POSITION_INDEPENDENT_CODE=OFF >/dev/null
  cmake --build "$deps/build-jpeg" -j"$(nproc)" >/dev/null
  cmake --install "$deps/build-jpeg" >/dev/null
  rm -rf "$deps/build-jpeg"
done
# The shipped Zarvex.exe is 32-bit. Where this kernel runs no 32-bit processes, it runs in the tests
# under user-mode emulation of i386: qemu-i386 registered with binfmt_misc, with the F flag, so the
# kernel holds the emulator open and it is found whatever root or mounts a process has. A kernel
# that runs 32-bit processes itself is left exactly as it is.
binfmt=/proc/sys/fs/binfmt_misc
i386_entry=zarvex-qemu-i386
i386_magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
i386_mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
run32() { unset zarvex_wine_arch zarvex_run32; source "$here/tools/wine-arch.sh"; echo "$zarvex_run32"; }
# Only the kernel's own refusal ("Exec format error") calls for the emulator: a 32-bit Wine that
# fails for another reason on a kernel that runs 32-bit code is no reason to change the machine.
kernel_runs_no_i386() { /usr/lib/wine/wine --version 2>&1 | grep -q 'Exec format error'; }
if [ "$(run32)" = none ] && ! kernel_runs_no_i386; then
  echo "setup: 32-bit Wine does not run here, though the kernel runs 32-bit programs; product32 will fail" >&2
elif [ "$(run32)" = none ]; then
  [ "$(id -u)" -eq 0 ] || { echo "setup: run as root to let 32-bit programs run under emulation" >&2; exit 1; }
  if ! mountpoint -q "$binfmt"; then mount -t binfmt_misc binfmt_misc "$binfmt"; fi
  if [ "$(run32)" = none ]; then
    if ! dpkg-query -W -f='${Status}\n' qemu-user-static 2>/dev/null | grep -q '^install ok installed$'; then
      export DEBIAN_FRONTEND=noninteractive
      apt-get update -qq
      apt-get install -y -qq --no-install-recommends qemu-user-static >/dev/null
    fi
    if [ -e "$binfmt/$i386_entry" ]; then
      echo 1 > "$binfmt/$i386_entry"  # registered before, then turned off
    else
      printf '%s\n' ":$i386_entry:M::$i386_magic:$i386_mask:/usr/bin/qemu-i386-static:F" > "$binfmt/register"
    fi
    if [ "$(run32)" != emulated ] || ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
      echo "setup: 32-bit programs do not run under qemu-i386" >&2
      exit 1
    fi
  fi
fi
echo "setup: ready"
