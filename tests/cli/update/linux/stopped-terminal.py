#!/usr/bin/env python3
"""A terminal stopped with Ctrl+S during an update does not stop the update.

  stopped-terminal.py TQ214

tq214 --simulate --piece-ms 100 update --yes runs on a pseudo-terminal, as in
a terminal window. Once it has written its first pieces, Ctrl+S (XOFF) is
typed: the terminal takes no more output, and a program that writes to it
waits. While the terminal stays stopped the update must end all the same: its
history line is written and the enclosure's lock is free (a second tq214
gets it). After Ctrl+Q the result and exit 0 follow. The device's progress is
read from the session that --record writes as the run goes.
Exit 77 where no pseudo-terminal can be had.
"""
import os
import pty
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time

PIECE = re.compile(rb'"cdb":"3b0e')
STOP_AFTER_PIECES = 3
# 49 pieces written and 49 read back at 100 ms each take about 10 s.
STOPPED_FOR = 25.0


def pieces(session):
    try:
        with open(session, "rb") as f:
            return len(PIECE.findall(f.read()))
    except FileNotFoundError:
        return 0


def history_results(history):
    try:
        with open(history) as f:
            return re.findall(r'"result":"(\w+)"', f.read())
    except FileNotFoundError:
        return []


def read_until(master, deadline, done):
    """Reads the terminal until done() or the deadline; returns what came."""
    got = b""
    while time.monotonic() < deadline and not done():
        ready, _, _ = select.select([master], [], [], 0.05)
        if not ready:
            continue
        try:
            chunk = os.read(master, 4096)
        except OSError:
            break
        if not chunk:
            break
        got += chunk
    return got


def main():
    tq214 = sys.argv[1]
    work = tempfile.mkdtemp()
    try:
        return run(tq214, work)
    finally:
        shutil.rmtree(work, ignore_errors=True)


def run(tq214, work):
    session = os.path.join(work, "session.json")
    history = os.path.join(work, "history.jsonl")
    env = dict(os.environ, TQ214_HISTORY=history, TQ214_LOCK_DIR=os.path.join(work, "locks"))
    os.mkdir(env["TQ214_LOCK_DIR"])
    try:
        pid, master = pty.fork()
    except OSError as error:
        print("stopped-terminal: no pseudo-terminal (%s)" % error)
        return 77
    if pid == 0:
        os.execve(tq214, [tq214, "--simulate", "--piece-ms", "100", "--record", session,
                          "update", "--yes"], env)

    start = time.monotonic()
    shown = read_until(master, start + 20, lambda: pieces(session) >= STOP_AFTER_PIECES)
    os.write(master, b"\x13")  # Ctrl+S
    stopped = time.monotonic()
    at_stop = pieces(session)

    # Nobody reads the terminal now, and it takes nothing.
    deadline = stopped + STOPPED_FOR
    while time.monotonic() < deadline and not history_results(history):
        time.sleep(0.05)
    recorded = history_results(history)
    recorded_after = time.monotonic() - stopped
    while_stopped = pieces(session) - at_stop
    second = subprocess.run([tq214, "--simulate", "--no-history", "update", "--yes"], env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    lock_free = second.returncode == 0

    os.write(master, b"\x11")  # Ctrl+Q
    resumed = time.monotonic()
    shown += read_until(master, resumed + 30, lambda: False)
    _, status = os.waitpid(pid, 0)
    ended_after = time.monotonic() - resumed
    code = os.waitstatus_to_exitcode(status)
    text = shown.decode(errors="replace")

    print("stopped-terminal: Ctrl+S after %d pieces, %.1f s after the start" %
          (at_stop, stopped - start))
    print("stopped-terminal: %d pieces written while the terminal was stopped" % while_stopped)
    if recorded:
        print("stopped-terminal: history line (%s) written %.1f s after Ctrl+S" %
              (recorded[0], recorded_after))
    else:
        print("stopped-terminal: no history line within %.0f s of Ctrl+S" % STOPPED_FOR)
    print("stopped-terminal: a second tq214 %s the enclosure while stopped (exit %d) %s" %
          ("got" if lock_free else "did not get", second.returncode, second.stderr.strip()))
    print("stopped-terminal: after Ctrl+Q, tq214 ended %.1f s later, exit %d" % (ended_after, code))

    failures = []
    if recorded != ["PASS"]:
        failures.append("the update did not end while the terminal was stopped")
    if not lock_free:
        failures.append("the enclosure was not free while the terminal was stopped")
    if code != 0 or not re.search(r"^PASS\r?$", text, re.M):
        failures.append("no PASS and exit 0 after Ctrl+Q (exit %d)" % code)
    for failure in failures:
        print("stopped-terminal: FAIL: " + failure, file=sys.stderr)
    if failures:
        print("--- the terminal showed:\n" + text, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
