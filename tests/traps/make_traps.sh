#!/usr/bin/env bash
# Lays the link traps that the removal tests aim at, inside the build's own Wine prefix:
# Unix symlinks, which Wine shows as links (folders) or as plain files (files). A program in the
# prefix cannot make them itself. Every link is relative and points inside C:\zarvex-traps or the
# profile that holds it, so none can reach the Linux files.
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
# A link to itself: whatever lies below it cannot be opened, and is not "not found" either.
ln -s link-loop "$traps/link-loop"
# A folder to clean that is really the Windows folder.
ln -s ../../windows "$traps/windows-link-holder/windows-link"
# The sweep's Temp file, as a link to a bystander.
mkdir -p "$traps/sweep-temp"
ln -s ../bystander-file.exe "$traps/sweep-temp/services.exe"
# A product's subfolder that became a link after its path was checked (a swap caught midway): it
# leads to a folder holding a Logs folder of its own, as the product's Data does.
mkdir -p "$traps/data-elsewhere/Logs" "$traps/swapped/Antispyware PRO XP"
echo kept > "$traps/data-elsewhere/Logs/kept.txt"
ln -s ../../data-elsewhere "$traps/swapped/Antispyware PRO XP/Data"
# Inside the user's own profile (below its top level, whose links the session set-up replaces with
# folders): a folder to clean that is a link to the user's Documents, and a Temp folder whose file
# links lead to the bystander files.
for profile in "$WINEPREFIX"/drive_c/users/*; do
  if [ "$(basename "$profile")" != Public ] && [ -d "$profile/Documents" ]; then
    local_data="$profile/AppData/Local"
    rm -rf "$local_data/zarvex-documents-link" "$local_data/zarvex-links" "$local_data/Temp/zarvex-links"
    ln -s ../../Documents "$local_data/zarvex-documents-link"
    mkdir -p "$local_data/Temp/zarvex-links"
    ln -sr "$traps/bystander-file.txt" "$local_data/Temp/zarvex-links/file-link.txt"
    ln -sr "$traps/bystander-file.exe" "$local_data/Temp/zarvex-links/file-link.exe"
  fi
done
# Uninstallers in Program Files that are not the product's own: a product folder that is a link to
# a folder elsewhere, and an uninstaller that is a link to a program elsewhere (the tests lay the
# program in uninstaller-elsewhere).
program_files="$WINEPREFIX/drive_c/Program Files"
mkdir -p "$traps/uninstaller-elsewhere" "$program_files"
rm -rf "$program_files/zarvex-linked-product" "$program_files/zarvex-file-link-product"
ln -s ../zarvex-traps/uninstaller-elsewhere "$program_files/zarvex-linked-product"
mkdir -p "$program_files/zarvex-file-link-product"
ln -s ../../zarvex-traps/uninstaller-elsewhere/uninstall.exe "$program_files/zarvex-file-link-product/uninstall.exe"
