#!/usr/bin/env python3
"""The benchmark's summary: per tool the median, fastest and slowest round,
the ratio to dd and the share of the fastest tool's throughput, fio's direct
sequential read of the free space, and the targets checked against the median
and against every round.

Usage: summary.py RUNS_CSV WINE_START_SECONDS RESULTS_DIR
Writes RESULTS_DIR/table.md and RESULTS_DIR/throughput.dat (tool, median,
slowest and fastest throughput in MB/s, for the chart).
"""
import csv
import statistics
import sys

MB = 1 << 20
GIB = 1 << 30
NATIVE = ("kelvor-ones", "kelvor-zeros", "kelvor-blocks")
WINE = "kelvor-exe-wine"
READER = "fio-read"  # reads rather than fills: its rates are fio's own, not free space / wall time
SHARE_TARGET = 0.9
READ_SHARE_TARGET = 0.9  # of fio's direct sequential read, for reading back every byte
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
        self.walls = {r["round"]: w for r, w in zip(runs, walls)}
        self.wall = statistics.median(walls)
        self.fastest, self.slowest = min(walls), max(walls)
        self.device = min(int(r["device_bytes"]) for r in runs)
        self.memory = max(int(r["peak_rss_kb"]) for r in runs) / 1024
        self.cpu = statistics.median(float(r["cpu_s"]) for r in runs)
        # What the run read back per second, as its own record times it.
        self.reads = {r["round"]: int(r["read_bytes_per_s"]) / MB for r in runs
                      if r.get("read_bytes_per_s")}

    def throughput(self, wall=None):
        return self.free / MB / (wall or self.wall)


class Read:
    """fio-read's rates in MB/s: one read in flight per round, and eight."""

    def __init__(self, runs):
        self.rounds = {r["round"]: int(r["read_bytes_per_s"]) / MB for r in runs}
        self.rate = statistics.median(self.rounds.values())
        self.slowest, self.fastest = min(self.rounds.values()), max(self.rounds.values())
        self.deep = statistics.median(int(r["deep_read_bytes_per_s"]) / MB for r in runs)


def verdict(median_holds, every_round_holds):
    if every_round_holds:
        return "yes, in every round"
    return "in the median only" if median_holds else "NO"


def main(runs_csv, wine_start, results):
    rows = list(csv.DictReader(open(runs_csv)))
    names = list(dict.fromkeys(r["tool"] for r in rows if r["tool"] != READER))
    reads = [r for r in rows if r["tool"] == READER]
    read = Read(reads) if reads else None
    tools = {n: Tool(n, [r for r in rows if r["tool"] == n], float(wine_start)) for n in names}
    fastest = max(tools.values(), key=Tool.throughput)
    dd = tools.get("dd-fsync")

    lines = ["| tool | median time (s) | fastest / slowest round (s) | throughput (MB/s) | "
             "time / dd time | share of the fastest | written to the device (GiB) | "
             "peak memory (MB) | CPU time (s) |",
             "|---|---|---|---|---|---|---|---|---|"]
    for t in tools.values():
        ratio = f"{t.wall / dd.wall:.2f}" if dd else "-"
        lines.append(f"| {t.name} | {t.wall:.2f} | {t.fastest:.2f} / {t.slowest:.2f} | "
                     f"{t.throughput():.0f} | {ratio} | {t.throughput() / fastest.throughput():.0%} | "
                     f"{t.device / GIB:.2f} | {t.memory:.1f} | {t.cpu:.2f} |")
    if WINE in tools:
        lines.append(f"\n{WINE}'s times leave out Wine's own start ({float(wine_start):.2f} s).")
    if read:
        lines.append(f"\nfio's direct sequential read of the free space ({READER}), 1 MiB at a time with "
                     f"one read in flight, as the read-back reads: {read.rate:.0f} MB/s (rounds from "
                     f"{read.slowest:.0f} to {read.fastest:.0f}); with eight in flight (io_uring), the "
                     f"device's deeper-queue limit: {read.deep:.0f} MB/s.")

    checks = []
    scrub = tools.get("scrub-fillzero")
    for t in (tools[n] for n in NATIVE if n in tools):
        target = SHARE_TARGET * fastest.throughput()
        checks.append((f"{t.name} at {SHARE_TARGET:.0%} or more of {fastest.name}'s throughput",
                       verdict(t.throughput() >= target, t.throughput(t.slowest) >= target)))
        if scrub:
            checks.append((f"{t.name} no slower than scrub",
                           verdict(t.wall <= scrub.wall, t.slowest <= scrub.wall)))
    if WINE in tools and dd:
        w = tools[WINE]
        checks.append(("Kelvor.exe under Wine no slower than dd",
                       verdict(w.wall <= dd.wall, w.slowest <= dd.wall)))
    sampled, plain = tools.get("kelvor-ones"), tools.get("kelvor-ones-unverified")
    if sampled and plain:
        most = plain.wall * (1 + SAMPLE_COST)
        checks.append((f"the sampled read-back adds at most {SAMPLE_COST:.0%} to a run "
                       "(kelvor-ones against kelvor-ones-unverified)",
                       verdict(sampled.wall <= most, sampled.slowest <= most)))
    full = tools.get("kelvor-ones-full")
    if full and plain and full.wall > plain.wall:
        lines.append(f"\nReading back every byte (kelvor-ones-full) took {full.wall - plain.wall:.2f} s "
                     f"more than no read-back.")
    if full and full.reads and read:
        # The read-back's rate as the run's record times it: the difference of
        # two runs' wall times holds both runs' spread as well.
        readback = statistics.median(full.reads.values())
        lines.append(f"It read {readback:.0f} MB/s, as its record times it: "
                     f"{readback / read.rate:.0%} of fio's direct sequential read.")
        checks.append((f"reading back every byte at {READ_SHARE_TARGET:.0%} or more of fio's direct "
                       "sequential read (1 MiB, one in flight)",
                       verdict(readback >= READ_SHARE_TARGET * read.rate,
                               all(full.reads.get(n, 0) >= READ_SHARE_TARGET * rate
                                   for n, rate in read.rounds.items()))))
    kelvors = [t for t in tools.values() if t.name.startswith("kelvor")]
    checks.append(("every byte of Kelvor's on the device",
                   verdict(True, all(t.device >= t.free - DEVICE_SLACK for t in kelvors))))
    checks.append((f"Kelvor's peak memory under {MEMORY_LIMIT_MB} MB",
                   verdict(True, all(t.memory < MEMORY_LIMIT_MB for t in kelvors))))
    lines += ["", "| target | met |", "|---|---|"] + [f"| {c} | {v} |" for c, v in checks]

    with open(f"{results}/table.md", "w") as f:
        f.write("\n".join(lines) + "\n")
    with open(f"{results}/throughput.dat", "w") as f:
        for t in tools.values():
            f.write(f"{t.name} {t.throughput():.1f} {t.throughput(t.slowest):.1f} "
                    f"{t.throughput(t.fastest):.1f}\n")


if __name__ == "__main__":
    main(*sys.argv[1:4])
