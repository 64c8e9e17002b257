"""What the end-to-end scripts of tq214 in Python share. A script finds it by
its path from its own folder (with sys.dont_write_bytecode set first, so
that no __pycache__ is left in the sources) and hands it its body:

    e2e.main(body)  # body(script)

main runs body in a folder of its own, removed after, where the history of
every run is kept (TQ214_HISTORY: work/history.jsonl), never in the user's;
then ends the test: 1 when a check failed, else 77 when a part was skipped,
else 0. NAME, which begins the script's lines, is its file name without
.py. The Script:

  tq214, args, work: the program (the first argument), the others, the folder
  run(args, **kw): subprocess.run of tq214 with args, its output captured
      as text and kept for the next failure's report
  check(ok, text, shown=None): "NAME: text", or "NAME: FAIL: text" followed
      by the end of shown (the last run's output when None); counts the
      failure; returns ok
  skip(text): says why and ends the test, skipped (or failed if a check
      failed before); skip_part(text): says why and goes on
"""
import os
import subprocess
import sys
import tempfile


class Skipped(Exception):
    pass


class Script:
    def __init__(self, work):
        self.name = os.path.splitext(os.path.basename(sys.argv[0]))[0]
        self.tq214, self.args, self.work = sys.argv[1], sys.argv[2:], work
        self.failures, self.skipped, self.shown = 0, False, ""

    def run(self, args, **kw):
        done = subprocess.run([self.tq214] + args, capture_output=True, text=True, **kw)
        self.shown = done.stdout + done.stderr
        return done

    def check(self, ok, text, shown=None):
        if ok:
            print(f"{self.name}: {text}", flush=True)
        else:
            self.failures += 1
            shown = self.shown if shown is None else shown
            print(f"{self.name}: FAIL: {text}" + (f"\n--- shown\n{shown[-3000:]}" if shown else ""),
                  flush=True)
        return ok

    def skip_part(self, text):
        print(f"{self.name}: SKIP: {text}", flush=True)
        self.skipped = True

    def skip(self, text):
        self.skip_part(text)
        raise Skipped


def main(body):
    with tempfile.TemporaryDirectory() as work:
        os.environ["TQ214_HISTORY"] = os.path.join(work, "history.jsonl")
        script = Script(work)
        try:
            body(script)
        except Skipped:
            pass
    sys.exit(1 if script.failures else 77 if script.skipped else 0)
