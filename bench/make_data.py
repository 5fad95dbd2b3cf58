#!/usr/bin/env python3
"""Writes the benchmark's data sets. Same seed, same bytes, on every run.

make_data.py SET FOLDER [options]; SET is one of small, large, samesize, many, runsize, copies, deep,
and photos, late, identical for the 32-bit memory cases (photos and late are
sparse: 2,000 files of 24 MB take little disk).
"""
import argparse
import os
import random

MiB = 1 << 20
CHUNK = 8 * MiB


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def small(folder, count, max_kib, rng):
    """`count` files of 1 to `max_kib` KiB in folders of 500, a tenth of them
    copies of others (some originals copied more than once)."""
    originals = []
    for k in range(count):
        part, group = divmod(k // 500, 20)
        path = os.path.join(folder, "part%d" % part, "g%02d" % group, "f%06d.bin" % k)
        if k % 10 == 9 and originals:
            data = rng.choice(originals)
        else:
            data = rng.randbytes(rng.randint(1024, max_kib * 1024))
            originals.append(data)
        write(path, data)


def many(folder, count, per_folder, rng):
    """`count` files of 200 to 4,000 bytes, `per_folder` to a folder, a tenth
    of them copies of others."""
    originals = []
    for k in range(count):
        path = os.path.join(folder, "m%03d" % (k // per_folder // 100),
                            "d%02d" % (k // per_folder % 100), "f%06d.bin" % k)
        if k % 10 == 9 and originals:
            data = rng.choice(originals)
        else:
            data = rng.randbytes(rng.randint(200, 4000))
            originals.append(data)
        write(path, data)


def large(folder, count, low_mib, high_mib, rng):
    """`count` files in sizes of four (the last size may have fewer): an
    original, exact copies and near-copies whose last byte differs, so every
    file must be read whole."""
    for c in range((count + 3) // 4):
        size = rng.randint(low_mib * MiB, high_mib * MiB)
        # Even classes: two copies and one near-copy; odd: one copy, two near.
        lastbyte_flips = [0, 0, 0, 1] if c % 2 == 0 else [0, 1, 0, 2]
        lastbyte_flips = lastbyte_flips[:min(4, count - 4 * c)]
        paths = [os.path.join(folder, "c%02d" % c, "v%d.bin" % v)
                 for v in range(len(lastbyte_flips))]
        os.makedirs(os.path.dirname(paths[0]), exist_ok=True)
        files = [open(p, "wb") for p in paths]
        left = size
        while left > 0:
            n = min(CHUNK, left)
            data = rng.randbytes(n)
            left -= n
            for f, flip in zip(files, lastbyte_flips):
                if left == 0 and flip:
                    f.write(data[:-1] + bytes([data[-1] ^ flip]))
                else:
                    f.write(data)
        for f in files:
            f.close()


def marker(k):
    """Eight bytes, none of them zero, unique for k < 65025."""
    return bytes([1 + k % 255, 1 + (k // 255) % 255, 0x5A, 0xA5, 0x3C, 0xC3, 0x69, 0x96])


def samesize(folder, count, size, rng):
    """`count` files of one size that all differ: one random base, and in
    each file the eight bytes at a random offset changed."""
    base = rng.randbytes(size)
    for k in range(count):
        offset = rng.randrange(0, size - 8)
        data = bytearray(base)
        for b, x in enumerate(marker(k)):
            data[offset + b] ^= x
        write(os.path.join(folder, "d%02d" % (k // 100), "f%05d.bin" % k), bytes(data))


def runsize(folder, count, pairs, rng):
    """`count` files of four bytes, 256 to a folder: `count` - 2 * `pairs`
    distinct ones and `pairs` identical pairs, like fixed-size records."""
    values = rng.sample(range(1 << 32), count - pairs)
    contents = values + values[:pairs]
    for k, value in enumerate(contents):
        write(os.path.join(folder, "r%03d" % (k // 256), "f%05d.rec" % k), value.to_bytes(4, "little"))


def deep(folder, chains, depth, rng):
    """`chains` folder chains `depth` levels deep, two small files in each
    folder, a tenth of them copies of files elsewhere."""
    originals = []
    k = 0
    for c in range(chains):
        path = os.path.join(folder, "c%03d" % c)
        for level in range(depth):
            path = os.path.join(path, "d")
            for f in range(2):
                if k % 10 == 9 and originals:
                    data = rng.choice(originals)
                else:
                    data = rng.randbytes(rng.randint(512, 4096))
                    originals.append(data)
                write(os.path.join(path, "f%d.bin" % f), data)
                k += 1


def sparse(path, size, head):
    """A file of `size` bytes: `head` at the start, the rest a hole."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(head)
        f.truncate(size)


def photos(folder, count, size, rng):
    """`count` files of one size, like raw photos: each with its own first
    64 KiB and, to keep the disk free, a hole behind them."""
    for k in range(count):
        sparse(os.path.join(folder, "p%02d" % (k // 100), "IMG_%05d.CR2" % k), size,
               rng.randbytes(64 * 1024))


def late(folder, count, size, rng):
    """`count` sparse files of one size, all zero but for eight bytes at a
    random offset: they differ only where those bytes stand."""
    for k in range(count):
        path = os.path.join(folder, "l%02d" % (k // 100), "disk%05d.img" % k)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.seek(rng.randrange(0, size - 8))
            f.write(marker(k))
            f.truncate(size)


def identical(folder, count, size, rng):
    """`count` identical files of `size` bytes with real content."""
    data = rng.randbytes(size)
    for k in range(count):
        write(os.path.join(folder, "copy%02d.bin" % k), data)


def copies(folder, count, rng):
    """`count` identical files of 1 MiB in 50 folders, like backup snapshots,
    and 64 files of 8 MiB that agree up to their last byte: two groups of 32."""
    data = rng.randbytes(MiB)
    for k in range(count):
        write(os.path.join(folder, "snap%02d" % (k % 50), "f%04d.bin" % k), data)
    data = rng.randbytes(8 * MiB)
    for k in range(64):
        write(os.path.join(folder, "late", "l%02d.bin" % k), data[:-1] + bytes([k % 2]))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("set")
    parser.add_argument("folder")
    parser.add_argument("--count", type=int)
    parser.add_argument("--size", type=int, help="bytes per file (samesize, photos, identical)")
    parser.add_argument("--low-mib", type=int, default=50)
    parser.add_argument("--high-mib", type=int, default=300)
    parser.add_argument("--depth", type=int, default=50)
    parser.add_argument("--pairs", type=int, default=0, help="identical pairs among the runsize files")
    parser.add_argument("--max-kib", type=int, default=16, help="largest file of the small set")
    args = parser.parse_args()
    rng = random.Random(20240601)
    if args.set == "small":
        small(args.folder, args.count or 20000, args.max_kib, rng)
    elif args.set == "many":
        many(args.folder, args.count or 300000, 30, rng)
    elif args.set == "large":
        large(args.folder, args.count or 10, args.low_mib, args.high_mib, rng)
    elif args.set == "samesize":
        samesize(args.folder, args.count or 2000, args.size or MiB, rng)
    elif args.set == "runsize":
        runsize(args.folder, args.count or 65536, args.pairs, rng)
    elif args.set == "copies":
        copies(args.folder, args.count or 1000, rng)
    elif args.set == "deep":
        deep(args.folder, args.count or 200, args.depth, rng)
    elif args.set == "photos":
        photos(args.folder, args.count or 2000, args.size or 24 * 1000 * 1000, rng)
    elif args.set == "late":
        late(args.folder, args.count or 2000, args.size or 24 * 1000 * 1000, rng)
    elif args.set == "identical":
        identical(args.folder, args.count or 30, args.size or 90 * 1000 * 1000, rng)
    else:
        parser.error("unknown set " + args.set)


if __name__ == "__main__":
    main()
