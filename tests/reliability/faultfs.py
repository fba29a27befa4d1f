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
#   FLUSH_ERRNO every flush after the limit fails too, with this error
# Runs in the foreground until unmounted.
import errno
import os
import sys

import fusepy

# The calls that change the folder tree, all passed through the same way.
CHANGES = {"unlink": os.unlink, "mkdir": os.mkdir, "rmdir": os.rmdir, "chmod": os.chmod}


class FaultFS(fusepy.Operations):
    def __init__(self, backing, after, error, fail, flush_error):
        self.backing = backing
        self.after = after
        self.error = error
        self.fail = fail
        self.flush_error = flush_error
        self.written = 0

    def __call__(self, operation, path, *arguments):
        if operation not in CHANGES:
            return super().__call__(operation, path, *arguments)
        self._refuse_change()
        CHANGES[operation](self._path(path), *arguments)

    def _path(self, path):
        return os.path.join(self.backing, path.lstrip("/"))

    def _failing(self):
        return self.written >= self.after

    def _refuse_change(self):
        if self.fail == "everything" and self._failing():
            raise fusepy.FuseOSError(self.error)

    # Reading the tree
    def getattr(self, path, fh=None):
        st = os.lstat(self._path(path))
        return {key: getattr(st, key) for key in dir(st) if key.startswith("st_")}

    def readdir(self, path, fh):
        return [".", ".."] + os.listdir(self._path(path))

    def statfs(self, path):
        st = os.statvfs(self._path(path))
        return {key: getattr(st, key) for key in dir(st) if key.startswith("f_")}

    # Files
    def open(self, path, flags):
        if flags & (os.O_WRONLY | os.O_RDWR):
            self._refuse_change()
        return os.open(self._path(path), flags & ~os.O_DIRECT)

    def create(self, path, mode, fi=None):
        self._refuse_change()
        return os.open(self._path(path), os.O_WRONLY | os.O_CREAT | os.O_TRUNC, mode)

    def read(self, path, size, offset, fh):
        return os.pread(fh, size, offset)

    def write(self, path, data, offset, fh):
        if self.fail in ("writes", "everything") and self._failing():
            raise fusepy.FuseOSError(self.error)
        put = os.pwrite(fh, data, offset)
        self.written += put
        return put

    def truncate(self, path, length, fh=None):
        self._refuse_change()
        os.truncate(self._path(path), length)

    def fsync(self, path, datasync, fh):
        error = self.flush_error or self.fail == "flushes" and self.error
        if error and self._failing():
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
