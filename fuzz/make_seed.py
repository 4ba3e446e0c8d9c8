#!/usr/bin/env python3
"""Writes a fuzz input that decodes to the given call, for the seeds.

The harness's first byte picks the entry point (modulo the family's
entry points, in the order of kEntryPoints); the rest is read by
FuzzedDataProvider, whose integers come off the END of the data, most
significant byte first. So the values are listed in the order the decoder
asks for them and written back to front. An input that runs out reads as
zeros, which fills every array with zeros.

    fuzz/make_seed.py sensory 7 edge:2147483647 edge:5 edge:0 edge:1
        writes fuzz/corpus/sensory/<sha1>: Cpp_PrepareANOVAtable with
        iJ = INT32_MAX, iP = 5, iR = 0, NBS = 1, and prints its name.

Values: edge:V (a count on the edge route: 0, 1, -1, INT32_MAX, INT32_MIN,
46340, 46341), small:V (a count of 0..8), byte:V, int:V (a count or level
on its raw route, any 32-bit value), real:V (a whole double in -10..10),
flag:V (a flag of the palette: 0, -1, 1, 2, 32767, -32768). Arrays and the
time budget then read as zeros.
"""
import hashlib
import pathlib
import sys

EDGES = [0, 1, -1, 2**31 - 1, -(2**31), 46340, 46341]
FLAGS = [0, -1, 0, -1, 1, 2, 32767, -32768]


def consumed(token):
    """The bytes the decoder reads for one value, in the order it reads them."""
    kind, _, text = token.partition(":")
    v = int(text)
    if kind == "edge":
        return [0, EDGES.index(v)]  # route < 64, then the palette index
    if kind == "small":
        assert 0 <= v <= 8
        return [100, v]  # route 64..174, then 0..8
    if kind == "byte":
        return [v & 0xFF]
    if kind == "real":
        assert -10 <= v <= 10
        return [0, v + 10]  # route < 110, then -10..10
    if kind == "flag":
        return [0, FLAGS.index(v)]  # route < 230, then the palette index
    if kind == "int":
        raw = (v + 2**31) & 0xFFFFFFFF  # ConsumeIntegral<int32_t> is min + 4 bytes
        return [255] + list(raw.to_bytes(4, "big"))
    raise SystemExit(f"unknown value {token}")


def main():
    family, selector, *values = sys.argv[1:]
    tail = [b for token in values for b in consumed(token)]
    data = bytes([int(selector)]) + bytes(reversed(tail))
    name = hashlib.sha1(data).hexdigest()
    path = pathlib.Path(__file__).parent / "corpus" / family / name
    path.write_bytes(data)
    print(path)


if __name__ == "__main__":
    main()
