#!/usr/bin/env bash
# Mounts (up) or removes (down) the size-limited volumes that the tests work
# on, below ROOT, as test-volumes.txt beside this script lays them out: the
# tests know them by drive letter.
# For a Windows build (PLATFORM win32 or win64: the Wine that runs it) it also
# prepares the build's own Wine prefix: those drives, O: for test results,
# and no z: (no access to the host's root).
set -euo pipefail
action=$1 root=$2 results=$3 platform=$4 prefix=$5
here=$(dirname "$0")
source "$here/../../scripts/lib/wine.sh"
source "$here/../../scripts/lib/volumes.sh"

readonly_file=readonly.dat readonly_text='on a read-only volume'  # as test_folder.h expects
slow_after_mib=24  # the record reserve and the remainder part go at full speed

# The layout's lines, without comments: LETTER FOLDER FILESYSTEM SIZE WINE_TYPE.
layout() { grep -v -e '^#' -e '^[[:space:]]*$' "$here/test-volumes.txt"; }

if [ "$action" = down ]; then
  if [ "$platform" != posix ]; then
    wine_use "$platform" "$prefix"
    wine_down
    display_down "$root"
  fi
  while read -r _ folder filesystem _; do
    unmount "$root/$folder"
    rmdir "$root/$folder" 2>/dev/null || true
    if [ "$filesystem" = slow ]; then
      unmount "$root/$folder.backing"
      rmdir "$root/$folder.backing" 2>/dev/null || true
    fi
    [ "$filesystem" != ext4 ] || rm -f "$root/$folder.img"
  done < <(layout)
  rmdir "$root" 2>/dev/null || true
  exit 0
fi
[ "$action" = up ] || { echo "usage: test-volumes.sh up|down ROOT RESULTS PLATFORM PREFIX" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || { echo "test-volumes.sh: mounting needs root" >&2; exit 1; }

drive_types=()
while read -r letter folder filesystem size wine_type _; do
  volume=$root/$folder
  case $filesystem in
    tmpfs) mountpoint -q "$volume" || tmpfs_mount "$volume" "$size" ;;
    tmpfs-ro)
      mountpoint -q "$volume" || tmpfs_mount "$volume" "$size"
      if touch "$volume" 2>/dev/null; then
        printf '%s' "$readonly_text" >"$volume/$readonly_file"
        mount -o remount,ro "$volume"
      fi
      ;;
    ext4)
      [[ $size == *m ]] || { echo "test-volumes.txt: give the size of $folder in MiB" >&2; exit 1; }
      if ! mountpoint -q "$volume"; then
        ext4_image "$volume.img" "${size%m}"
        ext4_mount "$volume.img" "$volume"
      fi
      ;;
    slow)
      if ! mountpoint -q "$volume"; then
        mountpoint -q "$volume.backing" || tmpfs_mount "$volume.backing" "$size"
        mkdir -p "$volume"
        # The view's server runs until the volume is unmounted.
        setsid "$here/../reliability/faultfs.py" "$volume.backing" "$volume" $((slow_after_mib << 20)) \
          EIO slow </dev/null >/dev/null 2>&1 &
        for _ in $(seq 100); do mountpoint -q "$volume" && break; sleep 0.1; done
        mountpoint -q "$volume" || { echo "test-volumes.sh: the slow volume did not come up" >&2; exit 1; }
      fi
      ;;
    folder) mkdir -p "$volume" ;;
    *) echo "test-volumes.txt: unknown filesystem '$filesystem' of $folder" >&2; exit 1 ;;
  esac
  [ "$wine_type" = - ] || drive_types+=("${letter,,}=$wine_type")
done < <(layout)
mkdir -p "$results"
[ "$platform" != posix ] || exit 0

wine_use "$platform" "$prefix"
wine_prefix_up
wine_drive_types "${drive_types[@]}"
wine_map_drive o "$results"
while read -r letter folder _; do wine_map_drive "${letter,,}" "$root/$folder"; done < <(layout)
wine_install "$(dirname "$prefix")"  # the program under test, in the prefix's own C: drive
[ -z "${DISPLAY:-}" ] || display_up "$root"
wine_services_up
