#!/usr/bin/python3
# A volume whose device starts failing partway through: a FUSE file system
# that passes everything through to a backing folder until a given number of
# bytes has been written to its files, and from then on fails as told.
#
# Usage: faultfs.py BACKING MOUNTPOINT AFTER_BYTES ERRNO FAIL [FLUSH_ERRNO]
#   ERRNO and FLUSH_ERRNO: EIO, ENOSPC or EROFS; FAIL says what fails:
#   writes      every write after the limit fails (deleting still works)
#   flushes     writes go on, but every flush of a file fails once the limit
#               has been passed (the device lost data it had accepted)
#   everything  writes and every change to the folder tree fail, as on a
#               volume that has turned read-only
#   and faults that nothing fails, which only reading back can show:
#   drops       writes after the limit are taken but not stored
#   wraps       the device holds only AFTER bytes: a write past them lands
#               where the file's first bytes went (a fake-capacity stick)
#   stale       writes are stored, but reads after the limit return the file's
#               first bytes, wherever they were asked for
#   compresses  everything is stored, but files take an eighth of their length
#               on the device, as on a volume that compresses
#   gaps        a write that starts past the file's end lands over the file's
#               first bytes, and the file grows as asked (FAT through fusefat)
#   and ones that only hold the program up:
#   slow        writes after the limit take as long as on a slow stick
#               (3 MB/s); ERRNO is not used
#   stalls      the first read of more than a page after the limit (a read
#               back, not the one block that probes for direct reads) waits
#               until the file BACKING.stalled, which it makes, is removed
#   FLUSH_ERRNO every flush after the limit fails too, with this error
# Runs in the foreground until unmounted.
import errno
import os
import sys
import time

import fusepy

CREATE_FLAGS = os.O_WRONLY | os.O_CREAT | os.O_TRUNC
# The calls on a path, passed through to the backing folder's: those that
# change the folder tree, and those that only look.
CHANGES = {"unlink": os.unlink, "mkdir": os.mkdir, "rmdir": os.rmdir, "chmod": os.chmod,
           "truncate": lambda path, length, fh=None: os.truncate(path, length),
           "create": lambda path, mode, fi=None: os.open(path, CREATE_FLAGS, mode)}
QUERIES = {"getattr": lambda path, fh=None: fields(os.lstat(path), "st_"),
           "statfs": lambda path: fields(os.statvfs(path), "f_"),
           "readdir": lambda path, fh: [".", ".."] + os.listdir(path),
           "open": lambda path, flags: os.open(path, flags & ~os.O_DIRECT)}
WRITE_FLAGS = os.O_WRONLY | os.O_RDWR
COMPRESSION = 8  # what a compressing volume makes of the files' length
PAGE = 4096
SLOW_RATE = 3_000_000  # bytes per second


def fields(result, prefix):
    return {key: getattr(result, key) for key in dir(result) if key.startswith(prefix)}


class FaultFS(fusepy.Operations):
    def __init__(self, backing, after, error, fail, flush_error):
        self.backing, self.after, self.error, self.fail = backing, after, error, fail
        self.flush_error = flush_error
        self.written = 0
        self.stalled = False

    def __call__(self, operation, path, *arguments):
        failing = self.written >= self.after
        if failing and self.fail == "everything" and (
                operation in CHANGES or operation == "open" and arguments[0] & WRITE_FLAGS):
            raise fusepy.FuseOSError(self.error)
        call = CHANGES.get(operation) or QUERIES.get(operation)
        if call:
            result = call(os.path.join(self.backing, path.lstrip("/")), *arguments)
            if operation == "getattr" and self.fail == "compresses":
                result["st_blocks"] = -(-result["st_size"] // (512 * COMPRESSION))
            return result
        return super().__call__(operation, path, *arguments)

    def read(self, path, size, offset, fh):
        if self.fail == "stale" and self.written >= self.after:
            offset = 0
        if self.fail == "stalls" and self.written >= self.after and size > PAGE \
                and not self.stalled:
            self.stalled = True
            hold = self.backing + ".stalled"
            open(hold, "w").close()
            while os.path.exists(hold):
                time.sleep(0.05)
        return os.pread(fh, size, offset)

    def write(self, path, data, offset, fh):
        failing = self.written >= self.after
        if failing and self.fail == "slow":
            time.sleep(len(data) / SLOW_RATE)
        if self.fail in ("writes", "everything") and failing:
            raise fusepy.FuseOSError(self.error)
        if failing and self.fail == "gaps" and offset > os.fstat(fh).st_size:
            os.ftruncate(fh, offset + len(data))
            put = os.pwrite(fh, data, 0)
            self.written += put
            return put
        if failing and self.fail in ("drops", "wraps"):
            # The file's length grows as asked; the bytes go nowhere, or over earlier ones.
            end = offset + len(data)
            if os.fstat(fh).st_size < end:
                os.ftruncate(fh, end)
            if self.fail == "wraps":
                os.pwrite(fh, data, offset % self.after)
            self.written += len(data)
            return len(data)
        put = os.pwrite(fh, data, offset)
        self.written += put
        return put

    def fsync(self, path, datasync, fh):
        error = self.flush_error or self.fail == "flushes" and self.error
        if error and self.written >= self.after:
            raise fusepy.FuseOSError(error)
        os.fsync(fh)
        return 0

    def release(self, path, fh):
        os.close(fh)
        return 0


if __name__ == "__main__":
    backing, mountpoint, after, error, fail, *flush_error = sys.argv[1:]
    fs = FaultFS(os.path.abspath(backing), int(after), getattr(errno, error), fail,
                 getattr(errno, flush_error[0]) if flush_error else None)
    fusepy.FUSE(fs, mountpoint, foreground=True, nothreads=True, fsname="faultfs")
