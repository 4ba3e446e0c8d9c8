#!/usr/bin/env python3
"""Put the DLL entry names back into a type library written by widl.

    fix_tlb_entries.py IN.tlb OUT.tlb LIBRARY.idl

widl (7.0, and the code upstream at the time of writing) stores the
expression node instead of the text for a string `[entry("Name")]`, so every
module function of the .tlb names the same one-character entry "#".  A host
binding through the type library then looks up a function called "#" and
fails.  This tool reads the entry strings from the IDL and repairs the
binary MSFT file:

  1. every entry string missing from the string segment is appended to it,
     encoded as widl encodes strings;
  2. everything stored after the string segment moves by the bytes added:
     the segment directory offsets and each typeinfo's member-data offset;
  3. the oEntry field of each module function points at its own string.

Ordinal entries (`[entry(7)]`) are written correctly by widl and are left
alone.  A file whose entries are already right comes out byte for byte
unchanged, so a future widl without the defect needs no change here.  Any
disagreement between the IDL and the .tlb stops the build.
"""

import re
import struct
import sys

HEADER_SIZE = 0x54
HELPDLL_FLAG = 0x100
SEGMENT_COUNT = 15
SEG_TYPEINFO, SEG_NAME, SEG_STRING = 0, 7, 8
TYPEINFO_SIZE = 0x64
TKIND_MODULE = 2
PARAM_INFO_SIZE = 12
FUNC_ENTRY_FIELD = 0x20        # third optional attribute of a function record
FUNC_ENTRY_IS_ORDINAL = 0x2000  # FKCCIC bit: oEntry holds an ordinal
PAD = b"W"


class TlbError(Exception):
    pass


def u32(data, offset):
    return struct.unpack_from("<i", data, offset)[0]


def put_u32(data, offset, value):
    struct.pack_into("<i", data, offset, value)


def u16(data, offset):
    return struct.unpack_from("<H", data, offset)[0]


# ---- IDL side ---------------------------------------------------------------

ENTRY_RE = re.compile(r'\bentry\s*\(\s*(?:"([^"]*)"|(\w+))\s*\)')
FUNCTION_NAME_RE = re.compile(r"(\w+)\s*\(")


def closing_bracket(text, start):
    """Index of the "]" closing the attribute list that `start` is in,
    skipping quoted strings (a helpstring may hold brackets)."""
    in_string = False
    for i in range(start, len(text)):
        c = text[i]
        if c == '"':
            in_string = not in_string
        elif c == "]" and not in_string:
            return i
    return -1


def idl_string_entries(idl_text):
    """{function name: entry string} for every string [entry(...)]."""
    text = re.sub(r"/\*.*?\*/", " ", idl_text, flags=re.S)
    text = re.sub(r"//[^\n]*", " ", text)
    entries = {}
    for match in ENTRY_RE.finditer(text):
        attributes_end = closing_bracket(text, match.end())
        name = FUNCTION_NAME_RE.search(text, attributes_end + 1) if attributes_end >= 0 else None
        if name is None:
            raise TlbError(f"no function follows entry({match.group(0)})")
        if match.group(1) is None:
            continue  # ordinal entry: widl gets it right
        function = name.group(1)
        if function in entries:
            raise TlbError(f"function {function} declared twice with an entry")
        entries[function] = match.group(1)
    return entries


# ---- MSFT side --------------------------------------------------------------

def encode_string(text):
    """A string-segment record as widl and oleaut32 lay it out: 16-bit
    length, the characters, padding to a 4-byte multiple, at least 8 bytes."""
    raw = text.encode("latin-1")
    size = max(8, (len(raw) + 2 + 3) & ~3)
    return struct.pack("<H", len(raw)) + raw + PAD * (size - 2 - len(raw))


class Typelib:
    def __init__(self, data):
        self.data = bytearray(data)
        if self.data[:4] != b"MSFT":
            raise TlbError("not an MSFT type library")
        varflags = u32(self.data, 0x14)
        self.typeinfo_count = u32(self.data, 0x20)
        typeinfo_offsets = HEADER_SIZE + (4 if varflags & HELPDLL_FLAG else 0)
        self.segdir = typeinfo_offsets + 4 * self.typeinfo_count

    def segment(self, index):
        base = self.segdir + 16 * index
        return u32(self.data, base), u32(self.data, base + 4)

    def strings(self):
        """{text: offset} of the string segment, walked as oleaut32 walks it."""
        start, length = self.segment(SEG_STRING)
        found, offset = {}, 0
        while offset < length:
            size = u16(self.data, start + offset)
            text = bytes(self.data[start + offset + 2:start + offset + 2 + size]).decode("latin-1")
            found.setdefault(text, offset)
            offset += max(8, (size + 2 + 3) & ~3)
        return found

    def name(self, name_offset):
        start, _ = self.segment(SEG_NAME)
        record = start + name_offset
        size = self.data[record + 8]
        return bytes(self.data[record + 12:record + 12 + size]).decode("latin-1")

    def typeinfos(self):
        start, _ = self.segment(SEG_TYPEINFO)
        return [start + i * TYPEINFO_SIZE for i in range(self.typeinfo_count)]

    def module_functions(self):
        """(name, absolute offset of the function record) of every function
        of every module typeinfo."""
        functions = []
        for info in self.typeinfos():
            if u32(self.data, info) & 0xF != TKIND_MODULE:
                continue
            members = u32(self.data, info + 4)
            elements = u32(self.data, info + 0x18)
            n_funcs, n_vars = elements & 0xFFFF, (elements >> 16) & 0xFFFF
            records_size = u32(self.data, members)
            names = members + 4 + records_size + 4 * (n_funcs + n_vars)
            record = members + 4
            for i in range(n_funcs):
                functions.append((self.name(u32(self.data, names + 4 * i)), record))
                record += u32(self.data, record) & 0xFFFF
        return functions

    def append_strings(self, texts):
        """Appends the records of `texts` to the string segment and moves
        everything behind it. Returns {text: offset}."""
        start, length = self.segment(SEG_STRING)
        added, blob = {}, b""
        for text in texts:
            added[text] = length + len(blob)
            blob += encode_string(text)
        if not blob:
            return added
        end = start + length
        self.data[end:end] = blob
        shift = len(blob)
        for index in range(SEGMENT_COUNT):
            base = self.segdir + 16 * index
            offset = u32(self.data, base)
            if index == SEG_STRING:
                put_u32(self.data, base + 4, length + shift)
            elif offset != -1 and offset >= end:
                put_u32(self.data, base, offset + shift)
        for info in self.typeinfos():
            members = u32(self.data, info + 4)
            if members >= end:
                put_u32(self.data, info + 4, members + shift)
        return added


def entry_field(data, record):
    """Offset of the oEntry field of a function record, or None when the
    record carries no entry or an ordinal one."""
    size = u32(data, record) & 0xFFFF
    n_args = u16(data, record + 0x14)
    if size - n_args * PARAM_INFO_SIZE < FUNC_ENTRY_FIELD + 4:
        return None
    if u32(data, record + 0x10) & FUNC_ENTRY_IS_ORDINAL:
        return None
    return record + FUNC_ENTRY_FIELD


def fix(tlb_bytes, idl_text):
    entries = idl_string_entries(idl_text)
    lib = Typelib(tlb_bytes)
    with_entry = {}
    for function, record in lib.module_functions():
        if entry_field(lib.data, record) is not None:
            with_entry[function] = record
    if set(with_entry) != set(entries):
        only_tlb = sorted(set(with_entry) - set(entries))
        only_idl = sorted(set(entries) - set(with_entry))
        raise TlbError(f"IDL and type library disagree: only in the .tlb {only_tlb}, only in the IDL {only_idl}")

    known = lib.strings()
    missing = list(dict.fromkeys(e for e in entries.values() if e not in known))
    known.update(lib.append_strings(missing))
    # Function records sit behind the string segment: find them again.
    for function, record in lib.module_functions():
        field = entry_field(lib.data, record)
        if field is not None:
            put_u32(lib.data, field, known[entries[function]])
    return bytes(lib.data)


def main(argv):
    if len(argv) != 4:
        sys.stderr.write(__doc__)
        return 2
    _, tlb_in, tlb_out, idl = argv
    try:
        with open(tlb_in, "rb") as f:
            tlb = f.read()
        with open(idl, encoding="utf-8") as f:
            idl_text = f.read()
        fixed = fix(tlb, idl_text)
    except (TlbError, OSError, struct.error, IndexError, KeyError) as error:
        sys.stderr.write(f"fix_tlb_entries: {tlb_in}: {error}\n")
        return 1
    with open(tlb_out, "wb") as f:
        f.write(fixed)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
