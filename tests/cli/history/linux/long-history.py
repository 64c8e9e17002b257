#!/usr/bin/env python3
"""A long history is read as a stream: memory and time stay bounded.

  long-history.py TQ214 MIB RSS_MB

Writes a history of about MIB MiB (lines of about 475 bytes: 1,000
enclosures, each update of one in ten confirmed after reconnecting, one
damaged line in ten thousand) into a folder of its own, then runs
`history`, `history --json` and `history --prometheus` on it, the output
read as it comes. Each must show every update (the JSON parsed, the metrics'
totals counted), with its peak resident memory under RSS_MB (GNU time
measures it). Its time is shown, never judged: it is the machine's as much
as the program's; a run that hangs meets the hang guard.
"""
import json
import os
import re
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # no __pycache__ left in the sources
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../../support"))
import e2e  # noqa: E402

UNITS = 1000
HANG_GUARD = 600  # seconds: a guard against a hang, never a judgement of speed
IMAGE = "0" * 64


def write_history(path, mib):
    updates = confirmed = damaged = 0
    with open(path, "w") as out:
        size, n = 0, 0
        while size < mib << 20:
            n += 1
            serial = "%016d" % (n % UNITS)
            stamp = "20%02d-%02d-%02dT%02d:%02d:%02dZ" % (
                26 + n // 31536000 % 70, n // 2678400 % 12 + 1, n // 86400 % 28 + 1,
                n // 3600 % 24, n // 60 % 60, n % 60)
            line = json.dumps({
                "format": 1, "kind": "update", "time": stamp, "tool": "1.0.0.1",
                "imageSha256": IMAGE, "device": "/dev/sd%s" % chr(98 + n % 20),
                "serial": serial, "vid": "6B21", "pid": "0640", "firmwareBefore": "21.32.0.2",
                "productBefore": "USB3.0 Disk " + "x" * 48, "diskBefore": "TQ-214 " + "y" * 48,
                "result": ("PASS", "FAIL", "skipped")[n % 3],
                "reason": "" if n % 3 == 0 else "the reason given, at some length " * 2,
                "milliseconds": 41000 + n % 1000}, separators=(",", ":")) + "\n"
            updates += 1
            if n % 10 == 0:
                line += json.dumps({
                    "format": 1, "kind": "confirmation", "time": stamp, "updated": stamp,
                    "device": "/dev/sd%s" % chr(98 + n % 20), "serial": serial,
                    "firmwareAfter": "21.32.0.3", "result": "PASS", "confirmed": True},
                    separators=(",", ":")) + "\n"
                confirmed += 1
            if n % 10000 == 0:
                line += '{"format":1,"kind":"update","time":"9999-99-99T99:99:99Z"}\n'
                damaged += 1
            out.write(line)
            size += len(line)
    return updates, confirmed, damaged


def measure(tq214, args, work):
    """Runs tq214 with its output into a file; exit, peak RSS (MiB), seconds, output.
    GNU time measures it: a child of this script would count the script's own
    pages, which it shares until it runs tq214."""
    figures = work + "/time"
    with tempfile.TemporaryFile() as out:
        code = subprocess.run(["/usr/bin/time", "-o", figures, "-f", "%M %e", tq214] + args,
                              stdout=out, stderr=subprocess.DEVNULL,
                              timeout=HANG_GUARD).returncode
        out.seek(0)
        rss, took = open(figures).read().split()[-2:]
        return code, int(rss) / 1024, float(took), out.read()


def main(script):
    tq214, work, path = script.tq214, script.work, os.environ["TQ214_HISTORY"]
    mib, rss_mb = int(script.args[0]), int(script.args[1])
    updates, confirmed, damaged = write_history(path, mib)
    lines = updates + confirmed + damaged
    print("long-history: %d MiB, %d lines: %d updates, %d confirmations, %d damaged" %
          (os.path.getsize(path) >> 20, lines, updates, confirmed, damaged))
    checks = {
        "history": lambda out: out.count(b"\n") == updates and
        out.count(b"-> 21.32.0.3 (confirmed)") == confirmed,
        "history --json": lambda out: (lambda doc: len(doc["entries"]) == updates and
                                       len(doc["skipped"]) == damaged and
                                       sum(1 for e in doc["entries"] if e.get("confirmed")) ==
                                       confirmed)(json.loads(out)),
        "history --prometheus": lambda out: sum(
            int(n) for n in re.findall(rb'^tq214_updates_total\{[^}]*\} (\d+)$', out, re.M)) ==
        updates and out.count(b"tq214_last_update_result{") == UNITS,
    }
    for command, check in checks.items():
        args = ["--json", "history"] if command == "history --json" else command.split()
        code, rss, took, out = measure(tq214, args, work)
        right = code == 0 and check(out)
        script.check(right and rss < rss_mb, "%-21s exit %d, %s, peak %.0f MiB (under %d), %.2f s" %
                     (command, code, "all shown" if right else "NOT all shown", rss, rss_mb, took),
                     out[-3000:].decode(errors="replace"))


if __name__ == "__main__":
    e2e.main(main)
