#!/usr/bin/env bash
# Lays the link traps that the removal tests aim at, inside the build's own Wine prefix:
# Unix symlinks, which Wine shows as links (folders) or as plain files (files). A program in the
# prefix cannot make them itself. Every link is relative and points inside C:\zarvex-traps, so
# none can reach the Linux files.
#   tests/traps/make_traps.sh <build folder>
set -euo pipefail
zarvex_build=$(realpath -m "${1:?build folder}")
source "$(dirname "$0")/../../tools/wine-env.sh"
zarvex_prefix_ready
traps="$WINEPREFIX/drive_c/zarvex-traps"
rm -rf "$traps"
mkdir -p "$traps/bystander" "$traps/bystander-parent/product" "$traps/links" "$traps/windows-link-holder"
echo kept > "$traps/bystander/kept.txt"
echo kept > "$traps/bystander/kept.exe"
echo kept > "$traps/bystander-file.txt"
echo kept > "$traps/bystander-file.exe"
echo kept > "$traps/bystander-parent/product/kept.txt"
# A product folder that is a link, a folder on the way to a product that is a link, and file
# links lying in a folder that is emptied.
ln -s ../bystander "$traps/links/dir-link"
ln -s ../bystander-parent "$traps/links/parent-link"
mkdir -p "$traps/bystander-empty"
ln -s ../bystander-empty "$traps/links/empty-link"
ln -s ../bystander-file.txt "$traps/links/file-link.txt"
ln -s ../bystander-file.exe "$traps/links/file-link.exe"
# A folder to clean that is really the Windows folder.
ln -s ../../windows "$traps/windows-link-holder/windows-link"
# The sweep's Temp file, as a link to a bystander.
mkdir -p "$traps/sweep-temp"
ln -s ../bystander-file.exe "$traps/sweep-temp/services.exe"
