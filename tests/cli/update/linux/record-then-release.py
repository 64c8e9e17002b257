#!/usr/bin/env python3
"""What an update did is written down before a request to stop is obeyed,
checked with real signals on the real tq214 (each a process group of its own
with the signals' default dispositions, never a background job of a shell):

  record-then-release.py TQ214

- random SIGINT: `tq214 --simulate --piece-ms 0 --json update --yes`, SIGINT
  at a random moment of its run (5-25 ms in for a release build; the span
  follows the time a run takes here, sanitizers and all), a few hundred times
  within about 30 s. A run the
  signal ended must have sent no firmware piece (its session, which is
  written as it goes, shows none) or left its history line and its whole
  JSON result (the signal came after them); every other run ends with exit 0
  and that record.
- SIGTSTP while the firmware is written: the update goes on; the process
  stops only once its history line and PASS are written; SIGCONT, exit 0.
"""
import json
import os
import random
import signal
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # no __pycache__ left in the sources
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../../support"))
import e2e  # noqa: E402

PIECE = b'"cdb":"3b0e'  # a firmware piece in a recorded session
HANG_GUARD = 120  # seconds: a guard against a hang, never a judgement of speed


def read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except FileNotFoundError:
        return b""


def start(tq214, work, args):
    """tq214 on the simulated machine, recording its session and history."""
    for name in ("session.json", "history.jsonl", "out", "err"):
        if os.path.exists(os.path.join(work, name)):
            os.remove(os.path.join(work, name))
    with open(os.path.join(work, "out"), "wb") as out, open(os.path.join(work, "err"), "wb") as err:
        return subprocess.Popen(
            [tq214, "--simulate", "--record", os.path.join(work, "session.json")] + args,
            stdout=out, stderr=err, process_group=0)


def record_whole(work, result):
    """The history holds one whole line of `result` and standard output the JSON."""
    lines = read(os.path.join(work, "history.jsonl")).decode().splitlines()
    try:
        entry = json.loads(lines[0]) if len(lines) == 1 else {}
        document = json.loads(read(os.path.join(work, "out")))
    except ValueError:
        return False
    return entry.get("result") == result and document.get("result") == result


def random_sigint(script):
    tq214, work = script.tq214, script.work
    took = []
    for _ in range(3):
        began = time.monotonic()
        start(tq214, work, ["--piece-ms", "0", "--json", "update", "--yes"]).wait()
        took.append(time.monotonic() - began)
    whole = max(0.025, sorted(took)[1])
    span = (whole * 0.2, whole * 1.0)
    runs = ended_before = ended_after = lost = 0
    shown = []
    deadline = time.monotonic() + 30
    while runs < 300 and time.monotonic() < deadline:
        tq = start(tq214, work, ["--piece-ms", "0", "--json", "update", "--yes"])
        time.sleep(random.uniform(*span))
        tq.send_signal(signal.SIGINT)
        code = tq.wait()
        runs += 1
        wrote = PIECE in read(os.path.join(work, "session.json"))
        whole = record_whole(work, "PASS")
        if code == -signal.SIGINT and not wrote:
            ended_before += 1
        elif code == -signal.SIGINT and whole:
            ended_after += 1
        elif code != 0 or not whole:
            lost += 1
            if lost <= 3:
                lines = len(read(os.path.join(work, "history.jsonl")).splitlines())
                shown.append(f"run {runs}: exit {code}, a piece written: {wrote}, {lines} history "
                             f"line(s), {len(read(os.path.join(work, 'out')))} bytes on standard "
                             f"output, standard error {read(os.path.join(work, 'err'))[-300:]!r}")
    script.check(lost == 0 and runs - ended_before > 0,
                 f"random SIGINT {span[0] * 1000:.0f}-{span[1] * 1000:.0f} ms in: "
                 f"{runs} runs, {ended_before} ended before the first "
                 f"piece, {ended_after} ended after the whole record, "
                 f"{runs - ended_before - ended_after - lost} exit 0 with it, {lost} without",
                 "\n".join(shown))


def state_of(pid):
    with open(f"/proc/{pid}/stat") as f:
        return f.read().rsplit(")", 1)[1].split()[0]


def sigtstp(script):
    tq214, work = script.tq214, script.work
    tq = start(tq214, work, ["--piece-ms", "30", "update", "--yes"])
    deadline = time.monotonic() + HANG_GUARD
    while PIECE not in read(os.path.join(work, "session.json")) and time.monotonic() < deadline:
        time.sleep(0.005)
    tq.send_signal(signal.SIGTSTP)
    pieces_then = read(os.path.join(work, "session.json")).count(PIECE)
    while tq.poll() is None and state_of(tq.pid) != "T" and time.monotonic() < deadline:
        time.sleep(0.005)
    stopped = tq.poll() is None and state_of(tq.pid) == "T"
    history = read(os.path.join(work, "history.jsonl"))
    out = read(os.path.join(work, "out"))
    pieces = read(os.path.join(work, "session.json")).count(PIECE)
    tq.send_signal(signal.SIGCONT)
    code = tq.wait(timeout=HANG_GUARD)
    ok = stopped and b'"result":"PASS"' in history and b"PASS\n" in out and code == 0
    script.check(ok, f"SIGTSTP after {pieces_then} pieces: "
                 f"{'stopped' if stopped else 'never stopped'} after {pieces} pieces with "
                 f"{len(history.splitlines())} history line(s) and "
                 f"{'PASS' if b'PASS' in out else 'no PASS'} shown; after SIGCONT exit {code}",
                 (out + read(os.path.join(work, "err"))).decode(errors="replace"))


if __name__ == "__main__":
    e2e.main(lambda script: (sigtstp(script), random_sigint(script)))
