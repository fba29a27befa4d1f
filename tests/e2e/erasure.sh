#!/usr/bin/env bash
# The point of the product: data of deleted files is gone after a wipe.
# On a volume of its own (an ext4 or NTFS image, loop-mounted), write large,
# medium and small files holding marker texts, delete them, wipe the free
# space with the build's program, unmount and scan the image: no marker may
# occur any more. On NTFS the small files live inside their file records.
# The Linux program (KELVOR_PLATFORM posix) is also stopped by SIGINT while
# it overwrites NTFS's free file records: the volume must be clean afterwards.
# Usage: erasure.sh ext4|ntfs ROOT PROGRAM...  (PROGRAM: the command that runs
# the build's program; for Windows, wine-run.sh with the arch and report_runner)
set -euo pipefail
filesystem=$1 root=$2
shift 2
program=("$@")
source "$(dirname "$0")/../../scripts/lib/volumes.sh"
volume=$root/erasure image=$root/erasure.img
# On ext4 a fill file of this size needs a block for the index of its extents.
declare -A size_mib=([ext4]=600 [ntfs]=300)
marker="KELVOR-ERASURE-MARKER-$$-$RANDOM"
small_files=400
cancelled_small_files=2000
reserve="$volume/~KelvorTemp/Kelvor-reserve.dat"
wait_limit=120 # seconds

trap 'unmount "$volume"; rm -f "$image"' EXIT
mount_volume() { "${filesystem}_mount" "$image" "$volume"; }
fail() { echo "FAIL: $*"; failures=1; }

marker_count() { { grep -a -o -F "$marker-$1" "$image" || true; } | wc -l; }

# plant SMALL_FILES: a large file, medium ones and small ones on the disk,
# then deleted.
plant() {
  seq -f "$marker-large %g" 100000 >"$volume/large.dat"
  mkdir "$volume/medium" "$volume/small"
  for i in $(seq 1 40); do
    { yes "$marker-medium $i" || true; } | head -c $((16 << 10)) >"$volume/medium/part-$i.txt"
  done
  for i in $(seq 1 "$1"); do
    printf '%s %d\n' "$marker-small" "$i" >"$volume/small/note-$i.txt"
  done
  umount "$volume"
  for size in large medium small; do before[$size]=$(marker_count $size); done
  mount_volume
  rm -rf "$volume/large.dat" "$volume/medium" "$volume/small"
  sync
}

left_on_volume() { ls -A "$volume" | grep -v '^lost+found$' || true; }

# wait_until CONDITION...: true once the condition holds, false after the limit.
wait_until() {
  local deadline=$((SECONDS + wait_limit))
  until "$@"; do [ $SECONDS -lt $deadline ] || return 1; done
}

unmount "$volume"
"${filesystem}_image" "$image" "${size_mib[$filesystem]}"
mount_volume
declare -A before
plant "$small_files"

KELVOR_DRIVES="E=$volume" "${program[@]}" E: /B
leftovers=$(left_on_volume)
umount "$volume"
failures=0
for size in large medium small; do
  echo "$size files: ${before[$size]} marker copies in the image before the wipe," \
    "$(marker_count $size) after"
  [ "${before[$size]}" -ge "$small_files" ] || fail "the $size markers never reached the image"
done
# ext4 may write the block that indexes a fill file's extents only to its
# journal; deleting the file then cancels the home write, and the block keeps
# what a deleted file left. The Linux build has the journal written home
# first; a Windows program (under Wine) cannot ask for that.
allowed_blocks=0
[ "$filesystem" = ext4 ] && [ "$KELVOR_PLATFORM" != posix ] && allowed_blocks=1
blocks=$({ grep -a -b -o -F "$marker" "$image" || true; } |
  awk -F: '{ print int($1 / 4096) }' | sort -u | wc -l)
echo "4 KiB blocks still holding markers: $blocks (allowed: $allowed_blocks)"
[ "$blocks" -le "$allowed_blocks" ] || fail "markers survived the wipe"
[ -z "$leftovers" ] || fail "left on the volume: $leftovers"
[ $failures -eq 0 ] || exit 1
echo "PASS: no marker survived beyond what is allowed"

[ "$filesystem" = ntfs ] && [ "$KELVOR_PLATFORM" = posix ] || exit 0
# Many free records make the stage last long enough to be interrupted: it
# begins when the reserve file is given back.
mount_volume
plant "$cancelled_small_files"
output=$root/erasure-cancel.out
KELVOR_DRIVES="E=$volume" "${program[@]}" E: >"$output" 2>&1 &
running=$!
wait_until test -e "$reserve" || fail "the run made no reserve file"
wait_until test ! -e "$reserve"
kill -INT "$running"
code=0
wait "$running" || code=$?
leftovers=$(left_on_volume)
echo "stopped by SIGINT during the record stage: exit code $code, left: '${leftovers}'"
[ "$code" -eq 130 ] || { fail "exit code $code, not 130"; cat "$output"; }
! grep -q "Deleting temporary files" "$output" || fail "the run had reached its end before the interrupt"
[ -z "$leftovers" ] || fail "left on the volume after the cancel: $leftovers"
[ $failures -eq 0 ] || exit 1
echo "PASS: a cancel during the record stage leaves the volume clean"
