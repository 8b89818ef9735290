#!/usr/bin/env python3
"""Independent check of quillfen-cli --compare on a tree.

  compare_oracle.py shared ROOT      NUL-separated paths of the files that share
                                     their size with another file (the files a
                                     content comparer has to read)
  compare_oracle.py check ROOT OUT   compares the groups in OUT (quillfen-cli's
                                     text output) with groups found here

A file here is what the scan records by default: a regular file of 1 byte or
more, outside folders whose name begins with "."; hard links of one file
count once. Groups are files of equal size and equal content (BLAKE2b of the
whole file, then byte for byte within a hash group). Groups are compared by
the identities (device, inode) of their files, so it does not matter which
name of a hard-linked file the program shows.
"""
import collections
import hashlib
import os
import stat
import sys


def files_of(root):
    seen = set()
    for folder, folders, names in os.walk(root):
        folders[:] = sorted(name for name in folders if not name.startswith("."))
        for name in sorted(names):
            path = os.path.join(folder, name)
            info = os.lstat(path)
            if not stat.S_ISREG(info.st_mode) or info.st_size == 0:
                continue
            identity = (info.st_dev, info.st_ino)
            if identity in seen:
                continue
            seen.add(identity)
            yield path, info.st_size, identity


def shared(root):
    by_size = collections.defaultdict(list)
    for path, size, _ in files_of(root):
        by_size[size].append(path)
    return [path for paths in by_size.values() if len(paths) > 1 for path in paths]


def digest(path):
    h = hashlib.blake2b()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)
    return h.digest()


def same_bytes(a, b):
    with open(a, "rb") as fa, open(b, "rb") as fb:
        while True:
            x, y = fa.read(1 << 20), fb.read(1 << 20)
            if x != y:
                return False
            if not x:
                return True


def groups(root):
    by_size = collections.defaultdict(list)
    for path, size, identity in files_of(root):
        by_size[size].append((path, identity))
    result = set()
    for entries in by_size.values():
        if len(entries) < 2:
            continue
        by_hash = collections.defaultdict(list)
        for path, identity in entries:
            by_hash[digest(path)].append((path, identity))
        for members in by_hash.values():
            classes = []  # byte-for-byte check, not trusting the hash alone
            for path, identity in members:
                for cls in classes:
                    if same_bytes(cls[0][0], path):
                        cls.append((path, identity))
                        break
                else:
                    classes.append([(path, identity)])
            for cls in classes:
                if len(cls) > 1:
                    result.add(frozenset(identity for _, identity in cls))
    return result


def printed_groups(out):
    with open(out, "rb") as f:
        text = f.read().decode("utf-8", "surrogateescape")
    result, repeated = set(), 0
    for block in text.split("\n\n"):
        paths = [line for line in block.split("\n") if line]
        if not paths:
            continue
        identities = set()
        for path in paths:
            info = os.lstat(path)
            identities.add((info.st_dev, info.st_ino))
        repeated += len(paths) - len(identities)
        result.add(frozenset(identities))
    return result, repeated


def main():
    mode, root = sys.argv[1], sys.argv[2]
    if mode == "shared":
        sys.stdout.buffer.write(b"".join(os.fsencode(p) + b"\0" for p in shared(root)))
        return 0
    expected = groups(root)
    found, repeated = printed_groups(sys.argv[3])
    files = sum(len(g) for g in expected)
    if found == expected and repeated == 0:
        print("identical: %d groups, %d files" % (len(expected), files))
        return 0
    print("DIFFERENT: expected %d groups (%d files), got %d groups; %d missing, %d extra, "
          "%d names of one file" % (len(expected), files, len(found), len(expected - found),
                                    len(found - expected), repeated))
    return 1


if __name__ == "__main__":
    sys.exit(main())
