#!/usr/bin/env python3
"""watch as a service: what it tells the service manager through NOTIFY_SOCKET.

  notify_socket.py TQ214

tq214 --simulate=station watch --update --yes runs with NOTIFY_SOCKET naming a
datagram socket that this test reads, as systemd's would be. Asked to stop
(SIGTERM sent to the process itself while its updates run), it has said
READY=1 with its counts, then STATUS= as they changed, each naming the last
enclosure that came to an end and how, then STOPPING=1, and ends once the
updates running have ended ("stopping: ... 0 running; last ..."). With
WATCHDOG_USEC set it says WATCHDOG=1 every half interval; without, never.
With a socket that nobody reads (its queue full after a few notices), the
watch ends by itself with every history line. The times are shown, never
judged: a wait ends as soon as what it waits for is there, and its deadline
is only a guard against a hang.
"""
import os
import re
import signal
import socket
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # no __pycache__ left in the sources
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../../support"))
import e2e  # noqa: E402

HANG_GUARD = 300  # seconds

def run(tq214, folder, name, env, piece_ms, stop):
    """The notices of one watch, in the order they came, and its output."""
    path = os.path.join(folder, name)
    server = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
    server.bind(path)
    server.settimeout(0.2)
    watch = subprocess.Popen(
        [tq214, "--simulate=station", "--piece-ms", str(piece_ms), "watch", "--update", "--yes"],
        env=dict(os.environ, NOTIFY_SOCKET=path, **env), stdout=subprocess.PIPE,
        stderr=subprocess.STDOUT, text=True)
    notices = []
    deadline = time.monotonic() + HANG_GUARD
    while watch.poll() is None and time.monotonic() < deadline:
        try:
            notices += server.recv(4096).decode().splitlines()
        except socket.timeout:
            continue
        if stop and "READY=1" in notices and "STOPPING=1" not in notices:
            watch.send_signal(signal.SIGTERM)
            stop = False
    if watch.poll() is None:
        watch.kill()
    output = watch.communicate()[0]
    server.setblocking(False)
    try:
        while True:
            notices += server.recv(4096).decode().splitlines()
    except BlockingIOError:
        pass
    return notices, output


STATUS = re.compile(r"STATUS=(watching|stopping): \d+ updated, \d+ failed, (\d+) running"
                    r"(; last \S+  #\d{16} (PASS|FAIL|skipped|up to date|update needed))?$")


def order_ok(notices):
    """READY, a STATUS while updates run, STOPPING, then the last update ended,
    named with its result."""
    try:
        ready = notices.index("READY=1")
        stopping = notices.index("STOPPING=1")
    except ValueError:
        return False
    status = [(i, STATUS.match(n)) for i, n in enumerate(notices) if n.startswith("STATUS=")]
    if not all(m for _, m in status):
        return False
    running = [i for i, m in status if m[1] == "watching" and m[2] != "0"]
    ended = [i for i, m in status if m[1] == "stopping" and m[2] == "0" and m[3]]
    return bool(running and ended) and ready < running[0] < stopping < ended[-1]


def timed_watch(tq214, folder, name, env):
    """Seconds a whole station watch took, whether it ended by itself (within
    HANG_GUARD), and its history's lines."""
    history = os.path.join(folder, name + ".jsonl")
    began = time.monotonic()
    try:
        subprocess.run([tq214, "--simulate=station", "watch", "--update", "--yes"],
                       env=dict(os.environ, TQ214_HISTORY=history, **env),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=HANG_GUARD)
        ended = True
    except subprocess.TimeoutExpired:
        ended = False
    with open(history) as f:
        return time.monotonic() - began, ended, len(f.read().splitlines())


def unread(script):
    """A manager that stopped reading: the watch is not held back by it. A
    watch that waited for the full socket would never end: it ends by itself,
    with every history line, while the notices it sent lie unread. The times
    are shown, never compared."""
    tq214, folder = script.tq214, script.work
    path = os.path.join(folder, "unread")
    server = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 1)
    server.bind(path)
    usual, _, lines = timed_watch(tq214, folder, "usual", {})
    took, ended, written = timed_watch(tq214, folder, "unread",
                                       {"NOTIFY_SOCKET": path, "WATCHDOG_USEC": "20000"})
    server.setblocking(False)
    queued = 0
    try:
        while server.recv(4096):
            queued += 1
    except BlockingIOError:
        pass
    server.close()
    script.check(ended and written == lines and lines > 0 and queued > 0,
                 f"unread socket ({queued} notices queued, never read): "
                 f"{'ended' if ended else 'held back, ended by the hang guard'} after {took:.1f} s "
                 f"with {written} history lines; without a manager {usual:.1f} s and {lines}", "")


def main(script):
    cases = [
        # name, environment, ms per piece, SIGTERM after READY, check, what it shows
        ("stop", {}, 50, True,
         lambda n, out: order_ok(n) and "WATCHDOG=1" not in n and "PASS" in out,
         "READY, STATUS while updating, STOPPING on SIGTERM, the updates ended; no WATCHDOG"),
        ("watchdog", {"WATCHDOG_USEC": "200000"}, 0, False,
         lambda n, out: n.count("WATCHDOG=1") >= 2 and "STOPPING=1" not in n,
         "WATCHDOG=1 every 0.1 s with WATCHDOG_USEC=200000; no STOPPING unasked"),
    ]
    for name, env, piece_ms, stop, check, shows in cases:
        notices, output = run(script.tq214, script.work, name, env, piece_ms, stop)
        seen = [n for n in notices if n != "WATCHDOG=1"]
        script.check(check(notices, output),
                     f"{name}: {shows}: {seen} and {notices.count('WATCHDOG=1')} WATCHDOG=1",
                     f"{notices}\n{output}")
    unread(script)


if __name__ == "__main__":
    e2e.main(main)
