#!/usr/bin/env python3
"""The benchmark's summary: per tool the median round, the spread (fastest and
slowest round), the throughput, the share of the fastest tool's, CPU seconds
per GiB filled and peak memory; fio's direct sequential read beside Kelvor's
read-back; the floor's shares (what the machine allows each pattern); and a
verdict per target. A median that misses its target by less
than the two tools' spreads overlap is "tie within spread": on a shared
virtual disk the device's own spread between rounds is larger than the gaps
that such targets ask about.

Usage: summary.py RUNS_CSV WINE_START_SECONDS RESULTS_DIR MODE TOOLS
MODE is "disk" or "memory" (the image file in memory: each tool's own cost);
TOOLS, the tools in the order of the table, comma-separated (the rounds take
them in other orders).
Writes RESULTS_DIR/table.md and RESULTS_DIR/throughput.dat (tool, median,
slowest and fastest throughput in MB/s, for the chart).
"""
import csv
import statistics
import sys

MB = 1 << 20
GIB = 1 << 30
CONSTANT = ("kelvor-ones", "kelvor-zeros")
NATIVE = CONSTANT + ("kelvor-blocks",)
WINE = "kelvor-exe-wine"
READER = "fio-read"  # reads rather than fills: its rates are fio's own, not free space / wall time
RANDOM_WRITERS = ("scrub-random", "shred-1", "dd-urandom", "openssl-dd")
# The floor (bench/direct_fill.cpp): the bytes of All 1's and of Blocks of
# Binary Data written with nothing else, and Blocks' writes without the copies.
FLOOR_ONES, FLOOR_BLOCKS, FLOOR_ALIGNED = "direct-ones", "direct-blocks", "direct-aligned"
FLOORS = (FLOOR_ONES, FLOOR_BLOCKS, FLOOR_ALIGNED)
NEAR_FASTEST = 0.05  # on the disk: each wipe type's median within 5% of the fastest tool's
BLOCKS_SHARE = 0.9  # in memory: Blocks of Binary Data at 90% of All 1's
READ_SHARE = 0.9  # reading back every byte, against fio's direct sequential read
SAMPLE_COST = 0.03  # what the default, sampled read-back may add to a run
MEMORY_LIMIT_MB = 250
DEVICE_SLACK = 1 << 20  # bytes a tool may leave unwritten (the filesystem's last blocks)


class Tool:
    def __init__(self, name, runs, wine_start):
        self.name = name
        self.free = int(runs[0]["free_bytes"])
        walls = [float(r["wall_s"]) for r in runs]
        if name == WINE:  # the program itself, without Wine's start
            walls = [w - wine_start for w in walls]
        self.wall = statistics.median(walls)
        self.fastest, self.slowest = min(walls), max(walls)
        self.device = min(int(r["device_bytes"]) for r in runs)
        self.memory = max(int(r["peak_rss_kb"]) for r in runs) / 1024
        self.cpu_per_gib = statistics.median(float(r["cpu_s"]) for r in runs) / (self.free / GIB)
        # What the run read back per second, as its own record times it.
        self.reads = [int(r["read_bytes_per_s"]) / MB for r in runs if r.get("read_bytes_per_s")]

    def throughput(self, wall=None):
        return self.free / MB / (wall or self.wall)


def no_slower(tool, other, slack=0.0):
    """The verdict on `tool`'s median time against `other`'s, allowed `slack`."""
    if tool.wall <= other.wall * (1 + slack):
        return "yes"
    return "tie within spread" if tool.fastest <= other.slowest * (1 + slack) else "NO"


def at_least(rates, others, share):
    """The verdict on a median rate (and its rounds) against a share of others'."""
    if statistics.median(rates) >= share * statistics.median(others):
        return "yes"
    return "tie within spread" if max(rates) >= share * min(others) else "NO"


def share_of(tool, other):
    return tool.throughput() / other.throughput()


def floor_line(tools):
    """What the machine allows each pattern: the floor's shares of its own All 1's."""
    ones = tools.get(FLOOR_ONES)
    shares = [f"{t.name} {share_of(t, ones):.0%}"
              for t in (tools.get(FLOOR_BLOCKS), tools.get(FLOOR_ALIGNED)) if t]
    if not ones or not shares:
        return []
    return [f"\nThe floor (bench/direct_fill.cpp: the bytes alone, no more work), against "
            f"{FLOOR_ONES}: " + ", ".join(shares) + "."]


def table(tools, fastest):
    lines = ["| tool | median (s) | spread: fastest - slowest (s) | throughput (MB/s) | "
             "share of the fastest | CPU (s/GiB) | peak memory (MB) | on the device (GiB) |",
             "|---|---|---|---|---|---|---|---|"]
    for t in tools.values():
        lines.append(f"| {t.name} | {t.wall:.2f} | {t.fastest:.2f} - {t.slowest:.2f} | "
                     f"{t.throughput():.0f} | {t.throughput() / fastest.throughput():.0%} | "
                     f"{t.cpu_per_gib:.3f} | {t.memory:.1f} | {t.device / GIB:.2f} |")
    return lines


def checks_of(tools, fastest, reads, mode):
    checks = []
    dd, scrub, ones = tools.get("dd-fsync"), tools.get("scrub-fillzero"), tools.get("kelvor-ones")
    blocks, floor_ones, floor_blocks = (tools.get(n) for n in ("kelvor-blocks", FLOOR_ONES,
                                                               FLOOR_BLOCKS))
    natives = [tools[n] for n in NATIVE if n in tools]
    if mode == "disk":
        for t in natives:
            checks.append((f"{t.name}'s median within {NEAR_FASTEST:.0%} of the fastest tool's "
                           f"({fastest.name})", no_slower(t, fastest, NEAR_FASTEST)))
    else:
        for t in (tools[n] for n in CONSTANT if n in tools):
            if scrub:
                checks.append((f"{t.name} no slower than scrub", no_slower(t, scrub)))
        for other in (tools[n] for n in RANDOM_WRITERS if n in tools and blocks):
            checks.append((f"kelvor-blocks ahead of {other.name}", no_slower(blocks, other)))
        if blocks and ones:
            checks.append((f"kelvor-blocks at {BLOCKS_SHARE:.0%} or more of kelvor-ones's "
                           "throughput", no_slower(blocks, ones, 1 / BLOCKS_SHARE - 1)))
    if blocks and ones and floor_ones and floor_blocks:
        share = share_of(floor_blocks, floor_ones)
        checks.append((f"kelvor-blocks's share of kelvor-ones ({share_of(blocks, ones):.0%}) "
                       f"at or above the floor's ({FLOOR_BLOCKS} of {FLOOR_ONES}: {share:.0%})",
                       "yes" if share_of(blocks, ones) >= share else "NO"))
    if dd:
        for t in (tools[n] for n in CONSTANT if n in tools):
            checks.append((f"{t.name}'s CPU per GiB at or below dd's",
                           "yes" if t.cpu_per_gib <= dd.cpu_per_gib else "NO"))
        if WINE in tools:
            checks.append(("Kelvor.exe under Wine no slower than dd", no_slower(tools[WINE], dd)))
    plain = tools.get("kelvor-ones-unverified")
    if ones and plain:
        checks.append((f"the sampled read-back adds at most {SAMPLE_COST:.0%} to a run "
                       "(kelvor-ones against kelvor-ones-unverified)",
                       no_slower(ones, plain, SAMPLE_COST)))
    full = tools.get("kelvor-ones-full")
    if full and full.reads and reads:
        checks.append((f"reading back every byte at {READ_SHARE:.0%} or more of fio's direct "
                       "sequential read (1 MiB, one in flight)",
                       at_least(full.reads, reads, READ_SHARE)))
    kelvors = [t for t in tools.values() if t.name.startswith("kelvor")]
    checks.append(("every byte of Kelvor's on the device",
                   "yes" if all(t.device >= t.free - DEVICE_SLACK for t in kelvors) else "NO"))
    checks.append((f"Kelvor's peak memory under {MEMORY_LIMIT_MB} MB",
                   "yes" if all(t.memory < MEMORY_LIMIT_MB for t in kelvors) else "NO"))
    return checks


def main(runs_csv, wine_start, results, mode, listed):
    rows = list(csv.DictReader(open(runs_csv)))
    ran = {r["tool"] for r in rows}
    names = [n for n in listed.split(",") if n in ran and n != READER]
    reader = [r for r in rows if r["tool"] == READER]
    reads = [int(r["read_bytes_per_s"]) / MB for r in reader]
    tools = {n: Tool(n, [r for r in rows if r["tool"] == n], float(wine_start)) for n in names}
    # The floor is no tool that a user would run: the fastest is a real one.
    fastest = max((t for t in tools.values() if t.name not in FLOORS), key=Tool.throughput)

    lines = table(tools, fastest)
    if WINE in tools:
        lines.append(f"\n{WINE}'s times leave out Wine's own start ({float(wine_start):.2f} s).")
    if reads:
        deep = statistics.median(int(r["deep_read_bytes_per_s"]) / MB for r in reader)
        lines.append(f"\nfio's direct sequential read of the free space ({READER}), 1 MiB at a time "
                     f"with one read in flight: {statistics.median(reads):.0f} MB/s (rounds from "
                     f"{min(reads):.0f} to {max(reads):.0f}); with eight in flight (io_uring), the "
                     f"device's deeper-queue limit: {deep:.0f} MB/s.")
    full = tools.get("kelvor-ones-full")
    if full and full.reads:
        lines.append(f"Kelvor's read-back of every byte (kelvor-ones-full), as its record times "
                     f"it: {statistics.median(full.reads):.0f} MB/s (rounds from "
                     f"{min(full.reads):.0f} to {max(full.reads):.0f}).")
    lines += floor_line(tools)
    checks = checks_of(tools, fastest, reads, mode)
    lines += ["", "| target | met |", "|---|---|"] + [f"| {c} | {v} |" for c, v in checks]

    with open(f"{results}/table.md", "w") as f:
        f.write("\n".join(lines) + "\n")
    with open(f"{results}/throughput.dat", "w") as f:
        for t in tools.values():
            f.write(f"{t.name} {t.throughput():.1f} {t.throughput(t.slowest):.1f} "
                    f"{t.throughput(t.fastest):.1f}\n")


if __name__ == "__main__":
    main(*sys.argv[1:6])
