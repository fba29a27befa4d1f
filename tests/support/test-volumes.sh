#!/usr/bin/env bash
# Mounts (up) or removes (down) the size-limited volumes that the tests work
# on, below ROOT. The tests know them by drive letter:
#   T:  ROOT/work   64 MiB tmpfs        fresh folders for every test
#   W:  ROOT/ro     64 KiB tmpfs        read-only, holding readonly.dat
#   S:  ROOT/small  150 MiB tmpfs       a wipe with no whole gigabyte
#   L:  ROOT/large  1300 MiB tmpfs      a wipe whose gigabyte file fits whole
#   X:  ROOT/ext4   1400 MiB ext4 image a wipe that fills up inside the last file
#   G:  ROOT/reliability                mounted by the reliability suite itself
#   D: (Wine only)                      a CD drive, never listed
# For a Windows build (PLATFORM win32 or win64: the Wine that runs it) it also
# prepares the build's own Wine prefix: the drives above, O: for test results,
# and no z: (no access to the host's root).
set -euo pipefail
action=$1 root=$2 results=$3 platform=$4 prefix=$5
source "$(dirname "$0")/../../scripts/lib/wine.sh"
source "$(dirname "$0")/../../scripts/lib/volumes.sh"

tmpfs_volumes=(work:64m ro:64k small:150m large:1300m)
ext4_size_mib=1400
letters=(t:work w:ro s:small l:large x:ext4 g:reliability d:cd)
# Drive types for Wine's mount manager. D: is a plain folder that stands for
# a CD drive.
wine_drive_types=(s=ramdisk l=ramdisk t=ramdisk x=hd g=hd d=cdrom)

if [ "$action" = down ]; then
  if [ "$platform" != posix ]; then
    wine_use "$platform" "$prefix"
    wine_down
    display_down "$root"
  fi
  for volume in "${tmpfs_volumes[@]}" ext4: reliability: cd:; do
    unmount "$root/${volume%%:*}"
    rmdir "$root/${volume%%:*}" 2>/dev/null || true
  done
  rm -f "$root/ext4.img"
  rmdir "$root" 2>/dev/null || true
  exit 0
fi
[ "$action" = up ] || { echo "usage: test-volumes.sh up|down ROOT RESULTS PLATFORM PREFIX" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || { echo "test-volumes.sh: mounting needs root" >&2; exit 1; }

for volume in "${tmpfs_volumes[@]}"; do
  mountpoint -q "$root/${volume%%:*}" || tmpfs_mount "$root/${volume%%:*}" "${volume#*:}"
done
if touch "$root/ro" 2>/dev/null; then
  printf 'on a read-only volume' >"$root/ro/readonly.dat"
  mount -o remount,ro "$root/ro"
fi
if ! mountpoint -q "$root/ext4"; then
  ext4_image "$root/ext4.img" "$ext4_size_mib"
  ext4_mount "$root/ext4.img" "$root/ext4"
fi
mkdir -p "$results" "$root/reliability" "$root/cd"
[ "$platform" != posix ] || exit 0

wine_use "$platform" "$prefix"
wine_prefix_up
wine_drive_types "${wine_drive_types[@]}"
wine_map_drive o "$results"
for entry in "${letters[@]}"; do wine_map_drive "${entry%%:*}" "$root/${entry#*:}"; done
wine_install "$(dirname "$prefix")"  # the program under test, in the prefix's own C: drive
[ -z "${DISPLAY:-}" ] || display_up "$root"
wine_services_up
