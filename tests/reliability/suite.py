#!/usr/bin/python3
# The reliability suite: whole runs of the program under test (the Linux
# build, or the Windows build under Wine through report_runner) on volumes that
# fail, fill up, vanish or hold traps, with every file of the user's
# checksummed before and after; and the Linux build's own command line.
#
# It runs as a test group of either build tree. The environment names the
# program (KELVOR_PROGRAM), the build (KELVOR_PLATFORM: posix or win32), the
# test volumes' folder (KELVOR_TEST_VOLUMES), where the report goes
# (KELVOR_RESULTS) and, for Windows, report_runner (KELVOR_RUNNER), the Wine
# that runs it (KELVOR_WINE_ARCH) and its prefix (WINEPREFIX). The suite mounts
# its own volumes on drive G: (KELVOR_TEST_VOLUMES/reliability) and unmounts
# them again. Its arguments are unittest's: -k NAME chooses the cases whose
# names hold NAME.
import contextlib, faulthandler, hashlib, json, mmap, os, pathlib, re, resource, signal, subprocess, sys
import termios, threading, time
import unittest
import xml.etree.ElementTree as ET

import jsonschema

ROOT = os.environ["KELVOR_TEST_VOLUMES"]
WINDOWS = os.environ["KELVOR_PLATFORM"] == "win32"
PROGRAM = os.environ["KELVOR_PROGRAM"]
HERE = os.path.dirname(os.path.abspath(__file__))

VOLUME = os.path.join(ROOT, "reliability")  # drive G:
WORK_DRIVE = "T:"  # ROOT/work, as tests/support/test-volumes.txt lays it out
WORK = os.path.join(ROOT, "reliability-work")  # images and backing folders; no drive
ELSEWHERE = os.path.join(WORK, "elsewhere")  # another volume, where links lead
TEMP_NAME = "~KelvorTemp"
TEMP = os.path.join(VOLUME, TEMP_NAME)  # the program's temporary folder
HOME = os.path.join(VOLUME, "home")  # the program's current folder, on the volume
FILL_FILE = re.compile(r"(?i:Kelvor[^/]*\.dat)")
# The temporary folder and its folders of record files, and the files in them
# that are the program's to make and delete.
OWN_FOLDER = re.compile(r"~KelvorTemp(/KelvorRecords[0-9]+)?")
OWN_FILE = re.compile(rf"~KelvorTemp/({FILL_FILE.pattern}|KelvorRecords[0-9]+/[0-9a-z]{{1,2}})")
MIB = 1 << 20
GIB = 1 << 30
BLOCK = 4096  # the unit in which the tests count disk space
STAT_BLOCK = 512  # the unit of st_blocks
RUN_TIMEOUT = 300  # seconds
REPORT_BEFORE_LIMIT = 30  # seconds before the test group's time limit
PART_STARTED = 64 * MIB  # a gigabyte part this far written is in the middle of its work
NOBODY = 65534
MARKER = b"KELVOR-ERASURE-MARKER-%d" % os.getpid()  # in the files whose deletion is checked


# ---------------------------------------------------------------- volumes

# A function of scripts/lib/volumes.sh, which makes and mounts every test volume.
def volumes(*command):
    subprocess.run([os.path.join(HERE, "../../scripts/lib/volumes.sh"), *command], check=True,
                   stdout=subprocess.DEVNULL)


def mount_tmpfs(stack, size, path=VOLUME):
    volumes("tmpfs_mount", path, size)
    stack.callback(volumes, "unmount", path)


# A fresh volume in an image on G: (ext4: with root's share of the blocks).
def mount_image(stack, size_mib, filesystem="ext4", *share):
    image = os.path.join(WORK, "volume.img")
    volumes(f"{filesystem}_image", image, str(size_mib), *share)
    stack.callback(os.remove, image)
    volumes(f"{filesystem}_mount", image, VOLUME)
    stack.callback(volumes, "unmount", VOLUME)
    return image


# Another volume, with files of the user's named like fill files: its snapshot.
def mount_elsewhere(stack):
    mount_tmpfs(stack, "16m", ELSEWHERE)
    put_user_files({"Kelvor0.dat": 1000, "Kelvor1.dat": 2000, "Kelvor7.dat": 1000, "notes.txt": 10},
                   ELSEWHERE)
    return snapshot(ELSEWHERE)


def free_bytes():
    os.sync()  # blocks freed by a deletion count once the journal has them
    info = os.statvfs(VOLUME)
    return info.f_bavail * info.f_frsize


# True once `condition` holds, false when it has not after `limit` seconds.
def wait_until(condition, limit, step=0.05):
    deadline = time.monotonic() + limit
    while not condition():
        if time.monotonic() > deadline:
            return False
        time.sleep(step)
    return True


# Ends a helper process this suite started (by its handle).
def stop(process):
    if process.poll() is None:
        process.kill()
        process.wait(timeout=60)  # one held in the kernel fails the case, not the suite


# ---------------------------------------------------------------- the user's files

USER_FILES = {
    "Kelvor5.dat": 64 * 1024,  # named like a fill file, but not in the temporary folder
    "archive/Kelvor5.dat": 200 * 1024, "archive/Kelvor1.dat": 1000, "docs/report.txt": 5000,
    "photos/holiday.jpg": 3 * MIB, ".hidden": 100, "home/empty.txt": 0,
    "home/Kelvor.tmp": 37,  # the current folder's own file of the probe's name
}


def put_user_files(files=USER_FILES, top=VOLUME):
    for name, size in files.items():
        path = pathlib.Path(top, name)
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(size if isinstance(size, bytes) else os.urandom(size))


# Every file, link and folder below `top` but the program's own, with a
# checksum of each file's bytes (links and folders are never followed).
def snapshot(top=VOLUME):
    seen = {}
    for path in pathlib.Path(top).rglob("*"):
        relative, folder = str(path.relative_to(top)), path.is_dir() and not path.is_symlink()
        if not (OWN_FOLDER.fullmatch(relative) and folder or OWN_FILE.fullmatch(relative)):
            seen[relative] = ("link to " + os.readlink(path) if path.is_symlink() else "folder"
                              if folder else hashlib.sha256(path.read_bytes()).hexdigest())
    return seen


# What a clean run leaves as it found it.
def state():
    return snapshot(), free_bytes()


# Where the marker texts (of one kind) occur in a volume's image.
def markers(image, kind=b""):
    with open(image, "rb") as f, mmap.mmap(f.fileno(), 0, access=mmap.ACCESS_READ) as data:
        return [match.start() for match in re.finditer(re.escape(MARKER + kind), data)]


# Where the names of deleted files (MARKER-name-N) occur in a volume's image,
# in UTF-8 and in UTF-16 as NTFS, exFAT and FAT keep them.
def names(image):
    name = MARKER + b"-name"
    with open(image, "rb") as f, mmap.mmap(f.fileno(), 0, access=mmap.ACCESS_READ) as data:
        return [match.start() for text in (name, name.decode().encode("utf-16-le"))
                for match in re.finditer(re.escape(text), data)]


# The disk (not its partition) under the filesystem that holds `path`, as
# util-linux names it; empty when no block device holds it.
def disk_holding(path):
    source = subprocess.run(["findmnt", "-n", "-o", "SOURCE", "-T", path], capture_output=True,
                            text=True).stdout.strip()
    if not source.startswith("/dev/"):
        return ""
    parent = subprocess.run(["lsblk", "-n", "-d", "-o", "PKNAME", source], capture_output=True,
                            text=True).stdout.strip()
    return "/dev/" + (parent or os.path.basename(source))


def fill_files():
    return {file.name: file.stat().st_size for file in pathlib.Path(TEMP).glob("*")
            if FILL_FILE.fullmatch(file.name)}


# ---------------------------------------------------------------- the program

# The program under test as its own process: by default a wipe of drive G:
# with /B. Natively, `drives` is the drive map, and the program may run as
# another user, under a umask and resource limits ((RLIMIT_..., (soft,
# hard)), ...), with its output closed, on a terminal, or with its error
# output going to a file of the caller's.
def start(arguments=("G:", "/B"), cwd=WORK, drives=None, user=None, closed_output=False,
          terminal=False, umask=-1, error_output=subprocess.PIPE, limits=(), answer=None):
    command = [*([os.path.join(HERE, "../support/wine-run.sh"), os.environ["KELVOR_WINE_ARCH"],
                  os.environ["KELVOR_RUNNER"]] if WINDOWS else [PROGRAM]), *arguments]
    env = {**os.environ, "KELVOR_DRIVES": drives or f"G={VOLUME}"}  # for the Linux build
    if drives is False:  # the letters follow the mounts: / is C:
        del env["KELVOR_DRIVES"]
    if terminal:
        command = ["script", "-qec", " ".join(command), "/dev/null"]
    process = subprocess.Popen(command, cwd=cwd, env=env, stdout=subprocess.PIPE,
                               stderr=error_output, user=user, umask=umask,
                               stdin=subprocess.DEVNULL if answer is None else subprocess.PIPE,
                               preexec_fn=lambda: [resource.setrlimit(*limit) for limit in limits])
    if answer is not None:  # typed at the terminal; finish() closes the input
        process.stdin.write(answer)
        process.stdin.flush()
    if closed_output:  # like `kelvor G: | head -n1` once head has ended
        process.stdout.close()
        process.stderr.close()
    return process


# Waits for the program's end: its exit code, its error reports and its output.
# A run that outlasts RUN_TIMEOUT is stopped, and the failure tells where each
# of its threads waited: a hang that comes once in many runs can still be told.
def finish(process):
    try:
        output = process.communicate(timeout=RUN_TIMEOUT)
    except subprocess.TimeoutExpired:
        pid = writer_pid(process)
        waits = where_it_waits(pid)
        with contextlib.suppress(ProcessLookupError):  # it may have ended meanwhile
            os.kill(pid, signal.SIGKILL)
        process.kill()
        try:
            output = b"".join(filter(None, process.communicate(timeout=60)))
            output = output.decode(errors="replace")
        except subprocess.TimeoutExpired:  # held in the kernel, where not even a kill ends it
            output = "(nothing: the run did not end when it was killed)"
        raise AssertionError(f"the run did not end in {RUN_TIMEOUT} s; it had written:\n"
                             f"{output[-2000:]}\nits threads waited here:\n{waits}") from None
    output = b"".join(filter(None, output)).decode()
    return process.returncode, re.findall(r"^Kelvor: .*?(?=\r|$)", output, re.M), output


# The process that writes: the program itself, or under Wine whatever runs it.
def writer_pid(process):
    try:
        return program_pid(process)
    except RuntimeError:  # under Wine, what hangs may be Wine itself
        return process.pid


# Each thread's kernel stack, the state of each io_uring (how many requests
# were taken and completed), and gdb's backtraces where gdb is at hand.
def where_it_waits(pid):
    lines = []
    for task in sorted(pathlib.Path(f"/proc/{pid}/task").glob("*")):
        with contextlib.suppress(OSError):
            lines += [f"thread {task.name} ({(task / 'comm').read_text().strip()}):",
                      *(task / "stack").read_text().splitlines()]
    for fd in pathlib.Path(f"/proc/{pid}/fd").glob("*"):
        with contextlib.suppress(OSError):
            if os.readlink(fd) == "anon_inode:[io_uring]":
                lines += [f"io_uring {fd.name}:",
                          *pathlib.Path(f"/proc/{pid}/fdinfo/{fd.name}").read_text().splitlines()[:40]]
    with contextlib.suppress(OSError, subprocess.SubprocessError):
        lines += subprocess.run(["gdb", "-batch", "-p", str(pid), "-ex", "thread apply all bt"],
                                capture_output=True, text=True, timeout=60).stdout.splitlines()
    return "\n".join(lines)


def run(*arguments, **options):
    return finish(start(*arguments, **options))


# Waits until the running program's fill file `name` holds `size` bytes.
def part_reached(process, name, size=PART_STARTED):
    def reached():
        with contextlib.suppress(OSError):
            return os.path.getsize(os.path.join(TEMP, name)) >= size
    return wait_until(lambda: reached() or process.poll() is not None, RUN_TIMEOUT, 0.002) \
        and process.poll() is None


# A message for a run that did not get as far as it should have: where it
# waits, while it still runs.
def stuck(process, what):
    waits = where_it_waits(writer_pid(process)) if process.poll() is None else "(it had ended)"
    return f"{what}; its threads waited here:\n{waits}"


# Signals the process that writes: the program itself. Wine starts Kelvor.exe
# detached from report_runner, so it is found by its command line and prefix.
def kill(process, signal_number=signal.SIGKILL):
    os.kill(program_pid(process), signal_number)


def program_pid(process):
    if not WINDOWS:
        return process.pid
    prefix = ("WINEPREFIX=" + os.environ["WINEPREFIX"]).encode()
    for proc in pathlib.Path("/proc").glob("[0-9]*"):
        with contextlib.suppress(OSError):
            if (proc / "cmdline").read_bytes().split(b"\0")[0] == PROGRAM.encode() \
                    and prefix in (proc / "environ").read_bytes().split(b"\0"):
                return int(proc.name)
    raise RuntimeError("Kelvor.exe is not running")


def report(number, text):
    return f"Kelvor: An Error occured:  {number} - {text}."


ACCESS_ERROR = report(75, "Path/file access error")
PERMISSION_DENIED = report(70, "Permission denied")


# ---------------------------------------------------------------- the cases

class Suite(unittest.TestCase):
    def setUp(self):
        self.stack = self.enterContext(contextlib.ExitStack())
        os.makedirs(WORK, exist_ok=True)

    # The run (exit code and reports, if given) ended cleanly and left the
    # volume as it found it.
    def assertClean(self, before, ended=None):
        if ended:
            self.assertEqual(ended[:2], (0, []), ended[2])
        self.assertEqual((state(), os.path.lexists(TEMP)), (before, False))

    # Nothing of the user's is touched, not even in a leftover temporary
    # folder. (The drive's other names and the wipe types are the whole-run
    # tests'; this is the one check that the Linux build takes "g:\".)
    def test_a_wipe_leaves_the_users_files_and_free_space_as_they_were(self):
        mount_image(self.stack, 400)
        put_user_files()
        before = state()
        ended = run(("g:\\",), cwd=HOME)
        self.assertClean(before, ended)
        if not WINDOWS:  # no terminal: plain lines, then the summary
            self.assertNotIn("\r", ended[2])
            self.assertRegex(ended[2], r"\nWrote [\d.]+ [MG]B in ")

        # A leftover folder keeps everything that is not a fill file. Only
        # files named Kelvor*.dat, in any case, are fill files; only long names
        # count (under Wine "Kelvor notes.data" has the short name
        # KELV~0FQ.DAT, which the pattern would match).
        put_user_files({f"{TEMP}/{name}": 300 for name in (
            "notes.txt", "Kelvor-notes.txt", "Kelvor notes.data", "Kelvor1.dat.keep",
            "MyKelvor1.dat", "photos/Kelvor1.dat")})
        put_user_files({f"{TEMP}/Kelvor3.dat": 4 * MIB, f"{TEMP}/kelvor4.DAT": MIB})
        before, free_before = state()
        # The folder cannot be removed while it holds the user's files; its
        # being there already is no error.
        self.assertEqual(run(cwd=HOME)[:2], (1, [ACCESS_ERROR]))
        self.assertEqual((state(), fill_files()), ((before, free_before + 5 * MIB), {}))

    # Write faults in the middle of a run (a full disk is the whole-run
    # tests', and ends every wipe of an ext4 volume here). The remainder part of 96 MiB is written in
    # chunks of 9.6 MiB; the device fails after 30 MiB. Wine turns the I/O
    # error into "not ready", and a refused deletion into an access error.
    def test_a_failing_device_stops_the_run_at_the_first_fault(self):
        backing = os.path.join(WORK, "backing")
        device_error = report(71, "Disk not ready") if WINDOWS else report(72, "Disk media error")
        refused_deletion = ACCESS_ERROR if WINDOWS else PERMISSION_DENIED
        # the device's error, what fails, the flushes' error after it; the
        # reports, and whether the volume allows the cleanup
        cases = [("EIO", "writes", [], [device_error], True),
                 # The write's error is reported, not that of the flush after it.
                 ("EIO", "writes", ["EROFS"], [device_error], True),
                 ("EIO", "flushes", [], [device_error], True),
                 ("EROFS", "everything", [], [PERMISSION_DENIED, refused_deletion], False)]
        if not WINDOWS:  # a quota is no full disk: most of the free space stays unwritten
            cases.append(("EDQUOT", "writes", [], [ACCESS_ERROR], True))
        for error, fail, flush_error, reports, cleaned in cases:
            with self.subTest(error=error, fail=fail, flush_error=flush_error), \
                    contextlib.ExitStack() as stack:
                mount_tmpfs(stack, "96m", backing)
                put_user_files(top=backing)
                before = snapshot(backing)
                self.mount_faulty_view(stack, backing, error, fail, *flush_error)
                self.assertEqual(run()[:2], (1, reports))
                self.assertEqual(snapshot(backing), before)
                self.assertEqual(os.path.lexists(os.path.join(backing, TEMP_NAME)), not cleaned)

    # The storage check, on each filesystem people wipe: what it tells of the
    # volume (natively; under Wine every fact beneath the filesystem's name is
    # the host's, which Wine hides), that it writes nothing, and that a drive
    # not listed is refused.
    def test_the_storage_check_tells_what_a_wipe_reaches(self):
        compressing = "finding: btrfs compresses this volume (compress-force=zstd:3): the fill " \
                      "folder is made uncompressed"
        told = {"ext4": ("filesystem: ext4", "copy-on-write: no; snapshots: none", "journal: yes"),
                "xfs": ("filesystem: xfs", "compression: no", "journal: yes"),
                "btrfs": ("compression: no", "copy-on-write: yes; snapshots: none",
                          "journal: no"),
                # A snapshot below the top, found without root's rights, and
                # compression that new files take on from the root folder.
                "btrfs+snapshot": ("compression: yes (btrfs.compression=zstd on the root folder)",
                                   "copy-on-write: yes; snapshots: yes (1)",
                                   "finding: btrfs keeps 1 snapshot on this volume"),
                "btrfs_compressing": ("compression: yes (compress-force=zstd:3)", compressing),
                "exfat": ("filesystem: exfat", "compression: no", "journal: no"),
                "fat": ("filesystem: vfat", "largest file: 4096 MB", "journal: no"),
                "ntfs": ("filesystem: ntfs", "journal: yes")}
        if WINDOWS:
            wine = ("compression: unknown", "journal: unknown",
                    "finding: Under Wine the volume is the host's")
            told = {"ext4": wine, "btrfs_compressing": wine}
        for filesystem, lines in told.items():
            with self.subTest(filesystem), contextlib.ExitStack() as stack:
                kind, _, made = filesystem.partition("+")
                mount_image(stack, 700 if kind in ("xfs", "btrfs") else 300, kind)
                if made == "snapshot":
                    for command in (("subvolume", "create", VOLUME + "/data"),
                                    ("subvolume", "snapshot", VOLUME + "/data", VOLUME + "/data/kept"),
                                    ("property", "set", VOLUME, "compression", "zstd")):
                        subprocess.run(("btrfs", *command), check=True, stdout=subprocess.DEVNULL)
                before = snapshot(VOLUME)
                ended = run(("G:", "--check") if WINDOWS else ("--check", "G:"))
                self.assertEqual(ended[0], 0, ended[2])
                printed = ended[2].splitlines()
                for line in lines:
                    self.assertTrue(any(shown.startswith(line) for shown in printed),
                                    f"{line!r} not in {printed}")
                self.assertEqual((snapshot(VOLUME), os.path.lexists(TEMP)), (before, False))
        self.assertEqual(run(("Q:", "--check") if WINDOWS else ("--check", "Q:"))[0], 2)
        if WINDOWS:  # /? or no listed drive: the usage, on the error output the caller gave
            for words in (("/?",), ("Q:", "/B")):
                refused = run(words)
                self.assertEqual(refused[0], 2)
                self.assertIn("Kelvor.exe DRIVE [OPTION...]  wipe the free space of DRIVE", refused[2])
        # A wipe tells the same findings before its first status line, and
        # its record keeps them among its warnings.
        with contextlib.ExitStack() as stack:
            mount_image(stack, 700, "btrfs_compressing")
            host_path = os.path.join(ROOT, "work", "kelvor-record.json")
            option = "--record=" + (WORK_DRIVE + "\\kelvor-record.json" if WINDOWS else host_path)
            ended = run(("G:", option))
            self.assertEqual(ended[0], 0, ended[2])
            with open(host_path) as file:
                warnings = json.load(file)["warnings"]
            os.remove(host_path)
            finding = told["btrfs_compressing"][-1].removeprefix("finding: ")
            printed = ended[2].splitlines()
            warned = [i for i, line in enumerate(printed) if line.startswith("warning: " + finding)]
            self.assertEqual(len(warned), 1, printed)
            self.assertFalse(any(line.startswith("Starting") for line in printed[:warned[0]]))
            self.assertTrue(any(warning.startswith(finding) for warning in warnings), warnings)

    # Faults that no call reports, which only reading back shows: a device
    # that drops writes, one that wraps around past the capacity it really
    # has, one that returns stale data; and a volume that stores the fill in
    # far less room than it took (compression). The default sample catches
    # each: the run fails with "Disk media error" after the deletion, and the
    # user's files stay as they were.
    def test_what_the_device_did_not_keep_fails_the_run(self):
        backing = os.path.join(WORK, "backing")
        for fail in ("drops", "wraps", "stale", "compresses"):
            with self.subTest(fail=fail), contextlib.ExitStack() as stack:
                mount_tmpfs(stack, "96m", backing)
                put_user_files(top=backing)
                before = snapshot(backing)
                self.mount_faulty_view(stack, backing, "EIO", fail)
                self.assertEqual(run(("G:", "/0"))[:2], (1, [report(72, "Disk media error")]))
                self.assertEqual(snapshot(backing), before)
                self.assertFalse(os.path.lexists(os.path.join(backing, TEMP_NAME)))

    # FAT through FUSE (fusefat) puts a write that starts past a file's end
    # over the file's first bytes, and says it wrote it. When the full disk
    # cuts one write short, none is still on its way behind it: every byte
    # reads back as written.
    def test_a_volume_that_misplaces_writes_past_a_files_end_reads_back_whole(self):
        backing = os.path.join(WORK, "backing")
        with contextlib.ExitStack() as stack:
            mount_tmpfs(stack, "96m", backing)
            self.mount_faulty_view(stack, backing, "EIO", "gaps")
            ended = run(("G:", "/0", "--verify=full"))
            self.assertEqual(ended[:2], (0, []), ended[2][-2000:])
            self.assertIn("as written", ended[2])

    # The erasure record (--record=FILE, here on the work volume) of a clean
    # run, of a run on a device that drops writes, and (Linux: the Windows
    # program's command line takes no interrupt) of a run stopped by one:
    # each is valid by the record's schema, checked by a real validator, and
    # says how the run ended and what reading back found.
    def test_every_run_leaves_a_record_that_its_schema_takes(self):
        with open(os.path.join(HERE, "../../docs/record.schema.json")) as schema:
            validator = jsonschema.Draft202012Validator(json.load(schema))
        host_path = os.path.join(ROOT, "work", "kelvor-record.json")
        option = "--record=" + (WORK_DRIVE + "\\kelvor-record.json" if WINDOWS else host_path)

        def record():
            with open(host_path) as file:
                taken = json.load(file)
            os.remove(host_path)
            validator.validate(taken)
            return taken

        with contextlib.ExitStack() as stack:
            mount_tmpfs(stack, "64m")
            # The Windows program's one line on its error output, and the
            # Linux program's with -q, say what the record says.
            ended = run(("G:", "/0", option) + (() if WINDOWS else ("-q",)))
            self.assertEqual(ended[0], 0)
            clean = record()
            path_words = "through the cache" if WINDOWS else "from memory"
            said = re.search(r"(?m)^G: wrote ([0-9]+(?:\.[0-9]+)?) GB\. Read back ([0-9.]+) MB "
                             rf"\(a sample, {path_words}\): as written\. Result: verified\.\r?$",
                             ended[2])
            self.assertIsNotNone(said, ended[2])
            self.assertEqual(float(said.group(1)), round(clean["bytes"]["written"] / GIB, 2))
            self.assertEqual(float(said.group(2)), round(clean["bytes"]["verified"] / MIB, 1))
            self.assertNotIn("Starting up", ended[2])  # no status lines
            # Wine takes G: for a hard disk, and reads through the host's cache.
            path = "through-cache" if WINDOWS else "memory"
            self.assertEqual((clean["result"], clean["verification"]["path"], clean["exit_code"]),
                             ("verified", path, 0))
            self.assertGreaterEqual(clean["bytes"]["verified"] * 100, clean["bytes"]["written"])
        # On a volume in an image, the medium is the disk that holds the image
        # (natively; Wine tells of no device, and never a false "solid state").
        with contextlib.ExitStack() as stack:
            mount_image(stack, 300)
            self.assertEqual(run(("G:", option))[0], 0)
            medium = record()["medium"]
            if WINDOWS:
                self.assertEqual((medium["device"], medium["kind"]), ("", "unknown"))
            else:
                self.assertEqual(medium["device"], disk_holding(WORK))
        with contextlib.ExitStack() as stack:
            backing = os.path.join(WORK, "backing")
            mount_tmpfs(stack, "96m", backing)
            self.mount_faulty_view(stack, backing, "EIO", "drops")
            self.assertEqual(run(("G:", "/0", option, "--verify=full"))[0], 1)
            failed = record()
            self.assertEqual((failed["result"], failed["errors"]),
                             ("failed", [{"number": 72, "text": "Disk media error"}]))
            mismatches = failed["verification"]["mismatches"]
            self.assertGreater(len(mismatches), 0)
            # What came before the fault (the record stage's reserve took 16 MiB of the 30) is right.
            self.assertGreaterEqual(mismatches[0]["offset"], 10 * MIB)
        if not WINDOWS:
            with contextlib.ExitStack() as stack:
                mount_tmpfs(stack, "600m")
                process = start(("G:", option))
                stack.callback(stop, process)
                if not part_reached(process, "Kelvor0.dat"):
                    self.fail(stuck(process, "the run never got going"))
                kill(process, signal.SIGINT)
                self.assertEqual(finish(process)[0], 130)
                cancelled = record()
                self.assertEqual((cancelled["result"], cancelled["exit_code"]), ("cancelled", 130))
                self.assertGreater(cancelled["bytes"]["written"], 0)

    # G: as a view of the backing folder that starts failing after 30 MiB.
    def mount_faulty_view(self, stack, backing, *fault):
        server = subprocess.Popen([os.path.join(HERE, "faultfs.py"), backing, VOLUME,
                                   str(30 * MIB), *fault])
        stack.callback(stop, server)
        stack.callback(subprocess.run, ["fusermount", "-u", VOLUME], timeout=60)
        self.assertTrue(wait_until(lambda: os.path.ismount(VOLUME) or server.poll(), 10)
                        and server.poll() is None, "the fault-injecting volume did not come up")

    # A run killed, then one whose volume is unmounted, in a gigabyte part;
    # and the next run.
    def test_a_run_killed_or_unmounted_in_a_gigabyte_part(self):
        image = mount_image(self.stack, 1400)
        put_user_files()
        before = state()
        process = start()
        if not part_reached(process, "Kelvor1.dat"):
            self.fail(stuck(process, "the run never reached its gigabyte part"))
        kill(process)
        finish(process)
        left = fill_files()
        self.assertIn("Kelvor1.dat", left)
        self.assertEqual(snapshot(), before[0])
        if not WINDOWS:  # what the run left is nobody else's to read
            modes = {os.stat(os.path.join(TEMP, name)).st_mode & 0o777 for name in left}
            self.assertEqual((os.stat(TEMP).st_mode & 0o777, modes), (0o700, {0o600}))
        # The next run deletes the leftover fill files, fills the drive and
        # leaves it clean, with nothing to report.
        self.assertClean(before, run())

        # The volume unmounted in the middle of a gigabyte part.
        process = start()
        if not part_reached(process, "Kelvor1.dat"):
            self.fail(stuck(process, "the run never reached its gigabyte part"))
        subprocess.run(["umount", "-l", VOLUME], check=True)
        ended = finish(process)
        # Nothing was written to the folder the volume was mounted on.
        self.assertEqual(os.listdir(VOLUME), [])
        # Mounted again once the kernel has let go of the earlier mount.
        in_use = lambda: subprocess.run(["losetup", "-j", image], capture_output=True).stdout
        self.assertTrue(wait_until(lambda: not in_use(), 30), "the removed volume is still in use")
        volumes("ext4_mount", image, VOLUME)
        if not WINDOWS:
            # The Linux build holds its drive open: it ends its work on the
            # volume and cleans up, and the volume comes back as it was.
            return self.assertClean(before, ended)
        # Under Wine the fill files go with the volume: reading them back
        # and deleting them fail, and the reports say so. Back again, the
        # volume holds the user's files as they were and the fill files; the
        # next run deletes them.
        self.assertEqual(ended[:2], (1, [report(76, "Path not found"), report(53, "File not found")]))
        self.assertEqual(snapshot(), before[0])
        self.assertNotEqual(fill_files(), {})
        self.assertClean(before, run())

    # A run killed while it reads back what it wrote (held up in its first
    # read) leaves the fill files, the user's files as they were; the next
    # run deletes them and leaves the volume clean.
    def test_a_run_killed_while_it_reads_back(self):
        backing = os.path.join(WORK, "backing")
        mount_tmpfs(self.stack, "96m", backing)
        put_user_files(top=backing)
        self.mount_faulty_view(self.stack, backing, "EIO", "stalls")
        before = state()
        held = backing + ".stalled"
        process = start()
        self.stack.callback(stop, process)
        self.assertTrue(wait_until(lambda: os.path.exists(held) or process.poll() is not None,
                                   RUN_TIMEOUT) and process.poll() is None, "the run never read back")
        kill(process)
        os.remove(held)  # the killed program ends once its read returns
        finish(process)
        self.assertNotEqual(fill_files(), {})
        self.assertEqual(snapshot(), before[0])
        self.assertClean(before, run())

    if not WINDOWS:  # Windows: NTFS tells the device of what a deletion frees
        # After the deletion a run as root tells the device which blocks are
        # free: the loop device gives them back to its image file, which
        # shrinks to what the volume still holds. With --no-trim the image
        # keeps what the fill took; a run without root's rights says why not.
        def test_the_device_learns_which_blocks_are_free(self):
            image = mount_image(self.stack, 300)

            def allocated():
                os.sync()
                return os.stat(image).st_blocks * 512

            self.assertEqual(run(("G:", "/B", "--no-trim"))[:2], (0, []))
            filled = allocated()
            self.assertGreater(filled, 250 * MIB)
            ended = run(("G:", "/B"))
            self.assertRegex(ended[2], r"Trimmed [ .0-9]+ MB: the device was told")
            self.assertLess(allocated(), filled - 200 * MIB)
            os.chmod(VOLUME, 0o777)
            ended = run(("G:", "/B"), user=NOBODY)
            self.assertIn("Not trimmed: only root may tell the device", ended[2])

    # A fresh volume of `filesystem` on G: that held large, medium and small
    # files of marker texts, now deleted. Fails unless the markers reached the
    # image. On NTFS the small files live inside their file records. A
    # compressing volume had its files written before it compressed, so that
    # their text lies in the image as it is.
    def mount_with_deleted_files(self, stack, filesystem, size_mib, small_files):
        image = mount_image(stack, size_mib, filesystem.removesuffix("_compressing"))
        put_user_files({"large.dat": b"".join(b"%s-large %d\n" % (MARKER, i) for i in range(100000))}
                       | {f"medium/{i}.txt": (b"%s-medium %d\n" % (MARKER, i) * 1000)[:16 << 10]
                          for i in range(40)}
                       | {f"small/{i}.txt": b"%s-small %d\n" % (MARKER, i) for i in range(small_files)}
                       | {f"names/{MARKER.decode()}-name-{i}": b"" for i in range(50)})
        subprocess.run(["umount", VOLUME], check=True)
        for kind in (b"-large", b"-medium", b"-small"):
            self.assertGreaterEqual(len(markers(image, kind)), small_files, kind)
        volumes(f"{filesystem}_mount", image, VOLUME)
        subprocess.run(["rm", "-r", "large.dat", "medium", "small", "names"], cwd=VOLUME, check=True)
        os.sync()
        return image

    # The point of the product: no 4 KiB block of the volume holds data of
    # the deleted files after a wipe, on each filesystem people wipe, and no
    # copy of their names where the run may reach it. NTFS, exFAT and FAT
    # are mounted with their default options (every file shows as 0777).
    def test_deleted_files_leave_no_trace(self):
        for filesystem, size_mib, *wipe_type in ERASURE_VOLUMES:
            options = wipe_type[0] if wipe_type else ("/B",)
            with self.subTest(filesystem, options=options), contextlib.ExitStack() as stack:
                image = self.mount_with_deleted_files(stack, filesystem, size_mib, 400)
                allowed = ERASURE_LEFT.get((filesystem, WINDOWS), (0, 0))
                if allowed == IN_METADATA:
                    allowed = (len({at // BLOCK for at in markers(image, b"-small")}),
                               len(names(image)))
                ended = run(("G:", *options))
                self.assertEqual((ended[0], set(os.listdir(VOLUME)) - {"lost+found"}), (0, set()),
                                 ended[1:])
                subprocess.run(["umount", VOLUME], check=True)
                content = [at for kind in (b"-large", b"-medium", b"-small")
                           for at in markers(image, kind)]
                left = (len({at // BLOCK for at in content}), len(names(image)))
                self.assertTrue(all(n <= most for n, most in zip(left, allowed)),
                                f"blocks and names left: {left}, allowed: {allowed}")

    # A fill file that the run has ended takes no blocks past its end: XFS
    # gives a file that ordinary writes grow blocks beyond it in advance, and
    # once fallocate has touched the file keeps them to its deletion, never
    # written, with whatever they held.
    def test_an_ended_fill_file_takes_no_blocks_past_its_end(self):
        mount_image(self.stack, 1300, "xfs")
        before = state()
        process = start()
        if not part_reached(process, "Kelvor1.dat"):
            self.fail(stuck(process, "the run never reached its gigabyte part"))
        ended = os.stat(os.path.join(TEMP, "Kelvor0.dat"))
        self.assertClean(before, finish(process))
        self.assertLessEqual(ended.st_blocks * STAT_BLOCK, -(-ended.st_size // BLOCK) * BLOCK)

    # Links where fill files go on a volume whose mount fixes every file's
    # mode (ntfs-3g with its defaults: 0777), which has symbolic and hard
    # links: what they lead to is never written or deleted.
    def test_links_in_the_programs_folder_on_a_volume_that_fixes_modes(self):
        mount_image(self.stack, 64, "ntfs")
        put_user_files({"docs/report.txt": 5000})
        os.mkdir(TEMP)
        os.symlink(os.path.join(VOLUME, "docs", "report.txt"), os.path.join(TEMP, "Kelvor0.dat"))
        os.link(os.path.join(VOLUME, "docs", "report.txt"), os.path.join(TEMP, "Kelvor1.dat"))
        before = snapshot()
        code = run()[0]
        self.assertEqual((snapshot(), code), (before, 1 if WINDOWS else 0))

    # A volume without free space; on Linux with the output closed, like
    # `kelvor G: | head -n1` once head has ended, which must not stop the run
    # or its cleanup.
    def test_a_volume_without_free_space(self):
        mount_tmpfs(self.stack, "16m")
        put_user_files()
        with open(os.path.join(VOLUME, "filler.bin"), "wb") as filler:  # takes every free byte
            os.posix_fallocate(filler.fileno(), 0, free_bytes())
        self.assertEqual(free_bytes(), 0)
        self.assertClean((snapshot(), 0), run(closed_output=not WINDOWS))

    # Exactly a gigabyte free: one gigabyte part and an empty remainder part;
    # the record stage's reserve makes the gigabyte part end at the full disk.
    # On Linux, on a terminal: one line updated in place, with a bar of the
    # parts written whole.
    def test_exactly_one_gigabyte_for_the_fill_files(self):
        mount_tmpfs(self.stack, f"{GIB // MIB}m")
        self.assertEqual(free_bytes(), GIB)
        ended = run(terminal=not WINDOWS)
        self.assertClean(({}, GIB), ended)
        if not WINDOWS:
            self.assertIn("\r[....................]   0% 0/1 GB  Rate: ", ended[2])
            self.assertRegex(ended[2], r"\nWrote [\d.]+ [MG]B in ")

    # Traps that anyone may lay on a volume: what stands where the program's
    # folder or a fill file goes is never followed or written through, and
    # what keeps the folder from being made leaves nothing to delete.
    def test_what_stands_in_the_programs_way_is_never_followed_or_written_through(self):
        mount_elsewhere(self.stack)
        mount_tmpfs(self.stack, "64m")
        put_user_files()
        # The folder itself is a link off the volume (under Wine: a reparse
        # point), which holds record files' names below it too.
        os.symlink(ELSEWHERE, TEMP)
        put_user_files({"KelvorRecords1/db": 100, "KelvorRecords1/a": 100}, ELSEWHERE)
        outside = snapshot(ELSEWHERE)
        before = snapshot()
        self.assertEqual(run()[0], 1)
        self.assertEqual((snapshot(ELSEWHERE), snapshot()), (outside, before))
        os.remove(TEMP)

        # A fill file's name is a link to a file of the user's: the Linux build
        # deletes it as the link it is. Wine shows a Windows program such a
        # link as a plain file and deletes what it leads to, however asked:
        # the Windows build sees where it leads and leaves it in place.
        os.mkdir(TEMP, 0o700)
        link = os.path.join(TEMP, "Kelvor0.dat")
        os.symlink(os.path.join(VOLUME, "docs", "report.txt"), link)
        if WINDOWS:
            before = snapshot()
            code, reports, _ = run()
            self.assertEqual((snapshot(), os.path.islink(link)), (before, True))
            self.assertEqual((code, reports), (1, [ACCESS_ERROR, PERMISSION_DENIED]))
            os.remove(link)
        else:
            self.assertClean(state(), run())
            os.mkdir(TEMP, 0o700)

        # A hard link, listed last to first: the read-only file comes before
        # it, so a deletion that stopped there would leave the link in place.
        os.link(os.path.join(VOLUME, "docs", "report.txt"), os.path.join(TEMP, "Kelvor0.dat"))
        put_user_files({f"{TEMP}/Kelvor9.dat": 10})
        os.chmod(os.path.join(TEMP, "Kelvor9.dat"), 0o444)
        if not WINDOWS:  # a pipe would never let a write, or the run, end
            os.mkfifo(os.path.join(TEMP, "Kelvor1.dat"))
        before = snapshot()
        code, reports, _ = run()
        self.assertEqual(snapshot(), before)
        self.assertEqual((code, reports[-1:], fill_files()),
                         (1, [PERMISSION_DENIED], {"Kelvor9.dat": 10}))  # Kelvor9.dat stays

        # A file in the folder's place, then a read-only volume: the folder
        # cannot be made, and then there is nothing to delete.
        not_made = (1, [report(76, "Path not found"), report(53, "File not found")])
        subprocess.run(["rm", "-r", TEMP], check=True)
        put_user_files({TEMP: 1234})
        before = state()
        self.assertEqual((run()[:2], state()), (not_made, before), "a file in the folder's place")
        os.remove(TEMP)
        subprocess.run(["mount", "-o", "remount,ro", VOLUME], check=True)
        before = state()
        self.assertEqual((run()[:2], state()), (not_made, before), "a read-only volume")

    if not WINDOWS:  # other users, signals, mount points: the Linux build's own
        # Where the program's folder cannot be made, one line says where and
        # why: a file in its place, another user's folder there, a root this
        # user may not write, a read-only volume. Nothing is touched.
        def test_what_keeps_the_folder_from_being_made_is_said(self):
            mount_tmpfs(self.stack, "64m")
            os.chmod(VOLUME, 0o755)
            put_user_files()
            unlike_own = "Kelvor works only in a folder of its own"
            for why, user in ((f"{TEMP} is in the way, and is no folder", None),
                              (f"{TEMP} is not this user's alone (nobody, mode 755), and " + unlike_own,
                               None),
                              ("this user may not write in its root folder (root, mode 755)", NOBODY),
                              ("the volume is mounted read-only", None)):
                with self.subTest(why=why):
                    if "no folder" in why:
                        put_user_files({TEMP: 1234})
                    elif "alone" in why:
                        os.remove(TEMP)
                        os.mkdir(TEMP)
                        os.chown(TEMP, NOBODY, NOBODY)
                    else:
                        with contextlib.suppress(FileNotFoundError):
                            os.rmdir(TEMP)
                    if "read-only" in why:
                        subprocess.run(["mount", "-o", "remount,ro", VOLUME], check=True)
                    before = state()
                    ended = run(user=user)
                    self.assertEqual((ended[0], state()), (1, before), ended[2])
                    self.assertIn(f"kelvor: nothing could be written on G: ({VOLUME}): {why}",
                                  ended[2])

        def test_a_folder_swapped_for_a_link_by_another_user_never_leads_off_the_volume(self):
            outside = mount_elsewhere(self.stack)
            home = os.path.join(WORK, "race-home")  # the program's current folder
            put_user_files({"Kelvor7.dat": 1000}, home)
            at_home = snapshot(home)
            mount_tmpfs(self.stack, "8m")
            os.chmod(VOLUME, 0o777)  # a volume every user may write to
            swapper = subprocess.Popen([sys.executable, "-c", SWAPPER, VOLUME, ELSEWHERE],
                                       user=NOBODY)
            self.stack.callback(stop, swapper)
            exit_codes = {run(cwd=home)[0] for _ in range(RACE_RUNS)}
            stop(swapper)
            self.assertLessEqual(exit_codes, {0, 1})
            self.assertEqual((snapshot(ELSEWHERE), snapshot(home)), (outside, at_home))

        # Another user who takes a lock on a fill file as soon as one exists
        # can neither reach it nor keep the run from deleting it.
        def test_another_users_lock_never_blocks_the_cleanup(self):
            mount_tmpfs(self.stack, "256m")
            before = state()
            locker = subprocess.Popen([sys.executable, "-c", LOCKER,
                                       os.path.join(TEMP, "Kelvor0.dat")], user=NOBODY)
            self.stack.callback(stop, locker)
            self.assertClean(before, run())

        # Many free file records make the record stage last long enough to be
        # interrupted: it begins when the reserve file is given back.
        def test_an_interrupt_in_the_record_stage_cleans_up(self):
            self.mount_with_deleted_files(self.stack, "ntfs", 300, 2000)
            process = start(("G:",))
            self.stack.callback(stop, process)
            reserve = os.path.join(TEMP, "Kelvor-reserve.dat")
            self.assertTrue(wait_until(lambda: os.path.exists(reserve), RUN_TIMEOUT, 0.001))
            wait_until(lambda: not os.path.exists(reserve), RUN_TIMEOUT, 0.001)
            kill(process, signal.SIGINT)
            code, _, output = finish(process)
            self.assertEqual(code, 130, output)
            self.assertNotIn("Deleting temporary files", output, "the run had ended before")
            self.assertEqual(set(os.listdir(VOLUME)) - {"lost+found"}, set())

        # Named options, a mount point for the drive, and interrupts that
        # clean up and say which signal ended the run.
        def test_interrupts_in_a_gigabyte_part_clean_up(self):
            mount_tmpfs(self.stack, "1100m")
            before = state()
            cases = ((VOLUME, "--ones", signal.SIGINT, 130, b"\xff"),
                     (VOLUME + "/", "--zeros", signal.SIGTERM, 143, b"\0"),
                     ("G", "--blocks", signal.SIGHUP, 129, None),
                     # the soft limit of processor time (ulimit -t) reached
                     ("G:", "--ones", signal.SIGXCPU, 152, b"\xff"))
            for drive, option, signal_number, exit_code, byte in cases:
                with self.subTest(drive=drive, option=option), contextlib.ExitStack() as each:
                    process = start((drive, option))
                    each.callback(stop, process)  # should a check fail first
                    # Kelvor0.dat is complete once the gigabyte part is begun.
                    self.assertTrue(part_reached(process, "Kelvor1.dat", 1))
                    with open(os.path.join(TEMP, "Kelvor0.dat"), "rb") as kelvor0:
                        head = kelvor0.read(64 * 1024)  # at once: the run is near its end
                    # Blocks of binary data are neither all ones nor all zeros.
                    self.assertEqual(head[:1] if head == head[:1] * len(head) else None, byte)
                    kill(process, signal_number)
                    kill(process, signal_number)  # a second one during the cleanup changes nothing
                    self.assertEqual(finish(process)[0], exit_code)
                    self.assertClean(before)

        # On a slow stick (3 MB/s, where a chunk takes ten seconds) the line on
        # a terminal moves on every second, with the share of the free space
        # written, cut to the terminal's width; an interrupt ends the run
        # within a second, between the slices of a chunk, and cleans up.
        def test_on_a_slow_stick_the_line_moves_on_and_an_interrupt_answers(self):
            backing, drawn = os.path.join(WORK, "backing"), os.path.join(WORK, "drawn")
            mount_tmpfs(self.stack, "300m", backing)
            self.mount_faulty_view(self.stack, backing, "EIO", "slow")
            session, width = f"kelvor-{os.getpid()}", 50
            subprocess.run(["tmux", "new-session", "-d", "-s", session, "-x", str(width), "-y", "5",
                            "env", f"KELVOR_DRIVES=G={VOLUME}", PROGRAM, "G:", "/0"], check=True)
            pid = int(subprocess.run(["tmux", "display", "-p", "-t", session, "#{pane_pid}"],
                                     check=True, capture_output=True, text=True).stdout)

            def ended():  # tmux takes its time to reap its pane's process
                with contextlib.suppress(OSError):
                    return pathlib.Path(f"/proc/{pid}/stat").read_text().split()[2] == "Z"
                return True

            def close():  # should a check fail first: the run cleans up before the unmount
                subprocess.run(["tmux", "kill-session", "-t", session], stderr=subprocess.DEVNULL)
                wait_until(ended, RUN_TIMEOUT)
            self.stack.callback(close)
            subprocess.run(["tmux", "pipe-pane", "-t", session, f"cat >> {drawn}"], check=True)
            self.stack.callback(os.remove, drawn)
            # Past the first 30 MiB the view writes slowly: in the remainder part.
            self.assertTrue(wait_until(lambda: os.path.getsize(os.path.join(TEMP, "Kelvor0.dat"))
                                       >= 20 * MIB if os.path.exists(TEMP + "/Kelvor0.dat")
                                       else False, RUN_TIMEOUT), "the slow part was never reached")
            drawings = open(drawn, "rb").read().count(b"\r")
            time.sleep(3)
            self.assertGreaterEqual(open(drawn, "rb").read().count(b"\r") - drawings, 2)
            shown = subprocess.run(["tmux", "capture-pane", "-p", "-t", session], check=True,
                                   capture_output=True, text=True).stdout.splitlines()
            self.assertTrue(any(re.match(r"\[[#.]{20}\] +[0-9]+% [0-9.]+/[0-9.]+ GB", line)
                                for line in shown), shown)
            self.assertLess(max(map(len, shown)), width, shown)

            os.kill(pid, signal.SIGINT)
            asked = time.monotonic()
            self.assertTrue(wait_until(ended, RUN_TIMEOUT))
            self.assertLess(time.monotonic() - asked, 1.0)
            self.assertFalse(os.path.lexists(os.path.join(backing, TEMP_NAME)))

        # Limits that a shell (ulimit) or a service unit sets: a file-size limit
        # ends the writing with a report instead of killing the program; too
        # few descriptors to hold what a run holds refuses the run before it
        # touches the volume; too little memory for a chunk is reported.
        def test_process_limits_end_the_run_cleanly(self):
            mount_tmpfs(self.stack, "1100m")
            before = state()
            cases = ((resource.RLIMIT_FSIZE, 10 * MIB, "--ones", [ACCESS_ERROR]),
                     (resource.RLIMIT_NOFILE, 5, "--ones", []),
                     (resource.RLIMIT_AS, 100 * MIB, "--blocks", [report(7, "Out of memory")]))
            for limit, most, option, reports in cases:
                with self.subTest(limit=limit):
                    ended = run(("G:", option), limits=((limit, (most, most)),))
                    self.assertEqual(ended[:2], (1, reports), ended[2])
                    self.assertClean(before)

        # The listing shows another user only the free space it may write; only
        # a drive letter or a mount point names a drive, and the message says
        # which is wrong (exit code 2 is the whole-run tests').
        def test_the_listing_and_the_names_of_drives(self):
            mount_image(self.stack, 64, "ext4", "50")
            listing = run(("--help",), user=NOBODY)[2]
            shown = re.search(rf"^G:\\    Fixed Drive    ([\d.]+) MB Free    {re.escape(VOLUME)}$",
                              listing, re.M)
            self.assertIsNotNone(shown, listing)
            self.assertIn("\nUsage: kelvor [OPTION...] DRIVE", listing)
            self.assertAlmostEqual(float(shown.group(1)), free_bytes() / GIB * 1000, delta=0.5)
            self.assertEqual({run(words, user=NOBODY)[2] for words in ((), ("-h",))}, {listing})

            # A mount point whose name holds a line break and an escape code
            # shows them as octal escapes: no false line in the listing.
            forged = os.path.join(WORK, "x\nC:\\    Fixed Drive    9999 MB Free    /\x1b[2K")
            mount_tmpfs(self.stack, "1m", forged)
            listing = run(("--help",), drives=f"G={VOLUME};H={forged}")[2]
            self.assertEqual(len(re.findall(r"^[A-Z]:\\ ", listing, re.M)), 2, listing)
            self.assertIn("x\\012C:\\    Fixed Drive    9999 MB Free    /\\033[2K\n", listing)

            unplugged = os.path.join(VOLUME, "usb")  # where a stick would be mounted
            os.mkdir(unplugged)
            # A link on the way to the mount point, in a folder of another
            # user's, who could point it at any volume while the run goes on.
            theirs = os.path.join(WORK, "theirs")
            os.makedirs(theirs, exist_ok=True)
            os.chown(theirs, NOBODY, NOBODY)
            linked = os.path.join(theirs, "volume")
            with contextlib.suppress(FileNotFoundError):
                os.remove(linked)
            os.symlink(VOLUME, linked)
            before = state()
            for drive, drives, message in [
                    ("G:", f"G={unplugged}", "G: is not a listed drive (kelvor --help lists them)"),
                    ("G:", f"G={linked}", "G: is not a listed drive"),
                    # A ";" that is part of a path is written ";;": cut at one,
                    # the path would name another volume.
                    ("G:", f"G={VOLUME};usb", "KELVOR_DRIVES: 'usb' is not LETTER=/PATH"),
                    ("cancel", f"C={VOLUME}", "cancel names no drive"),
                    (unplugged, f"G={unplugged}", f"{unplugged} is not the mount point of a listed")]:
                with self.subTest(drive=drive, drives=drives):
                    code, _, output = run((drive, "/B"), drives=drives)
                    self.assertEqual((code, state()), (2, before))
                    self.assertIn("kelvor: " + message, output)
            # A typo or a word too many is no wipe with the default pattern.
            for words, message in [(("G:", "/b"), "unknown option /b"),
                                   (("--frobnicate", "G:"), "unknown option --frobnicate"),
                                   (("G:", "H:"), "one drive only: H: is one too many")]:
                with self.subTest(words=words):
                    code, _, output = run(words)
                    self.assertEqual((code, state()), (2, before))
                    self.assertIn("kelvor: " + message, output)

            # Without KELVOR_DRIVES, C: is the root filesystem: never wiped
            # unasked, at a terminal or without one. (Run as nobody, with no
            # file allowed to grow: a run that went ahead would write nothing.)
            nothing = {"user": NOBODY, "limits": [(resource.RLIMIT_FSIZE, (0, 0))], "drives": False}
            code, _, output = run(("C:",), **nothing)
            self.assertEqual(code, 2, output)
            self.assertIn("give --yes to wipe its free space unattended", output)
            code, _, output = run(("C:",), terminal=True, answer=b"n\n", **nothing)
            self.assertEqual(code, 2, output)
            self.assertIn("Wipe its free space? [y/N] ", output)
            self.assertIn("not confirmed; nothing was touched", output)

        # Another user who may write the drive's root lays folders and files
        # in the program's way. A folder of theirs as ~KelvorTemp, holding a
        # private folder of root's (renamed there from a folder of theirs) as
        # a folder of record files: neither is worked in, and root's files in
        # it stay. A file of theirs named like a fill file in the program's
        # own folder, left by a killed run, stays too.
        def test_another_users_folders_and_files_are_never_the_programs(self):
            mount_tmpfs(self.stack, "64m")
            os.chmod(VOLUME, 0o777)
            records = os.path.join(TEMP, "KelvorRecords1")
            put_user_files({f"{records}/db": 100, f"{records}/a": 10})
            os.chmod(records, 0o700)
            os.chown(TEMP, NOBODY, NOBODY)
            roots_files = {name: pathlib.Path(records, name).read_bytes() for name in ("db", "a")}
            self.assertEqual(run()[0], 1)
            self.assertEqual({name: pathlib.Path(records, name).read_bytes()
                              for name in os.listdir(records)}, roots_files)

            subprocess.run(["rm", "-r", TEMP], check=True)
            put_user_files({f"{TEMP}/Kelvor3.dat": 1000})
            os.chmod(TEMP, 0o700)
            os.chown(os.path.join(TEMP, "Kelvor3.dat"), NOBODY, NOBODY)
            before = os.stat(os.path.join(TEMP, "Kelvor3.dat"))
            self.assertEqual(run()[:2], (1, [PERMISSION_DENIED]))
            self.assertEqual(os.stat(os.path.join(TEMP, "Kelvor3.dat")).st_ino, before.st_ino)

        # Someone who may write the drive's root renames the program's folder
        # away during the run and makes one of theirs in its place: theirs is
        # not removed at the end, and the run says that its own could not be.
        def test_a_folder_put_in_the_programs_place_is_not_removed(self):
            mount_tmpfs(self.stack, "256m")
            os.chmod(VOLUME, 0o777)
            renamer = subprocess.Popen([sys.executable, "-c", RENAMER, VOLUME], user=NOBODY)
            self.stack.callback(stop, renamer)
            code, reports, output = run()
            self.assertTrue(wait_until(lambda: renamer.poll() is not None, 10), "no folder was swapped")
            self.assertEqual(os.stat(TEMP).st_uid, NOBODY, output)
            self.assertEqual((code, reports[-1:]), (1, [PERMISSION_DENIED]), output)

        # A stalled error output (a pipe that nobody reads, a terminal stopped
        # as Ctrl-S stops it) loses the status lines: the run fills the disk
        # and cleans up all the same. Only what comes after the cleanup (the
        # reports, the summary) waits for the output to move again.
        def test_a_stalled_output_never_keeps_the_disk_full(self):
            mount_tmpfs(self.stack, "256m")
            before = state()
            for kind in ("pipe", "terminal"):
                with self.subTest(kind), contextlib.ExitStack() as each:
                    reader, writer = os.openpty() if kind == "terminal" else os.pipe()
                    each.callback(os.close, reader)
                    if kind == "terminal":
                        termios.tcflow(writer, termios.TCOOFF)
                    else:
                        os.set_blocking(writer, False)
                        with contextlib.suppress(BlockingIOError):
                            while True:
                                os.write(writer, b"\n" * 4096)
                        os.set_blocking(writer, True)
                    process = start(error_output=writer)
                    each.callback(stop, process)
                    self.assertTrue(wait_until(lambda: os.path.lexists(TEMP), 30, 0.001),
                                    "the run never began to write")
                    self.assertTrue(wait_until(lambda: not os.path.lexists(TEMP), 60),
                                    "the run kept its fill files while its output stalled")
                    self.assertEqual(state(), before)
                    if kind == "terminal":
                        termios.tcflow(writer, termios.TCOON)
                    os.close(writer)
                    threading.Thread(target=drain, args=(reader,), daemon=True).start()
                    self.assertEqual(finish(process)[0], 0)

        # Free space but no free entry for one more file: no full disk, as
        # nothing could be written, and the folder the run made goes again.
        def test_a_volume_without_free_file_entries(self):
            mount_tmpfs(self.stack, "64m,nr_inodes=3")  # the root, the folder and one more
            self.assertEqual(run()[:2], (1, [report(67, "Too many files"),
                                             report(53, "File not found")]))
            self.assertEqual(os.listdir(VOLUME), [])

        # A umask that takes the user's own rights from new files and folders
        # changes nothing: the program sets their modes itself, and the probe
        # file in the current folder goes again.
        def test_a_umask_never_keeps_the_program_from_its_own_files(self):
            mount_tmpfs(self.stack, "64m")
            os.chmod(VOLUME, 0o777)
            here = os.path.join(VOLUME, "here")
            os.mkdir(here, 0o755)
            os.chown(here, NOBODY, NOBODY)
            before = state()
            for user in (None, NOBODY):
                with self.subTest(user=user):
                    for _ in range(2):  # the next run finds nothing left
                        self.assertClean(before, run(cwd=here, user=user, umask=0o277))


# Each filesystem of the erasure test, with its size in MiB (ext4 needs room
# for a block that indexes a fill file's extents; XFS and btrfs are no
# smaller than their tools make them).
ERASURE_VOLUMES = (("ext4", 600), ("xfs", 700), ("btrfs", 700), ("ntfs", 300), ("exfat", 300),
                   ("fat", 300))
# A btrfs volume that compresses, wiped with All 1's (which compresses to
# almost nothing) and with Blocks of Binary Data (which does not compress).
ERASURE_VOLUMES += (("btrfs_compressing", 700, ()), ("btrfs_compressing", 700, ("/0",)))
# What the erasure test allows to be left, as (4 KiB blocks of deleted data,
# copies of deleted names), by filesystem and build; nothing where not named.
# ext4 may write the block that indexes a fill file's extents only to its
# journal, and the journal keeps copies of folder blocks: the Linux build,
# as root, has the journal written home and zeroed; a Windows program cannot.
# XFS keeps about 315 blocks in each allocation group out of every program's
# reach, taken from its smallest free extents (where small deleted files
# were), and copies of folder blocks in its log, which the Linux build has
# overwritten by changes of its own and a Windows program cannot.
# A Windows program cannot ask btrfs for no copy-on-write: on a volume that
# compresses, a constant fill takes so little room that the metadata, with
# the small files and the names in it, stays out of reach. There the blocks
# of small files and the copies of names found before the run may stay, and
# nothing else: how many copies btrfs keeps varies from run to run (344 to
# 546 names seen; All 1's left every one, Blocks of Binary Data none).
IN_METADATA = "what the metadata held"
ERASURE_LEFT = {("ext4", True): (1, 100), ("xfs", False): (64, 0), ("xfs", True): (64, 100),
                ("btrfs_compressing", True): IN_METADATA}

RACE_RUNS = 300

# Run as another user: swaps the program's folder name between a folder of
# its own and a link to another volume, as fast as it can.
SWAPPER = """
import contextlib, os, sys
folder = os.path.join(sys.argv[1], "~KelvorTemp")
while True:
    for make, undo in ((os.mkdir, os.rmdir), (lambda f: os.symlink(sys.argv[2], f), os.unlink)):
        with contextlib.suppress(OSError):
            make(folder)
            undo(folder)
"""

# Run as another user: once the program has made its folder, renames it away
# and makes a folder of its own under the same name.
RENAMER = """
import os, sys
folder = os.path.join(sys.argv[1], "~KelvorTemp")
while True:
    try:
        if os.stat(folder).st_uid == 0:
            os.rename(folder, os.path.join(sys.argv[1], "moved"))
            os.mkdir(folder)
            break
    except OSError:
        pass
"""


# Reads a descriptor until its writers are gone.
def drain(descriptor):
    with contextlib.suppress(OSError):
        while os.read(descriptor, 65536):
            pass


# Run as another user: opens a fill file as soon as it can and holds a lock on it.
LOCKER = """
import fcntl, sys, time
while True:
    try:
        held = open(sys.argv[1], "rb")
        fcntl.flock(held, fcntl.LOCK_SH)
        time.sleep(600)
    except OSError:
        time.sleep(0.0005)
"""


# Each case's line is followed by the seconds it took.
class TimedResult(unittest.TextTestResult):
    def startTest(self, test):
        self.started = time.monotonic()
        super().startTest(test)

    def stopTest(self, test):
        super().stopTest(test)
        self.stream.writeln(f"    {time.monotonic() - self.started:.0f} s")


if __name__ == "__main__":
    if os.geteuid() != 0:
        sys.exit("the reliability suite mounts volumes and so needs root")
    # Shortly before the test group's time limit (KELVOR_TIME_LIMIT, seconds)
    # ends the suite, every thread's stack says which case waits, and where.
    if "KELVOR_TIME_LIMIT" in os.environ:
        faulthandler.dump_traceback_later(
            int(os.environ["KELVOR_TIME_LIMIT"]) - REPORT_BEFORE_LIMIT)
    runner = unittest.TextTestRunner(resultclass=TimedResult, verbosity=2)
    result = unittest.main(exit=False, testRunner=runner).result
    # The counts in GoogleTest's report form, which scripts/test adds up.
    failed = {getattr(test, "test_case", test).id() for test, _ in result.failures + result.errors}
    os.makedirs(os.environ["KELVOR_RESULTS"], exist_ok=True)
    ET.ElementTree(ET.Element("testsuites", tests=str(result.testsRun), failures=str(len(failed)),
                              errors="0")).write(os.environ["KELVOR_RESULTS"] + "/reliability.xml")
    sys.exit(not result.wasSuccessful())
