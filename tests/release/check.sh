#!/usr/bin/env bash
# Checks the release that scripts/package wrote: the Debian package installs
# into a throwaway root, where kelvor prints the version, and lintian (which
# also checks the files' owners and renders the manual page) finds nothing;
# the zip holds exactly its four files, and its Kelvor.exe carries the version
# resource and declares system DPI awareness; SHA256SUMS fits both. The version wanted is CMakeLists.txt's.
#
# Usage: tests/release/check.sh [DIST]   (default: dist)
# Prints one line per check; exits 1 when any check fails.
set -uo pipefail
cd "$(dirname "$0")/../.."
export LC_ALL=C.UTF-8

dist=${1:-dist}
version=$(sed -n 's/^project(Kelvor VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
deb=$(echo "$dist/kelvor_$version"-*_amd64.deb)
zip=$dist/Kelvor-$version-win32.zip
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
failures=0

# check LABEL COMMAND...: runs one check, and shows its output when it fails.
check() {
  local output
  output=$("${@:2}" 2>&1) && { echo "ok    $1"; return; }
  echo "FAIL  $1"
  sed 's/^/      /' <<<"$output"
  failures=$((failures + 1))
}

# The host's packages count as installed in the throwaway root, so that the
# package's Depends must be met by this Debian. Their files are not there,
# which dpkg notes for each of them: those notes are left out.
installs_and_prints_the_version() {
  mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
  cp /var/lib/dpkg/status "$root/var/lib/dpkg/status"
  dpkg --root="$root" --log=/dev/null --install "$deb" 2>&1 |
    grep -v "^dpkg: warning: files list file for package .* missing"
  [ "${PIPESTATUS[0]}" -eq 0 ] || return 1
  diff <("$root/usr/bin/kelvor" --version) <(echo "kelvor $version")
}

# windres turns the program's resources back into a resource script.
exe_carries_the_version_resource() {
  unzip -p "$zip" Kelvor.exe >"$work/Kelvor.exe"
  i686-w64-mingw32-windres -i "$work/Kelvor.exe" -J coff -O rc -o "$work/resources.rc" || return 1
  local numbers="${version//./, }, 0" line
  for line in "FILEVERSION $numbers" "PRODUCTVERSION $numbers" \
    "VALUE \"FileVersion\", \"$version\"" "VALUE \"ProductVersion\", \"$version\"" \
    "VALUE \"ProductName\", \"Kelvor\"" "VALUE \"FileDescription\", \"Kelvor: "; do
    grep -q -F "$line" "$work/resources.rc" || { echo "no $line"; return 1; }
  done
}

# What README.md says the package needs: the C and C++ runtimes and liburing2.
depends_on_what_the_readme_says() {
  diff <(dpkg-deb -f "$deb" Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//' | sort) \
    <(printf '%s\n' libc6 libgcc-s1 liburing2 libstdc++6 | sort)
}

# Under Wine every window is reported per-monitor aware whatever the manifest
# says, so the manifest itself is what is checked.
exe_declares_system_dpi_awareness() {
  unzip -p "$zip" Kelvor.exe >"$work/Kelvor.exe"
  i686-w64-mingw32-windres -i "$work/Kelvor.exe" -J coff -O rc -o "$work/manifest.rc" || return 1
  grep -q -F '<dpiAware xmlns=""http://schemas.microsoft.com/SMI/2005/WindowsSettings"">true<' \
    "$work/manifest.rc" &&
    grep -q -F '2016/WindowsSettings"">system</dpiAwareness>' "$work/manifest.rc"
}

checksums_fit() {
  diff <(cut -d' ' -f3 "$dist/SHA256SUMS" | sort) <(basename -a "$zip" "$deb" | sort) &&
    (cd "$dist" && sha256sum --check --quiet SHA256SUMS)
}

check "the package installs into a throwaway root, where kelvor --version prints kelvor $version" \
  installs_and_prints_the_version
check "the package depends on the C and C++ runtimes and liburing2, as README.md says" \
  depends_on_what_the_readme_says
check "lintian finds nothing" \
  lintian --fail-on error,warning,info,pedantic --display-info --pedantic "$deb"
check "the zip holds exactly Kelvor.exe, Kelvor.chm, README.txt, LICENSE.txt" \
  diff <(unzip -Z1 "$zip" | sort) <(printf '%s\n' Kelvor.chm Kelvor.exe LICENSE.txt README.txt)
check "the zip's Kelvor.exe carries version $version" exe_carries_the_version_resource
check "the zip's Kelvor.exe declares system DPI awareness" exe_declares_system_dpi_awareness
check "SHA256SUMS fits the zip and the package" checksums_fit

[ "$failures" -eq 0 ] || { echo "release: $failures checks failed"; exit 1; }
