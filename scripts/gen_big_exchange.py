#!/usr/bin/env python3
"""Writes a large JWC_TEMP.TXT for timing the reader: the mix a big Jw_cad drawing hands over.

Mostly bare lines, with texts (some Japanese, some quoted with spaces), circles and arcs,
points, "sl" solids, polylines and the attribute records between them, Shift-JIS and CR LF.
The output is the same for the same seed. With --repeat FILE it is that file (a real drawing)
written over and over instead, up to the size.

usage: gen_big_exchange.py OUT [--mb 100] [--seed 1] [--repeat FILE]
"""
import argparse
import os
import random

HEADER = [
    "hq",
    "hk 0",
    "hs " + " ".join(["100"] * 16),
    "hcw 1.5 2 2.5 3 3.5 4 4.5 5 6 12",
    "hch 1.5 2 2.5 3 3.5 4 4.5 5 6 12",
    "hcd 0 0 0 0 0 0 0 0 0 0",
    "hcc      6      6      6      6      6      6      6      6      6      6",
    "hn -15225.3814698562 -10767.2625565076 15701.7974636297 11878.1613487645",
    "hp1- 1000 2000",
    "hp2- 1000 5000",
    "hp3 3000 3500",
    "hp4 3500 3600",
    "lg0",
    "ly8",
    "lc4",
    "lt1",
    "lw1",
    "cn3",
    'cn"$<ＭＳ ゴシック>',
    "#",
]

TEXTS = ["1,820", "3,460", "洋室 ６帖", "ＬＤＫ", "W=900 H=2000", "① 玄関", "15.5㎡", "ｶﾀｶﾅ", "押入"]


def coordinate(rng):
    return repr(round(rng.uniform(-20000, 20000), rng.choice((9, 10, 11, 12))))


def record(rng):
    r = rng.random()
    c = lambda: coordinate(rng)  # noqa: E731
    if r < 0.72:
        return " %s %s %s %s" % (c(), c(), c(), c())
    if r < 0.77:
        kw = rng.choice(("ch", "cs", "cv"))
        return '%s %s %s %s %s "%s' % (kw, c(), c(), rng.choice(("750", "-3.2783543701953e-005")),
                                       "749.999999999999", rng.choice(TEXTS))
    if r < 0.81:
        return "ci %s %s %s" % (c(), c(), repr(round(rng.uniform(1, 500), 9)))
    if r < 0.82:
        return "ci %s %s %s 0 180 1 0" % (c(), c(), repr(round(rng.uniform(1, 500), 9)))
    if r < 0.86:
        return "pt %s %s" % (c(), c())
    if r < 0.87:
        return "sl %s %s %s %s %s %s %s %s" % tuple(c() for _ in range(8))
    if r < 0.88:
        return "pl"
    if r < 0.89:
        return "#"
    if r < 0.93:
        return "lc%d" % rng.randint(1, 9)
    if r < 0.96:
        return "ly%x" % rng.randint(0, 15)
    if r < 0.97:
        return "lt%d" % rng.randint(1, 9)
    if r < 0.98:
        return "pn%d" % rng.randint(1, 9)
    if r < 0.99:
        return "cn%d" % rng.randint(1, 10)
    return "z3"


def chunks(args):
    """The file's bytes in pieces, endlessly."""
    if args.repeat:
        with open(args.repeat, "rb") as f:
            data = f.read()
        # Ctrl-Z would end the reading at the first copy; every copy ends its last line.
        data = data.split(b"\x1a")[0]
        if not data.endswith(b"\n"):
            data += b"\r\n"
        while True:
            yield data
    rng = random.Random(args.seed)
    yield b"".join(line.encode("cp932") + b"\r\n" for line in HEADER)
    while True:
        yield b"".join(record(rng).encode("cp932") + b"\r\n" for _ in range(10000))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("out")
    parser.add_argument("--mb", type=float, default=100.0, help="approximate size in MB")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--repeat", metavar="FILE", help="repeat this exchange file")
    args = parser.parse_args()
    target = int(args.mb * 1000 * 1000)
    written = 0
    # Written under another name and renamed when complete: a reader never sees half a file.
    partial = "%s.%d.partial" % (args.out, os.getpid())
    with open(partial, "wb") as out:
        for data in chunks(args):
            if written >= target:
                break
            out.write(data)
            written += len(data)
    os.replace(partial, args.out)
    print("%s: %d bytes" % (args.out, written))


if __name__ == "__main__":
    main()
