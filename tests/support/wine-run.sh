#!/usr/bin/env bash
# Runs a Windows program of a build quietly under that build's Wine, in the
# prefix named by WINEPREFIX (the build's own, prepared by test-volumes.sh).
# Usage: wine-run.sh ARCH PROGRAM [ARGUMENT...]   (ARCH: win32 or win64)
set -euo pipefail
: "${WINEPREFIX:?set WINEPREFIX to the Wine prefix of the build}"
source "$(dirname "$0")/../../scripts/lib/wine.sh"
wine_use "$1" "$WINEPREFIX"
shift
exec "$WINELOADER" "$@"
