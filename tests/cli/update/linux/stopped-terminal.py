#!/usr/bin/env python3
"""A terminal stopped with Ctrl+S does not stop the update.

  stopped-terminal.py TQ214

tq214 --simulate --piece-ms 100 update --yes runs on a pseudo-terminal. After
its first pieces Ctrl+S (XOFF) is typed: the terminal takes nothing more. While
it stays stopped the update must end all the same: its history line written,
the enclosure's lock free (a second tq214 gets it). After Ctrl+Q, PASS and
exit 0. The pieces are counted in the session --record writes as it goes.
Exit 77 where no pseudo-terminal can be had.
"""
import os
import pty
import re
import select
import sys
import time

sys.dont_write_bytecode = True  # no __pycache__ left in the sources
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../../support"))
import e2e  # noqa: E402


def count(path, pattern):
    try:
        with open(path, "rb") as f:
            return len(re.findall(pattern, f.read()))
    except FileNotFoundError:
        return 0


def read_until(master, seconds, done=lambda: False):
    got, deadline = b"", time.monotonic() + seconds
    while time.monotonic() < deadline and not done():
        if select.select([master], [], [], 0.05)[0]:
            try:
                chunk = os.read(master, 4096)
            except OSError:  # the program has ended
                break
            if not chunk:
                break
            got += chunk
    return got


def main(script):
    tq214, work = script.tq214, script.work
    session, history = work + "/session.json", os.environ["TQ214_HISTORY"]
    env = dict(os.environ, TQ214_LOCK_DIR=work)
    pieces = lambda: count(session, rb'"cdb":"3b0e')
    try:
        pid, master = pty.fork()
    except OSError as error:
        script.skip("no pseudo-terminal (%s)" % error)
    if pid == 0:
        os.execve(tq214, [tq214, "--simulate", "--piece-ms", "100", "--record", session,
                          "update", "--yes"], env)

    start = time.monotonic()
    # The bounds below are guards against a hang, for a slow, busy machine: each
    # wait ends as soon as what it waits for is there.
    shown = read_until(master, 120, lambda: pieces() >= 3)
    os.write(master, b"\x13")  # Ctrl+S; from here on nobody reads
    stopped, at_stop = time.monotonic(), pieces()
    while time.monotonic() < stopped + 120 and not count(history, rb'"result":"PASS"'):
        time.sleep(0.05)
    recorded = count(history, rb'"result":"PASS"') == 1
    script.check(recorded, "Ctrl+S after %d pieces (%.1f s); while stopped %d more pieces, %s" %
                 (at_stop, stopped - start, pieces() - at_stop,
                  "the history line after %.1f s" % (time.monotonic() - stopped) if recorded else
                  "no history line in 120 s"), "")
    second = script.run(["--simulate", "--no-history", "update", "--yes"], env=env)
    script.check(second.returncode == 0, "a second tq214 while stopped: exit %d %s" %
                 (second.returncode, second.stderr.strip()))

    os.write(master, b"\x11")  # Ctrl+Q
    resumed = time.monotonic()
    shown += read_until(master, 120)
    code = os.waitstatus_to_exitcode(os.waitpid(pid, 0)[1])
    passed = re.search(rb"^PASS\r?$", shown, re.M) is not None
    script.check(code == 0 and passed, "after Ctrl+Q: exit %d, %s, %.1f s later" %
                 (code, "PASS" if passed else "no PASS", time.monotonic() - resumed),
                 shown.decode(errors="replace"))


if __name__ == "__main__":
    e2e.main(main)
