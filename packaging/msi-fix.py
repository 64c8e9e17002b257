#!/usr/bin/python3
"""Makes an MSI that wixl wrote the same at every build of one source: wixl
writes the time of the build into the summary information (created, last
saved, last printed) and a random package code (its revision number). This
puts SOURCE_DATE_EPOCH and the package code that dist.sh made there, in
place (the stream keeps its length). Needs python3-olefile.

    msi-fix.py MSI SOURCE_DATE_EPOCH PACKAGE_CODE
"""

import struct
import sys

import olefile

STREAM = "\x05SummaryInformation"
# The property set: its header (byte order, version, system, class, count of
# sections), then the first section's format id and offset; a section: its
# size, its count of properties, then (id, offset) of each.
SET_HEADER = struct.Struct("<HHI16sI")
SECTION_ENTRY = struct.Struct("<16sI")
SECTION_HEADER = struct.Struct("<II")
PROPERTY_ENTRY = struct.Struct("<II")
VALUE_TYPE = struct.Struct("<I")
VT_LPSTR = 0x1E
VT_FILETIME = 0x40
PID_REVNUMBER = 9
PID_TIMES = (11, 12, 13)  # last printed, created, last saved
# FILETIME: 100 ns since 1601-01-01.
FILETIME_OF_1970 = 116444736000000000


def main():
    if len(sys.argv) != 4:
        print(__doc__, file=sys.stderr)
        return 4
    path, epoch, package_code = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    revision = ("{" + package_code.upper().strip("{}") + "}").encode("ascii")
    with olefile.OleFileIO(path, write_mode=True) as msi:
        data = bytearray(msi.openstream(STREAM).read())
        section = SECTION_ENTRY.unpack_from(data, SET_HEADER.size)[1]
        _, count = SECTION_HEADER.unpack_from(data, section)
        found = set()
        for i in range(count):
            pid, offset = PROPERTY_ENTRY.unpack_from(
                data, section + SECTION_HEADER.size + i * PROPERTY_ENTRY.size)
            value = section + offset
            (kind,) = VALUE_TYPE.unpack_from(data, value)
            if pid in PID_TIMES and kind == VT_FILETIME:
                struct.pack_into("<Q", data, value + VALUE_TYPE.size,
                                 FILETIME_OF_1970 + epoch * 10_000_000)
                found.add(pid)
            elif pid == PID_REVNUMBER and kind == VT_LPSTR:
                (length,) = struct.unpack_from("<I", data, value + VALUE_TYPE.size)
                text = value + VALUE_TYPE.size + 4
                if length != len(revision) + 1:
                    print(f"msi-fix: a revision number of {length} bytes", file=sys.stderr)
                    return 1
                data[text:text + len(revision)] = revision
                found.add(pid)
        if PID_REVNUMBER not in found:
            print("msi-fix: no revision number in the summary information", file=sys.stderr)
            return 1
        msi.write_stream(STREAM, bytes(data))
    return 0


if __name__ == "__main__":
    sys.exit(main())
