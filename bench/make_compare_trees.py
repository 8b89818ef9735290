#!/usr/bin/env python3
"""Builds the two trees of the comparison benchmark, deterministically.

mixed: about 40,000 files and 3 GB in 400 folders: files of 10 kB to 150 kB
       and a few of 3 to 30 MB, about a tenth of them copies of others, and
       many decoys: files of one size whose contents differ, some only in a
       byte the fuzzy samples never see (so only bytewise tells them apart),
       some in their last byte.
small: 200,000 files of 1 byte to 64 kB (log-uniform) in 2,000 folders,
       about 15 % copies; equal sizes are common, so most files meet decoys.
files:N: the small tree's kind scaled to about N files (N / 100 folders),
       for measuring how time and memory grow with the number of files.

Both also hold a dot-folder with copies (never scanned) and a few hard links.
"""
import os
import random
import sys


def fuzzy_unsampled_position(length):
    """A 0-based offset that no fuzzy sample covers, or None."""
    step = length // 12
    rest = length % 12
    if rest > 6 or (rest == 6 and step % 2 == 1):
        step += 1
    step = max(step, 1)
    if length <= 100:
        return 0 if step > 1 else None
    end = 10 * step + 100  # 1-based last sampled byte
    if end < length:
        return length - 1
    gap = step - 1  # bytes 1 .. step-1 are never sampled
    return 0 if gap > 0 else None


class Tree:
    def __init__(self, root, seed, folders):
        self.root = root
        self.random = random.Random(seed)
        self.folders = [os.path.join(root, "d%03d" % (k // 20), "s%02d" % (k % 20))
                        for k in range(folders)]
        for folder in self.folders:
            os.makedirs(folder, exist_ok=True)
        self.count = 0
        self.bytes = 0
        self.files = []  # (path, content seed, length, tweak)

    def content(self, seed, length, tweak=None):
        data = bytearray(random.Random(seed).randbytes(length))
        if tweak is not None:
            data[tweak] ^= 0x55
        return data

    def write(self, seed, length, tweak=None, folder=None):
        folder = folder or self.random.choice(self.folders)
        path = os.path.join(folder, "f%07d.bin" % self.count)
        self.count += 1
        with open(path, "wb") as out:
            out.write(self.content(seed, length, tweak))
        self.bytes += length
        self.files.append((path, seed, length, tweak))
        return path

    def copies(self, share):
        """Copies of randomly chosen files already written."""
        originals = self.random.sample(self.files, int(len(self.files) * share))
        for path, seed, length, tweak in originals:
            for _ in range(1 + (self.random.random() < 0.2)):
                self.write(seed, length, tweak)

    def extras(self):
        hidden = os.path.join(self.root, ".cache")
        os.makedirs(hidden, exist_ok=True)
        for path, seed, length, tweak in self.random.sample(self.files, 50):
            self.write(seed, length, tweak, folder=hidden)
        for path, _, _, _ in self.random.sample(self.files, 20):
            link = path + ".link"
            if not os.path.exists(link):
                os.link(path, link)


def mixed(root):
    tree = Tree(root, 1, 400)
    seed = 1000
    while tree.count < 32000:
        length = int(10000 * (150000 / 10000) ** tree.random.random())
        tree.write(seed, length)
        seed += 1
    for _ in range(20):
        tree.write(seed, tree.random.randrange(4000000, 30000000))
        seed += 1
    # Decoys: runs of one size, different contents.
    for _ in range(400):
        length = tree.random.randrange(20000, 200000)
        base = seed
        seed += 1
        for k in range(tree.random.randrange(3, 10)):
            kind = tree.random.random()
            if kind < 0.4:
                tree.write(seed, length)  # different everywhere
                seed += 1
            elif kind < 0.7:
                tree.write(base, length, fuzzy_unsampled_position(length))
            else:
                tree.write(base, length, tree.random.randrange(length))
    for _ in range(10):  # big files that differ in their last byte only
        length = tree.random.randrange(3000000, 15000000)
        tree.write(seed, length)
        tree.write(seed, length, length - 1)
        seed += 1
    tree.copies(0.1)
    tree.extras()
    return tree


def small(root):
    tree = Tree(root, 2, 2000)
    seed = 5000000
    while tree.count < 172000:
        length = int(65536 ** tree.random.random())
        tree.write(seed, max(length, 1))
        seed += 1
    tree.copies(0.15)
    tree.extras()
    return tree


def scaled(root, files):
    originals = int(files / 1.165)  # copies(0.15) adds about 16.5 %
    tree = Tree(root, 3, max(files // 100, 1))
    seed = 9000000
    while tree.count < originals:
        length = int(65536 ** tree.random.random())
        tree.write(seed, max(length, 1))
        seed += 1
    tree.copies(0.15)
    tree.extras()
    return tree


def main():
    target = sys.argv[1]
    which = sys.argv[2]
    if os.path.exists(os.path.join(target, ".complete")):
        return
    os.makedirs(target, exist_ok=True)
    if which.startswith("files:"):
        tree = scaled(target, int(which[len("files:"):]))
    else:
        tree = mixed(target) if which == "mixed" else small(target)
    with open(os.path.join(target, ".complete"), "w") as done:
        done.write("%d files, %d bytes\n" % (tree.count, tree.bytes))
    print("%s: %d files, %.2f GB" % (which, tree.count, tree.bytes / 1e9))


if __name__ == "__main__":
    main()
