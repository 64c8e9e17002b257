#!/usr/bin/python3
"""The two programs in the Windows zip that make dist wrote, read as PE files
(python3-pefile, for the system's Python): they import at load time only
KnownDLLs, which Windows takes from System32 whatever the program's folder
holds; the system may place them anywhere (ASLR, with the relocations that
needs) and execute none of their data (DEP); and each carries its manifest
with the rights it asks for: the window administrator's, tq214.exe the
user's own (it says so when the system refuses it a disk); and both carry the
event log's message table, one message per outcome of an update, each with
the six insertion strings.

    pe-checks.py DIST VERSION
"""

import glob
import io
import re
import struct
import sys
import xml.etree.ElementTree as ElementTree
import zipfile

import pefile

# Windows' KnownDLLs (HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\
# KnownDLLs), and ntdll, which every process has. Everything else is loaded
# later, from System32 (docs/windows-security.md).
KNOWN_DLLS = {
    "advapi32", "clbcatq", "combase", "comdlg32", "coml2", "difxapi", "gdi32", "gdiplus",
    "imagehlp", "imm32", "kernel32", "msctf", "msvcrt", "normaliz", "nsi", "ntdll", "ole32",
    "oleaut32", "psapi", "rpcrt4", "sechost", "setupapi", "shcore", "shell32", "shlwapi",
    "user32", "wldap32", "ws2_32",
}
ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
RT_MANIFEST = 24
RT_MESSAGETABLE = 11
# MESSAGE_RESOURCE_DATA: a count of blocks, then each block (lowest id,
# highest id, offset of its entries); an entry: its length, its flags
# (1: UTF-16), its text.
BLOCK_COUNT = struct.Struct("<I")
BLOCK = struct.Struct("<III")
ENTRY = struct.Struct("<HH")
ENTRY_UNICODE = 1
# The events: passed, failed, refused, skipped, the confirmation
# (src/platform/win32/EventMessages.mc). Every message names %1 to %6: serial
# number, drive, firmware before and after, the image's SHA-256, the reason.
EVENT_IDS = (1, 2, 3, 4, 5)
INSERTIONS = {f"%{n}" for n in range(1, 7)}
# What each program's manifest asks for, and the window's Common Controls 6,
# which it loads by name and the manifest's dependency takes from WinSxS.
PROGRAMS = {
    "Tessaloft_Orvexa_TQ-214.exe": ("requireAdministrator", True),
    "tq214.exe": ("asInvoker", False),
}

failures = 0


def check(ok, text):
    global failures
    print(("ok   " if ok else "FAIL ") + text)
    if not ok:
        failures += 1


def resource_of(pe, kind_id):
    resources = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    for kind in resources.entries if resources else []:
        if kind.id != kind_id:
            continue
        for name in kind.directory.entries:
            for language in name.directory.entries:
                data = language.data.struct
                return pe.get_data(data.OffsetToData, data.Size)
    return None


def messages_of(table):
    """The message table's texts by id."""
    messages = {}
    (blocks,) = BLOCK_COUNT.unpack_from(table, 0)
    for block in range(blocks):
        low, high, offset = BLOCK.unpack_from(table, BLOCK_COUNT.size + block * BLOCK.size)
        for message_id in range(low, high + 1):
            length, flags = ENTRY.unpack_from(table, offset)
            text = table[offset + ENTRY.size:offset + length]
            messages[message_id] = text.decode("utf-16-le" if flags & ENTRY_UNICODE else "cp1252")
            offset += length
    return messages


def check_messages(name, table):
    if table is None:
        check(False, f"{name}: carries the event log's message table")
        return
    messages = messages_of(table)
    incomplete = [i for i in EVENT_IDS
                  if INSERTIONS - set(re.findall(r"%[0-9]+", messages.get(i, "")))]
    check(sorted(messages) == list(EVENT_IDS) and not incomplete,
          f"{name}: message table of events {' '.join(map(str, sorted(messages)))}"
          + (f"; without all six insertion strings: {incomplete}" if incomplete else ""))


def check_program(name, data):
    level, common_controls = PROGRAMS[name]
    pe = pefile.PE(data=data)
    imports = [entry.dll.decode().lower() for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])]
    strangers = [dll for dll in imports if dll.removesuffix(".dll") not in KNOWN_DLLS]
    check(not strangers, f"{name}: imports at load time {' '.join(imports)}"
          + (f"; not KnownDLLs: {' '.join(strangers)}" if strangers else ", all KnownDLLs"))
    delayed = [entry.dll.decode() for entry in getattr(pe, "DIRECTORY_ENTRY_DELAY_IMPORT", [])]
    check(not delayed, f"{name}: no delay-load imports (their helper searches the program's"
          f" folder where SetDefaultDllDirectories is missing) {' '.join(delayed)}")

    flags = pe.OPTIONAL_HEADER.DllCharacteristics
    relocations = pe.OPTIONAL_HEADER.DATA_DIRECTORY[
        pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_BASERELOC"]].Size
    check(flags & pefile.DLL_CHARACTERISTICS["IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE"]
          and relocations > 0, f"{name}: DYNAMIC_BASE, {relocations} bytes of relocations")
    check(flags & pefile.DLL_CHARACTERISTICS["IMAGE_DLLCHARACTERISTICS_NX_COMPAT"],
          f"{name}: NX_COMPAT")

    check_messages(name, resource_of(pe, RT_MESSAGETABLE))

    text = resource_of(pe, RT_MANIFEST)
    if text is None:
        check(False, f"{name}: carries a manifest")
        return
    root = ElementTree.parse(io.BytesIO(text)).getroot()
    levels = [e.get("level") for e in root.iter() if e.tag.endswith("}requestedExecutionLevel")]
    check(levels == [level], f"{name}: manifest asks for {' '.join(map(str, levels))}")
    if common_controls:
        versions = [e.get("version") for e in root.iter(ASM_V1 + "assemblyIdentity")
                    if e.get("name") == "Microsoft.Windows.Common-Controls"]
        check([v.split(".")[0] for v in versions] == ["6"],
              f"{name}: manifest depends on Common Controls {' '.join(versions)}")


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 4
    dist, version = sys.argv[1:]
    zips = glob.glob(f"{dist}/Tessaloft_Orvexa_TQ-214-{glob.escape(version)}*-win32.zip")
    if not zips:
        print(f"no zip of {version} in {dist}: make dist (make test does) writes it")
        return 77
    if len(zips) > 1:
        print(f"expected one zip of {version} in {dist}, found: {' '.join(zips)}", file=sys.stderr)
        return 1
    print("zip: " + zips[0].rsplit("/", 1)[-1])
    with zipfile.ZipFile(zips[0]) as archive:
        for name in PROGRAMS:
            check_program(name, archive.read(name))
    print(f"{failures} check(s) failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
