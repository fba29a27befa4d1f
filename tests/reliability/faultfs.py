#!/usr/bin/python3
# A volume whose device starts failing partway through: a FUSE file system
# that passes everything through to a backing folder until a given number of
# bytes has been written to its files, and from then on fails as told.
#
# Usage: faultfs.py BACKING MOUNTPOINT --after BYTES --errno EIO|ENOSPC|EROFS
#                   [--fail writes|flushes|everything] [--flush-errno ERRNO]
#   writes      every write after the limit fails (deleting still works)
#   flushes     writes go on, but every flush of a file fails once the limit
#               has been passed (the device lost data it had accepted)
#   everything  writes and every change to the folder tree fail, as on a
#               volume that has turned read-only
#   --flush-errno  every flush after the limit fails too, with this error
# Runs in the foreground until unmounted.
import argparse
import errno
import os

import fusepy


class FaultFS(fusepy.Operations):
    def __init__(self, backing, after, error, fail, flush_error):
        self.backing = backing
        self.after = after
        self.error = error
        self.fail = fail
        self.flush_error = flush_error
        self.written = 0

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
        return {key: getattr(st, key) for key in (
            "st_atime", "st_ctime", "st_gid", "st_mode", "st_mtime", "st_nlink", "st_size", "st_uid")}

    def readdir(self, path, fh):
        return [".", ".."] + os.listdir(self._path(path))

    def statfs(self, path):
        st = os.statvfs(self._path(path))
        return {key: getattr(st, key) for key in (
            "f_bavail", "f_bfree", "f_blocks", "f_bsize", "f_favail", "f_ffree", "f_files",
            "f_flag", "f_frsize", "f_namemax")}

    def access(self, path, mode):
        if not os.access(self._path(path), mode):
            raise fusepy.FuseOSError(errno.EACCES)

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
        with open(self._path(path), "r+b") as f:
            f.truncate(length)

    def flush(self, path, fh):
        return 0

    def fsync(self, path, datasync, fh):
        if self.flush_error and self._failing():
            raise fusepy.FuseOSError(self.flush_error)
        if self.fail == "flushes" and self._failing():
            raise fusepy.FuseOSError(self.error)
        os.fsync(fh)
        return 0

    def release(self, path, fh):
        os.close(fh)
        return 0

    # Changing the tree
    def _change(self, action, path, *arguments):
        self._refuse_change()
        action(self._path(path), *arguments)

    def unlink(self, path):
        self._change(os.unlink, path)

    def mkdir(self, path, mode):
        self._change(os.mkdir, path, mode)

    def rmdir(self, path):
        self._change(os.rmdir, path)

    def chmod(self, path, mode):
        self._change(os.chmod, path, mode)

    def utimens(self, path, times=None):
        os.utime(self._path(path), times)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("backing")
    parser.add_argument("mountpoint")
    parser.add_argument("--after", type=int, required=True)
    parser.add_argument("--errno", choices=["EIO", "ENOSPC", "EROFS"], required=True)
    parser.add_argument("--fail", choices=["writes", "flushes", "everything"], default="writes")
    parser.add_argument("--flush-errno", choices=["EIO", "ENOSPC", "EROFS"])
    args = parser.parse_args()
    flush_error = getattr(errno, args.flush_errno) if args.flush_errno else None
    fs = FaultFS(os.path.abspath(args.backing), args.after, getattr(errno, args.errno), args.fail,
                 flush_error)
    fusepy.FUSE(fs, args.mountpoint, foreground=True, nothreads=True, fsname="faultfs")


if __name__ == "__main__":
    main()
