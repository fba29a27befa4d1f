# The Wine that runs one Windows build, in a prefix of its own, and the
# virtual display its windows need. Sourced by the scripts and the test
# fixtures; changes nothing until a function is called.

# wine_use ARCH PREFIX: this shell's Wine runs ARCH programs (win32 or win64)
# in PREFIX. Debian's `wine` wrapper picks the 32-bit loader whenever it is
# installed, even where the kernel cannot start it, so the loader is named
# here; the 64-bit server serves both kinds of program.
wine_use() {
  export WINEARCH=$1 WINEPREFIX=$2 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  case $1 in
    win32) export WINELOADER=/usr/lib/wine/wine ;;
    win64) export WINELOADER=/usr/lib/wine/wine64 ;;
    *) echo "wine_use: no Wine for '$1' (win32, win64)" >&2; return 2 ;;
  esac
  export WINESERVER=/usr/lib/wine/wineserver64
}

wine_run() { "$WINELOADER" "$@"; }

# Stops the prefix's server and every Wine process in it.
wine_down() { "$WINESERVER" -k 2>/dev/null || true; }

wine_boot_limit=300  # seconds; a loader that hangs must not stall a run

# Makes the prefix once, and takes away its z: drive (the host's root): the
# programs in it reach only the drives mapped here.
# A 64-bit prefix also sets up its 32-bit half, which fails where the host
# starts no 32-bit programs: the prefix is judged by its registry, not by
# wineboot's exit code.
wine_prefix_up() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    rm -rf "$WINEPREFIX"
    timeout "$wine_boot_limit" "$WINELOADER" wineboot -i >/dev/null 2>&1 || true
    "$WINESERVER" -w
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      echo "wine_prefix_up: Wine could not make the prefix $WINEPREFIX" >&2
      return 1
    fi
  fi
  rm -f "$WINEPREFIX/dosdevices/z:"
}

# wine_map_drive LETTER FOLDER: the folder is the drive LETTER.
wine_map_drive() {
  rm -f "$WINEPREFIX/dosdevices/$1:"
  ln -s "$2" "$WINEPREFIX/dosdevices/$1:"
}

# wine_drive_types LETTER=TYPE ...: the drive types that Wine's mount manager
# reports (hd, ramdisk, cdrom, network, floppy), set in the prefix's registry.
wine_drive_types() {
  local file=$WINEPREFIX/drive_c/drive-types.reg entry
  {
    printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]\r\n'
    for entry in "$@"; do printf '"%s:"="%s"\r\n' "${entry%%=*}" "${entry#*=}"; done
  } >"$file"
  wine_down
  "$WINESERVER" -w
  "$WINELOADER" reg import 'C:\drive-types.reg' >/dev/null 2>&1
  wine_down
  "$WINESERVER" -w
}

# wine_install BUILD_DIR: Kelvor.exe and its help file as C:\Kelvor\ holds them.
wine_install() {
  mkdir -p "$WINEPREFIX/drive_c/Kelvor"
  cp -f "$1/Kelvor.exe" "$WINEPREFIX/drive_c/Kelvor/"
  [ ! -f "$1/Kelvor.chm" ] || cp -f "$1/Kelvor.chm" "$WINEPREFIX/drive_c/Kelvor/"
}

# One persistent server with Wine's own services, started with their output
# elsewhere, so that they never hold a caller's output open after it ended.
# (Like wine_prefix_up, wineboot's exit code tells nothing here.)
wine_services_up() {
  "$WINESERVER" -p </dev/null >/dev/null 2>&1
  timeout "$wine_boot_limit" "$WINELOADER" wineboot </dev/null >/dev/null 2>&1 || true
}

# display_up PID_FOLDER: a virtual display (Xvfb with a light window manager)
# on $DISPLAY unless one answers there already; their process numbers are
# kept in PID_FOLDER for display_down.
display_up() {
  xdpyinfo >/dev/null 2>&1 && return 0
  Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  echo $! >"$1/xvfb.pid"
  local tries=50
  while [ $tries -gt 0 ] && ! xdpyinfo >/dev/null 2>&1; do
    sleep 0.1
    tries=$((tries - 1))
  done
  openbox >/dev/null 2>&1 &
  echo $! >"$1/openbox.pid"
}

display_down() {
  local name
  for name in openbox xvfb; do
    [ ! -f "$1/$name.pid" ] || kill "$(cat "$1/$name.pid")" 2>/dev/null || true
    rm -f "$1/$name.pid"
  done
}

# wine32_refusal PREFIX PROBE: why this host does not start 32-bit Windows
# programs, or nothing (and success) when it does. PROBE, a tiny i686 program
# that exits with 42, runs in PREFIX under a time limit: a host whose CPU
# emulator takes 32-bit programs can start the loader and then hang.
wine32_probe_limit=120  # seconds, the prefix's first start included
wine32_refusal() (
  wine_use win32 "$1"
  # Through the shell's exec, which says "Exec format error" where the kernel
  # refuses the loader (timeout's own exec would hand it to a shell as a script).
  output=$(timeout "$wine32_probe_limit" sh -c 'exec "$@"' wine32-probe "$WINELOADER" "$2" 2>&1)
  code=$?
  [ $code -eq 42 ] && exit 0
  if [ $code -eq 124 ]; then
    echo "a 32-bit program did not start within $wine32_probe_limit s"
  else
    grep -m1 . <<<"$output" || echo "the probe ended with exit code $code"
  fi
  exit 1
)
