#!/usr/bin/env python3
"""Each output on its own, and only the output waits for its reader.

  own-streams.py TQ214

Pipes: one output goes into a pipe of one page that nobody reads until the
other has been read to its end, as a wrapper reading one after the other
does. The other must end complete: a program that waited for the unread
pipe would never end, and meets the hang guard.

Job control: in a terminal of tmux set to `stty tostop`, an update runs in
the background: writing to the terminal would stop it (SIGTTOU). Its history
line must be written all the same (not held back until `fg`), the program
must then stop, and after `fg` end with PASS, exit 0. The times are shown,
never judged. Exit 77 without tmux.
"""
import fcntl
import json
import os
import re
import select
import shutil
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # no __pycache__ left in the sources
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../../support"))
import e2e  # noqa: E402

F_SETPIPE_SZ = 1031
# Seconds: a guard against a hang, never a judgement of speed; every wait
# below ends as soon as what it waits for is there.
HANG_GUARD = 120


def read_to_end(fd, seconds):
    """What `fd` gives until its end; None when it has not ended in time."""
    got, deadline = b"", time.monotonic() + seconds
    while time.monotonic() < deadline:
        if select.select([fd], [], [], 0.05)[0]:
            chunk = os.read(fd, 65536)
            if not chunk:
                return got
            got += chunk
    return None


def last_json(text):
    return json.loads(text.strip().splitlines()[-1])


# (arguments, the output read first, what it must end with)
PIPES = [
    (["--simulate", "--trace", "--json", "--piece-ms", "0", "update", "--yes"], "stdout",
     lambda shown: last_json(shown)["result"] == "PASS"),
    (["--simulate=station", "--json=lines", "--piece-ms", "0", "update", "--all", "--yes"],
     "stderr", lambda shown: shown.endswith("not every enclosure ended PASS or up to date\n")),
]


def run_with_pipes(script, env, args, first, ends_well):
    ends = {name: os.pipe() for name in ("stdout", "stderr")}
    for read, write in ends.values():
        fcntl.fcntl(write, F_SETPIPE_SZ, 4096)
    process = subprocess.Popen([script.tq214] + args, env=env, stdout=ends["stdout"][1],
                               stderr=ends["stderr"][1])
    for _, write in ends.values():
        os.close(write)
    start = time.monotonic()
    shown = read_to_end(ends[first][0], HANG_GUARD)
    took = time.monotonic() - start
    other = read_to_end(ends["stderr" if first == "stdout" else "stdout"][0], HANG_GUARD)
    code = process.wait()
    for read, _ in ends.values():
        os.close(read)
    ok = shown is not None and ends_well(shown.decode()) and other is not None and code in (0, 1)
    script.check(ok, "%s read first, the other unread: %s after %.1f s, exit %d" %
                 (first, "its end" if shown is not None else "no end", took, code),
                 (shown or b"").decode(errors="replace"))


def tmux(*args):
    return subprocess.run(["tmux", "-L", "own-streams"] + list(args), capture_output=True,
                          text=True)


def state_of(pid):
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().rsplit(")", 1)[1].split()[0]
    except OSError:
        return "gone"


def run_in_background(script):
    tq214, work = script.tq214, script.work
    history, pids = work + "/tostop.jsonl", work + "/pid"
    tmux("new-session", "-d", "-x", "120", "-y", "40", "sh")
    try:
        command = ("stty tostop; TQ214_HISTORY=%s TQ214_LOCK_DIR=%s %s --simulate --piece-ms 20 "
                   "update --yes & echo $! > %s" % (history, work, tq214, pids))
        tmux("send-keys", command, "Enter")
        start = time.monotonic()
        while time.monotonic() < start + HANG_GUARD and (not os.path.exists(pids) or
                                                         not open(pids).read().strip()):
            time.sleep(0.05)
        pid = int(open(pids).read())
        while time.monotonic() < start + HANG_GUARD and not os.path.exists(history):
            time.sleep(0.05)
        recorded = os.path.exists(history) and b'"result":"PASS"' in open(history, "rb").read()
        took = time.monotonic() - start
        # Once its work is over it stops, as any program writing from the
        # background to such a terminal does.
        deadline = time.monotonic() + HANG_GUARD
        while time.monotonic() < deadline and state_of(pid) != "T":
            time.sleep(0.05)
        stopped = state_of(pid)
        tmux("send-keys", "fg; echo exit=$?", "Enter")
        deadline = time.monotonic() + HANG_GUARD
        shown = ""
        while time.monotonic() < deadline and "exit=" not in shown:
            time.sleep(0.1)
            shown = tmux("capture-pane", "-p", "-S", "-100").stdout
        ended = re.search(r"^exit=(\d+)", shown, re.M)
        passed = re.search(r"^PASS\s*$", shown, re.M) is not None
        ok = recorded and stopped == "T" and ended is not None and ended.group(1) == "0" and passed
        script.check(ok, "backgrounded under tostop: %s after %.1f s; then %s; after fg: %s, %s" %
                     ("history line" if recorded else "no history line", took,
                      "stopped" if stopped == "T" else "state " + stopped,
                      "exit " + ended.group(1) if ended else "no end",
                      "PASS" if passed else "no PASS"),
                     shown)
    finally:
        tmux("kill-server")


def main(script):
    env = dict(os.environ, TQ214_HISTORY=script.work + "/pipes.jsonl", TQ214_LOCK_DIR=script.work)
    for case in PIPES:
        run_with_pipes(script, env, *case)
    if shutil.which("tmux") is None:
        script.skip("no tmux; the terminal's part is not run")
    run_in_background(script)


if __name__ == "__main__":
    e2e.main(main)
