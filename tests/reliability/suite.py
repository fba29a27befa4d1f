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
# them again. Arguments, if any, choose the cases whose names hold them.
import contextlib
import hashlib
import os
import re
import signal
import subprocess
import sys
import time
import unittest
import xml.etree.ElementTree as ET

ROOT = os.environ["KELVOR_TEST_VOLUMES"]
WINDOWS = os.environ["KELVOR_PLATFORM"] == "win32"
PROGRAM = os.environ["KELVOR_PROGRAM"]
RESULTS = os.environ["KELVOR_RESULTS"]
HERE = os.path.dirname(os.path.abspath(__file__))
VOLUMES_SH = os.path.join(HERE, "..", "..", "scripts", "lib", "volumes.sh")

DRIVE = "G:"
VOLUME = os.path.join(ROOT, "reliability")  # drive G:
WORK = os.path.join(ROOT, "reliability-work")  # images and backing folders; no drive
TEMP_FOLDER = "~KelvorTemp"
FILL_FILE = re.compile(r"Kelvor.*\.dat", re.I)
RECORD_FOLDER = re.compile(r"KelvorRecords[0-9]+")
RECORD_FILE = re.compile(r"[0-9a-z]{1,2}")
MIB = 1 << 20
GIB = 1 << 30
RUN_TIMEOUT = 300  # seconds
PART_STARTED = 64 * MIB  # a gigabyte part this far written is in the middle of its work
RESERVE = 16 * MIB  # the reserve file of the record stage, written before the fill
NOBODY = 65534


# ---------------------------------------------------------------- volumes

# A function of scripts/lib/volumes.sh, which makes and mounts every test volume.
def volumes(*command):
    subprocess.run([VOLUMES_SH, *command], check=True, stdout=subprocess.DEVNULL)


def mount_tmpfs(stack, path, size):
    volumes("tmpfs_mount", path, size)
    stack.callback(volumes, "unmount", path)


# A loop-mounted ext4 volume on G: whose free space programs may use, but
# for root's share.
def mount_ext4(stack, size_mib, root_percent=0):
    image = os.path.join(WORK, "volume.img")
    volumes("ext4_image", image, str(size_mib), str(root_percent))
    stack.callback(os.remove, image)
    volumes("ext4_mount", image, VOLUME)
    stack.callback(volumes, "unmount", VOLUME)
    return image


# Mounts an image again once the kernel has let go of its earlier mount.
def remount(image):
    deadline = time.monotonic() + 30
    while subprocess.run(["losetup", "-j", image], capture_output=True, text=True).stdout:
        if time.monotonic() > deadline:
            raise RuntimeError("the removed volume is still in use")
        time.sleep(0.1)
    volumes("ext4_mount", image, VOLUME)


# G: as a view of `backing` whose writes start failing after `after` bytes.
def mount_faultfs(stack, backing, after, error, fail, flush_error=None):
    flush_option = ["--flush-errno", flush_error] if flush_error else []
    server = subprocess.Popen([os.path.join(HERE, "faultfs.py"), backing, VOLUME, "--after",
                               str(after), "--errno", error, "--fail", fail, *flush_option],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def stop_server():
        subprocess.run(["fusermount", "-u", VOLUME], stderr=subprocess.DEVNULL)
        with contextlib.suppress(subprocess.TimeoutExpired):
            server.wait(timeout=10)
        stop(server)
    stack.callback(stop_server)
    deadline = time.monotonic() + 10
    while not os.path.ismount(VOLUME):
        if time.monotonic() > deadline or server.poll() is not None:
            raise RuntimeError("the fault-injecting volume did not come up")
        time.sleep(0.05)


def free_bytes(path=VOLUME):
    os.sync()  # blocks freed by a deletion count once the journal has them
    info = os.statvfs(path)
    return info.f_bavail * info.f_frsize


# A user's file that takes every free byte of the volume.
def fill_up(path):
    with open(os.path.join(path, "filler.bin"), "wb", buffering=0) as f:
        block = os.urandom(MIB)
        for size in (MIB, 64 * 1024, 4096, 1):
            with contextlib.suppress(OSError):
                while True:
                    f.write(block[:size])


# Ends a helper process this suite started (by its handle).
def stop(process):
    if process.poll() is None:
        process.kill()
        process.wait()


# ---------------------------------------------------------------- the user's files

USER_FILES = {
    "Kelvor5.dat": 64 * 1024,  # named like a fill file, but not in the temporary folder
    "archive/Kelvor5.dat": 200 * 1024,
    "archive/Kelvor1.dat": 1000,
    "docs/report.txt": 5000,
    "photos/holiday.jpg": 3 * MIB,
    ".hidden": 100,
    "home/Kelvor.tmp": 37,  # the current folder's own file of the probe's name
    "home/empty.txt": 0,
}
HOME = "home"  # the program's current folder, on the volume


def put_user_files(top, files=USER_FILES):
    for name, size in files.items():
        path = os.path.join(top, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(os.urandom(size))


# The temporary folder, its fill files and the folders of its record
# files with theirs: the program's to make and delete.
def is_programs_own(path, relative):
    parts = relative.split(os.sep)
    if parts[0] != TEMP_FOLDER:
        return False
    is_folder = os.path.isdir(path) and not os.path.islink(path)
    if len(parts) == 1 or len(parts) == 2 and RECORD_FOLDER.fullmatch(parts[1]):
        return is_folder
    if len(parts) == 3 and RECORD_FOLDER.fullmatch(parts[1]):
        return RECORD_FILE.fullmatch(parts[2]) is not None
    return len(parts) == 2 and FILL_FILE.fullmatch(parts[1]) is not None


# Every file, link and folder below `top` but the program's own, with a
# checksum of each file's bytes.
def snapshot(top):
    seen = {}
    for folder, folders, files in os.walk(top):
        for name in folders + files:
            path = os.path.join(folder, name)
            relative = os.path.relpath(path, top)
            if is_programs_own(path, relative):
                continue
            if os.path.islink(path):
                seen[relative] = "link to " + os.readlink(path)
            elif os.path.isdir(path):
                seen[relative] = "folder"
            else:
                with open(path, "rb") as f:
                    seen[relative] = hashlib.sha256(f.read()).hexdigest()
    return seen


def fill_files(top):
    folder = os.path.join(top, TEMP_FOLDER)
    if not os.path.isdir(folder) or os.path.islink(folder):
        return {}
    return {name: os.path.getsize(os.path.join(folder, name)) for name in os.listdir(folder)
            if FILL_FILE.fullmatch(name)}


# ---------------------------------------------------------------- the program

# The program under test as its own process: by default a wipe of drive
# G:. Natively, `drive` is the first word (None: no word at all), `drives`
# the drive map, and the program may run as another user (`user`), with its
# output closed, or on a terminal.
class Run:

    def __init__(self, *arguments, cwd=None, drive=DRIVE, drives=None, user=None,
                 closed_output=False, terminal=False):
        env = dict(os.environ)
        if WINDOWS:
            command = [os.path.join(HERE, "..", "support", "wine-run.sh"),
                       os.environ["KELVOR_WINE_ARCH"], os.environ["KELVOR_RUNNER"], drive,
                       *arguments]
        else:
            env["KELVOR_DRIVES"] = drives or f"G={VOLUME}"
            command = [PROGRAM, *([drive] if drive else []), *arguments]
        if terminal:
            command = ["script", "-qec", " ".join(command), "/dev/null"]
        self.process = subprocess.Popen(command, cwd=cwd or WORK, env=env, stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE, user=user)
        self.closed_output = closed_output
        if closed_output:  # like `kelvor G: | head -n1` once head has ended
            self.process.stdout.close()
            self.process.stderr.close()

    def wait(self):
        if self.closed_output:
            self.process.wait(timeout=RUN_TIMEOUT)
            self.output = ""
        else:
            self.output = b"".join(self.process.communicate(timeout=RUN_TIMEOUT)).decode()
        self.exit_code = self.process.returncode
        self.reports = re.findall(r"^Kelvor: .*?(?=\r|$)", self.output, re.M)
        return self

    # Waits until the fill file `name` holds `size` bytes.
    def wait_for_part(self, name, size=PART_STARTED):
        path = os.path.join(VOLUME, TEMP_FOLDER, name)
        deadline = time.monotonic() + RUN_TIMEOUT
        while time.monotonic() < deadline and self.process.poll() is None:
            with contextlib.suppress(OSError):
                if os.path.getsize(path) >= size:
                    return True
            time.sleep(0.002)
        return False

    # Signals the process that writes: the program itself.
    def kill(self, signal_number=signal.SIGKILL):
        os.kill(self.process.pid if not WINDOWS else windows_program_pid(), signal_number)


# The Linux process that runs Kelvor.exe in this build's Wine prefix.
# Wine starts it detached from report_runner, so it is found by its command
# line and its prefix.
def windows_program_pid():
    prefix = ("WINEPREFIX=" + os.environ["WINEPREFIX"]).encode()
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        with contextlib.suppress(OSError):
            with open(f"/proc/{entry}/cmdline", "rb") as f:
                first = f.read().split(b"\0")[0]
            with open(f"/proc/{entry}/environ", "rb") as f:
                environment = f.read().split(b"\0")
            if first == PROGRAM.encode() and prefix in environment:
                return int(entry)
    raise RuntimeError("Kelvor.exe is not running")


def report(number, text):
    return f"Kelvor: An Error occured: {number:3d} - {text}."


# The wipe type whose bytes these are.
def wipe_type_of(fill_bytes):
    for byte, name in ((b"\xff", "All 1's"), (b"\0", "All 0's")):
        if fill_bytes == byte * len(fill_bytes):
            return name
    return "Blocks of Binary Data"


# ---------------------------------------------------------------- the cases

class Suite(unittest.TestCase):
    def setUp(self):
        self.stack = contextlib.ExitStack()
        self.addCleanup(self.stack.close)
        os.makedirs(WORK, exist_ok=True)

    def assertCleanWipe(self, run, before, free_before):
        self.assertEqual((run.exit_code, run.reports), (0, []), run.output)
        self.assertLeftAsBefore(before, free_before)

    def assertLeftAsBefore(self, before, free_before):
        self.assertEqual(snapshot(VOLUME), before)
        self.assertFalse(os.path.lexists(os.path.join(VOLUME, TEMP_FOLDER)))
        self.assertEqual(free_bytes(), free_before)

    # Nothing of the user's is touched, whichever way the drive is named.
    def test_every_wipe_type_leaves_the_users_files_and_free_space_as_they_were(self):
        mount_ext4(self.stack, 400)
        put_user_files(VOLUME)
        before, free_before = snapshot(VOLUME), free_bytes()
        for drive, option in (("G:", ""), ("g", "/0"), ("G:\\", "/B")):
            with self.subTest(drive=drive, option=option):
                run = Run(*([option] if option else []), drive=drive,
                          cwd=os.path.join(VOLUME, HOME)).wait()
                self.assertCleanWipe(run, before, free_before)
                if not WINDOWS:  # no terminal: plain lines, then the summary
                    self.assertNotIn("\r", run.output)
                    self.assertRegex(run.output, r"\nWrote [\d.]+ [MG]B in ")

    # Only files named Kelvor*.dat, in any case, are fill files; only long
    # names count (under Wine "Kelvor notes.data" has the short name
    # KELV~0FQ.DAT, which the pattern would match).
    def test_a_leftover_folder_keeps_everything_that_is_not_a_fill_file(self):
        mount_ext4(self.stack, 400)
        put_user_files(VOLUME)
        put_user_files(VOLUME, {f"{TEMP_FOLDER}/{name}": 300 for name in (
            "notes.txt", "Kelvor-notes.txt", "Kelvor notes.data", "Kelvor1.dat.keep",
            "MyKelvor1.dat", "photos/Kelvor1.dat")})
        put_user_files(VOLUME, {f"{TEMP_FOLDER}/Kelvor3.dat": 4 * MIB,
                                f"{TEMP_FOLDER}/kelvor4.DAT": MIB})
        before, free_before = snapshot(VOLUME), free_bytes()
        run = Run("/B", cwd=os.path.join(VOLUME, HOME)).wait()
        # The folder cannot be removed while it holds the user's files; its
        # being there already is no error.
        self.assertEqual((run.exit_code, run.reports),
                         (1, [report(75, "Path/file access error")]))
        self.assertEqual(snapshot(VOLUME), before)
        self.assertEqual(fill_files(VOLUME), {})
        self.assertEqual(free_bytes(), free_before + 5 * MIB)

    # Write faults in the middle of a run. The remainder part of 96 MiB is
    # written in chunks of 9.6 MiB; the device fails after 30 MiB.
    def test_a_failing_device_stops_the_run_at_the_first_fault(self):
        backing = os.path.join(WORK, "backing")
        # Wine turns the I/O error into "not ready", and a refused deletion
        # into an access error.
        device_error = report(71, "Disk not ready") if WINDOWS else report(72, "Disk media error")
        refused_deletion = (report(75, "Path/file access error") if WINDOWS
                            else report(70, "Permission denied"))
        # error, what fails, error of the flushes after it, exit code, reports,
        # whether the volume allows the cleanup
        cases = [
            ("EIO", "writes", None, 1, [device_error], True),
            # The write's error is reported, not that of the flush after it.
            ("EIO", "writes", "EROFS", 1, [device_error], True),
            ("EIO", "flushes", None, 1, [device_error], True),
            ("ENOSPC", "writes", None, 0, [], True),  # a full disk ends every wipe
            ("EROFS", "everything", None, 1, [report(70, "Permission denied"), refused_deletion],
             False),
        ]
        for error, fail, flush_error, exit_code, reports, cleaned in cases:
            with self.subTest(error=error, fail=fail, flush_error=flush_error), \
                    contextlib.ExitStack() as stack:
                mount_tmpfs(stack, backing, "96m")
                put_user_files(backing)
                before = snapshot(backing)
                mount_faultfs(stack, backing, 30 * MIB, error, fail, flush_error)
                run = Run("/B").wait()
                self.assertEqual((run.exit_code, run.reports), (exit_code, reports))
                self.assertEqual(snapshot(backing), before)
                left = os.path.lexists(os.path.join(backing, TEMP_FOLDER))
                self.assertEqual(left, not cleaned)

    # A killed run, and the next one.
    def test_a_run_killed_in_a_gigabyte_part_is_cleaned_up_by_the_next_run(self):
        mount_ext4(self.stack, 1400)
        put_user_files(VOLUME)
        before, free_before = snapshot(VOLUME), free_bytes()
        run = Run("/B")
        self.assertTrue(run.wait_for_part("Kelvor1.dat"), "the run never reached its gigabyte part")
        run.kill()
        run.wait()
        left = fill_files(VOLUME)
        self.assertIn("Kelvor1.dat", left)
        self.assertEqual(snapshot(VOLUME), before)
        if not WINDOWS:  # what the run left is nobody else's to read
            folder = os.path.join(VOLUME, TEMP_FOLDER)
            modes = {os.stat(os.path.join(folder, name)).st_mode & 0o777 for name in left}
            self.assertEqual((os.stat(folder).st_mode & 0o777, modes), (0o700, {0o600}))
        # The next run deletes the leftover fill files, fills the drive and
        # leaves it clean, with nothing to report.
        self.assertCleanWipe(Run("/B").wait(), before, free_before)

    # Volume edge cases.
    def test_a_volume_without_free_space(self):
        mount_tmpfs(self.stack, VOLUME, "16m")
        put_user_files(VOLUME)
        fill_up(VOLUME)
        self.assertEqual(free_bytes(), 0)
        self.assertCleanWipe(Run("/B").wait(), snapshot(VOLUME), 0)

    # Exactly a gigabyte part and no remainder once the reserve file for the
    # record stage is written. On Linux, on a terminal: one line updated in
    # place, with a bar of the parts.
    def test_exactly_one_gigabyte_for_the_fill_files(self):
        mount_tmpfs(self.stack, VOLUME, f"{(GIB + RESERVE) // MIB}m")
        self.assertEqual(free_bytes(), GIB + RESERVE)
        run = Run("/B", terminal=not WINDOWS).wait()
        self.assertCleanWipe(run, {}, GIB + RESERVE)
        if not WINDOWS:
            self.assertIn("\r[####################] 1/1 GB  Rate: ", run.output)
            self.assertRegex(run.output, r"\nWrote [\d.]+ [MG]B in ")

    def test_a_volume_unmounted_during_the_run(self):
        image = mount_ext4(self.stack, 1400)
        put_user_files(VOLUME)
        before, free_before = snapshot(VOLUME), free_bytes()
        run = Run("/B")
        self.assertTrue(run.wait_for_part("Kelvor1.dat"), "the run never reached its gigabyte part")
        subprocess.run(["umount", "-l", VOLUME], check=True)
        run.wait()
        # Nothing was written to the folder the volume was mounted on.
        self.assertEqual(os.listdir(VOLUME), [])
        if not WINDOWS:
            # The Linux build holds its drive open: it ends its work on the
            # volume and cleans up, and the volume comes back as it was.
            self.assertEqual((run.exit_code, run.reports), (0, []))
            remount(image)
            self.assertLeftAsBefore(before, free_before)
            return
        # Under Wine the fill files go with the volume: the report says so.
        self.assertEqual((run.exit_code, run.reports), (1, [report(53, "File not found")]))
        # Back again, the volume holds the user's files as they were and the
        # fill files; the next run deletes them.
        remount(image)
        self.assertEqual(snapshot(VOLUME), before)
        self.assertNotEqual(fill_files(VOLUME), {})
        self.assertCleanWipe(Run("/B").wait(), before, free_before)

    # What stands in the way of the temporary folder: the folder cannot be
    # made, and then there is nothing to delete.
    def test_a_read_only_volume_or_a_file_in_the_folders_place(self):
        for reason in ("read-only", "file"):
            with self.subTest(reason), contextlib.ExitStack() as stack:
                mount_tmpfs(stack, VOLUME, "64m")
                put_user_files(VOLUME)
                if reason == "file":
                    put_user_files(VOLUME, {TEMP_FOLDER: 1234})
                else:
                    subprocess.run(["mount", "-o", "remount,ro", VOLUME], check=True)
                before, free_before = snapshot(VOLUME), free_bytes()
                run = Run("/B").wait()
                self.assertEqual((run.exit_code, run.reports), (1, [
                    report(76, "Path not found"), report(53, "File not found")]))
                self.assertEqual((snapshot(VOLUME), free_bytes()), (before, free_before))

    # Traps that anyone may lay on a volume: what stands where the program's
    # folder or a fill file goes is never followed or written through.
    def test_links_in_the_temporary_folder_are_never_followed(self):
        elsewhere = os.path.join(WORK, "elsewhere")
        mount_tmpfs(self.stack, elsewhere, "16m")
        put_user_files(elsewhere, {"Kelvor0.dat": 1000, "Kelvor1.dat": 2000, "notes.txt": 10})
        outside = snapshot(elsewhere)
        mount_tmpfs(self.stack, VOLUME, "64m")
        put_user_files(VOLUME)

        # The folder itself is a link off the volume (under Wine: a reparse point).
        os.symlink(elsewhere, os.path.join(VOLUME, TEMP_FOLDER))
        before = snapshot(VOLUME)
        run = Run("/B").wait()
        self.assertEqual(run.exit_code, 1)
        self.assertEqual(snapshot(elsewhere), outside)
        self.assertEqual(snapshot(VOLUME), before)
        os.remove(os.path.join(VOLUME, TEMP_FOLDER))

        # A fill file's name is a link to a file of the user's: deleted as the
        # link it is. (Wine shows a Windows program such a link as a plain
        # file, and deletes what it points to: no Windows program can tell.)
        if WINDOWS:
            return
        os.mkdir(os.path.join(VOLUME, TEMP_FOLDER), 0o700)
        target = os.path.join(VOLUME, "docs", "report.txt")
        os.symlink(target, os.path.join(VOLUME, TEMP_FOLDER, "Kelvor0.dat"))
        before, free_before = snapshot(VOLUME), free_bytes()
        self.assertCleanWipe(Run("/B").wait(), before, free_before)

    def test_a_second_name_of_a_users_file_is_never_written_through(self):
        mount_tmpfs(self.stack, VOLUME, "64m")
        put_user_files(VOLUME)
        folder = os.path.join(VOLUME, TEMP_FOLDER)
        os.mkdir(folder, 0o700)
        # Listed last to first: the read-only file comes before the hard link,
        # so a deletion that stopped at it would leave the link in place.
        os.link(os.path.join(VOLUME, "docs", "report.txt"), os.path.join(folder, "Kelvor0.dat"))
        put_user_files(VOLUME, {f"{TEMP_FOLDER}/Kelvor9.dat": 10})
        os.chmod(os.path.join(folder, "Kelvor9.dat"), 0o444)
        if not WINDOWS:  # a pipe would never let a write, or the run, end
            os.mkfifo(os.path.join(folder, "Kelvor1.dat"))
        before = snapshot(VOLUME)
        run = Run("/B").wait()
        self.assertEqual(snapshot(VOLUME), before)
        self.assertEqual(run.exit_code, 1)
        self.assertEqual(run.reports[-1], report(70, "Permission denied"))  # Kelvor9.dat stays
        self.assertEqual(fill_files(VOLUME), {"Kelvor9.dat": 10})

    if not WINDOWS:  # other users, signals, mount points: the Linux build's own
        def test_a_folder_swapped_for_a_link_by_another_user_never_leads_off_the_volume(self):
            elsewhere = os.path.join(WORK, "elsewhere")
            mount_tmpfs(self.stack, elsewhere, "16m")
            put_user_files(elsewhere, {"Kelvor7.dat": 1000})
            home = os.path.join(WORK, "race-home")  # the program's current folder
            put_user_files(home, {"Kelvor7.dat": 1000})
            outside, at_home = snapshot(elsewhere), snapshot(home)
            mount_tmpfs(self.stack, VOLUME, "8m")
            os.chmod(VOLUME, 0o777)  # a volume every user may write to
            swapper = subprocess.Popen([sys.executable, "-c", SWAPPER, VOLUME, elsewhere],
                                       user=NOBODY)
            self.stack.callback(stop, swapper)
            exit_codes = {Run("/B", cwd=home).wait().exit_code for _ in range(RACE_RUNS)}
            stop(swapper)
            self.assertLessEqual(exit_codes, {0, 1})
            self.assertEqual(snapshot(elsewhere), outside)
            self.assertEqual(snapshot(home), at_home)

        def test_another_user_can_neither_lock_nor_keep_a_fill_file(self):
            mount_tmpfs(self.stack, VOLUME, "256m")
            free_before = free_bytes()
            locker = subprocess.Popen(
                [sys.executable, "-c", LOCKER, os.path.join(VOLUME, TEMP_FOLDER, "Kelvor0.dat")],
                user=NOBODY)
            self.stack.callback(stop, locker)
            self.assertCleanWipe(Run("/B").wait(), {}, free_before)

        def test_a_closed_output_never_stops_the_cleanup(self):
            mount_tmpfs(self.stack, VOLUME, "64m")
            free_before = free_bytes()
            self.assertEqual(Run("/B", closed_output=True).wait().exit_code, 0)
            self.assertLeftAsBefore({}, free_before)

        # Named options, a mount point for the drive, and interrupts that
        # clean up and say which signal ended the run.
        def test_interrupts_in_a_gigabyte_part_clean_up(self):
            mount_tmpfs(self.stack, VOLUME, "1100m")
            free_before = free_bytes()
            cases = ((VOLUME, "--ones", signal.SIGINT, 130, "All 1's"),
                     (VOLUME + "/", "--zeros", signal.SIGTERM, 143, "All 0's"),
                     ("G", "--blocks", signal.SIGHUP, 129, "Blocks of Binary Data"))
            for drive, option, signal_number, exit_code, wipe_type in cases:
                with self.subTest(drive=drive, option=option), contextlib.ExitStack() as each:
                    run = Run(option, drive=drive)
                    each.callback(stop, run.process)  # should a check fail first
                    # Kelvor0.dat is complete once the gigabyte part is begun.
                    self.assertTrue(run.wait_for_part("Kelvor1.dat", 1))
                    with open(os.path.join(VOLUME, TEMP_FOLDER, "Kelvor0.dat"), "rb") as f:
                        self.assertEqual(wipe_type_of(f.read(64 * 1024)), wipe_type)
                    run.kill(signal_number)
                    run.kill(signal_number)  # a second one during the cleanup changes nothing
                    self.assertEqual(run.wait().exit_code, exit_code)
                    self.assertLeftAsBefore({}, free_before)

        def test_only_a_drive_letter_or_a_mount_point_names_a_drive(self):
            mount_tmpfs(self.stack, VOLUME, "16m")
            unplugged = os.path.join(VOLUME, "usb")  # where a stick would be mounted
            os.mkdir(unplugged)
            before, free_before = snapshot(VOLUME), free_bytes()
            for drive, drives, message in [
                    (DRIVE, f"G={unplugged}", "G: is not a listed drive (kelvor --help lists them)"),
                    ("cancel", f"C={VOLUME}", "cancel names no drive"),
                    (unplugged, f"G={unplugged}", f"{unplugged} is not the mount point of a listed")]:
                with self.subTest(drive=drive, drives=drives):
                    run = Run("/B", drive=drive, drives=drives).wait()
                    self.assertEqual(run.exit_code, 2)
                    self.assertIn("kelvor: " + message, run.output)
                    self.assertEqual((snapshot(VOLUME), free_bytes()), (before, free_before))

        def test_the_listing_shows_another_user_only_the_free_space_it_may_write(self):
            mount_ext4(self.stack, 64, root_percent=50)
            listing = Run(drive="--help", user=NOBODY).wait().output
            shown = re.search(rf"^G:\\    Fixed Drive    ([\d.]+) MB Free    {re.escape(VOLUME)}$",
                              listing, re.M)
            self.assertIsNotNone(shown, listing)
            self.assertIn("\nUsage: kelvor DRIVE [OPTION]", listing)
            info = os.statvfs(VOLUME)
            may_write_mb = info.f_bavail * info.f_frsize / GIB * 1000
            self.assertAlmostEqual(float(shown.group(1)), may_write_mb, delta=0.5)
            listings = {Run(drive=word, user=NOBODY).wait().output for word in (None, "-h")}
            self.assertEqual(listings, {listing})


RACE_RUNS = 300

# Run as another user: swaps the program's folder name between a folder of
# its own and a link to another volume, as fast as it can.
SWAPPER = """
import os, sys
folder = os.path.join(sys.argv[1], "~KelvorTemp")
while True:
    for make, undo in ((os.mkdir, os.rmdir), (lambda f: os.symlink(sys.argv[2], f), os.unlink)):
        try:
            make(folder)
            undo(folder)
        except OSError:
            pass
"""

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


def main():
    if os.geteuid() != 0:
        print("the reliability suite mounts volumes and so needs root", file=sys.stderr)
        return 1
    tests = unittest.defaultTestLoader.loadTestsFromTestCase(Suite)
    if len(sys.argv) > 1:
        tests = unittest.TestSuite(t for t in tests if any(k in t.id() for k in sys.argv[1:]))
    result = unittest.TextTestRunner(verbosity=2, stream=sys.stdout).run(tests)
    # The counts in GoogleTest's report form, which scripts/test adds up.
    failed = {getattr(test, "test_case", test).id() for test, _ in result.failures + result.errors}
    os.makedirs(RESULTS, exist_ok=True)
    ET.ElementTree(ET.Element("testsuites", tests=str(tests.countTestCases()),
                              failures=str(len(failed)), errors="0")).write(
        os.path.join(RESULTS, "reliability.xml"))
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
