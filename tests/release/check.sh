#!/usr/bin/env bash
# Checks the release that scripts/package wrote: the Debian package installs
# into a throwaway root with exactly its files, all root's, and lintian finds
# nothing; the installed kelvor prints the version and its manual page renders
# without a warning; the zip holds exactly its four files, the texts with
# CR LF ends, and its Kelvor.exe carries the version resource; SHA256SUMS
# fits both. The version wanted is the one in CMakeLists.txt.
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
checks=0
failures=0

# check LABEL COMMAND...: runs one check, and shows its output when it fails.
check() {
  local label=$1 output
  shift
  checks=$((checks + 1))
  if output=$("$@" 2>&1); then
    echo "ok    $label"
  else
    echo "FAIL  $label"
    echo "$output" | sed 's/^/      /'
    failures=$((failures + 1))
  fi
}

# The host's packages count as installed in the throwaway root, so that the
# package's Depends must be met by this Debian. Their files are not there,
# which dpkg notes for each of them: those notes are left out.
installs_with_exactly_its_files() {
  mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
  cp /var/lib/dpkg/status "$root/var/lib/dpkg/status"
  dpkg --root="$root" --log=/dev/null --install "$deb" 2>&1 |
    grep -v "^dpkg: warning: files list file for package .* missing"
  [ "${PIPESTATUS[0]}" -eq 0 ] || return 1
  diff <(cd "$root" && find usr -type f | sort) - <<'EOF' || return 1
usr/bin/kelvor
usr/share/doc/kelvor/changelog.Debian.gz
usr/share/doc/kelvor/copyright
usr/share/lintian/overrides/kelvor
usr/share/man/man1/kelvor.1.gz
EOF
  local not_roots
  not_roots=$(find "$root/usr" \( ! -user root -o ! -group root \))
  [ -z "$not_roots" ] || { echo "not root's: $not_roots"; return 1; }
}

prints_the_version() {
  local printed
  printed=$("$root/usr/bin/kelvor" --version) || return 1
  [ "$printed" = "kelvor $version" ] || { echo "printed: $printed"; return 1; }
}

# man --warnings sends groff's warnings to standard error.
manual_page_renders_without_warnings() {
  local page=$root/usr/share/man/man1/kelvor.1.gz warnings
  warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >"$work/page.txt") || return 1
  [ -z "$warnings" ] || { echo "$warnings"; return 1; }
  grep -q "^EXIT STATUS" "$work/page.txt" || { echo "no EXIT STATUS section"; return 1; }
  grep -q "^Kelvor $version " "$work/page.txt" || { echo "the footer names no Kelvor $version"; return 1; }
}

lintian_finds_nothing() {
  lintian --fail-on error,warning,info,pedantic --display-info --pedantic "$deb"
}

zip_holds_exactly_its_files() {
  diff <(unzip -Z1 "$zip" | sort) <(printf '%s\n' Kelvor.chm Kelvor.exe LICENSE.txt README.txt) ||
    return 1
  local text
  for text in README.txt LICENSE.txt; do
    unzip -p "$zip" "$text" >"$work/$text"
    [ -s "$work/$text" ] || { echo "$text is empty"; return 1; }
    if grep -q -v $'\r$' "$work/$text"; then echo "$text has lines without CR LF"; return 1; fi
  done
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

checksums_fit() {
  [ "$(cut -d' ' -f3 "$dist/SHA256SUMS" | sort)" = "$(basename "$zip")
$(basename "$deb")" ] || { cat "$dist/SHA256SUMS"; return 1; }
  (cd "$dist" && sha256sum --check --quiet SHA256SUMS)
}

check "the package installs into a throwaway root, with exactly its files" \
  installs_with_exactly_its_files
check "the installed kelvor --version prints kelvor $version" prints_the_version
check "the installed manual page renders without warnings" manual_page_renders_without_warnings
check "lintian finds nothing" lintian_finds_nothing
check "the zip holds exactly Kelvor.exe, Kelvor.chm, README.txt, LICENSE.txt" \
  zip_holds_exactly_its_files
check "the zip's Kelvor.exe carries version $version" exe_carries_the_version_resource
check "SHA256SUMS fits the zip and the package" checksums_fit

echo "release: $((checks - failures)) of $checks checks good"
[ "$failures" -eq 0 ]
