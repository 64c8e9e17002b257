#!/usr/bin/env bash
# Update attempts in the system journal, against a real systemd-journald that
# this test starts without systemd as the first process and stops after. It
# runs in a mount namespace of its own with empty /run and /var/log/journal,
# so the machine's own journal, if any, is neither written nor read. Skipped
# (77) when not root, without journald, or where no mount namespace can be
# made.
#
# The runs (each entry is found by the run's _PID):
#   before journald starts, TQ214_JOURNAL=1 --trace: --trace says no journal
#   listens; the station with TQ214_JOURNAL=1: PASS, FAIL, up to date, and
#   the units it leaves alone, refused (newer, unreadable) as `update` files
#   them; newer firmware and an unreadable block with `update`: refused, with
#   the firmware before; an update with --wait: PASS, then its confirmation;
#   a simulated run without TQ214_JOURNAL: nothing. Every entry's fields are
#   checked, the MESSAGE_IDs and priorities taken from the outcome table, and
#   each MESSAGE_ID seen must be in the message catalog.
#
#   journald.sh TQ214 CATALOG OUTCOMES
set -uo pipefail
tq214=${1:?usage: journald.sh TQ214 CATALOG OUTCOMES}
catalog=${2:?usage: journald.sh TQ214 CATALOG OUTCOMES}
outcomes=${3:?usage: journald.sh TQ214 CATALOG OUTCOMES}
journald=/lib/systemd/systemd-journald
# shellcheck source=tests/support/e2e.sh
source "$(dirname "$0")/../../../support/e2e.sh"

if [ "${TQ214_JOURNALD_NAMESPACE:-}" != 1 ]; then
  [ "$(id -u)" = 0 ] || skip "not root: journald and the mount namespace it runs in need root"
  [ -x "$journald" ] && command -v journalctl >/dev/null || skip "no $journald or journalctl"
  unshare --mount --propagation private true 2>/dev/null ||
    skip "no mount namespace can be made here (unshare --mount): the machine's journal is left alone"
  TQ214_JOURNALD_NAMESPACE=1 exec unshare --mount --propagation private "$0" "$@"
fi

e2e_start "$tq214"
mount -t tmpfs tmpfs /run || skip "cannot mount a tmpfs on /run in the namespace"
[ -d /var/log/journal ] && mount -t tmpfs tmpfs /var/log/journal

# No journal yet: nothing is sent, and --trace says so.
TQ214_JOURNAL=1 run --simulate --trace update --yes
expected='(no entry in the system journal: no journal listens on /run/systemd/journal/socket)'
if grep -qxF "$expected" "$work/err"; then
  pass "without a journal, --trace says: $expected"
else
  fail "without a journal --trace did not say so"
fi

"$journald" >"$work/journald.log" 2>&1 &
pids+=("$!")
report=journald.log
# Until its socket is there; 120 s, a guard against a hang.
until=$((SECONDS + 120))
while [ "$SECONDS" -lt "$until" ]; do
  [ -S /run/systemd/journal/socket ] && break
  sleep 0.05
done
[ -S /run/systemd/journal/socket ] || { cat "$work/journald.log"; skip "journald did not start"; }

# run_named NAME [VAR=VALUE...] -- ARGS...: the run's pid in $work/NAME.pid.
run_named() {
  local name=$1
  shift
  local vars=()
  while [ "$1" != -- ]; do vars+=("$1"); shift; done
  shift
  env "${vars[@]}" "$tq214" "$@" >"$work/$name.out" 2>&1 &
  echo $! >"$work/$name.pid"
  wait $!
}
run_named station TQ214_JOURNAL=1 -- --simulate=station update --all --yes
run_named newer TQ214_JOURNAL=1 -- --simulate=newer update --yes
run_named unreadable TQ214_JOURNAL=1 -- --simulate=nvram-fail update --yes
run_named confirm TQ214_JOURNAL=1 -- --simulate update --yes --wait=10
run_named unasked TQ214_JOURNAL=0 -- --simulate update --yes
version=$("$tq214" --version | sed -n '1s/^tq214 //p')
image=$("$tq214" --version | sed -n 's/.*SHA-256 //p')

python3 - "$work" "$catalog" "$image" "$outcomes" "$version" <<'PY'
import json, re, subprocess, sys, time
work, catalog, image, outcomes, version = sys.argv[1:6]
# Each outcome's MESSAGE_ID and priority, as the program has them.
KIND = {m[0]: (m[1], m[2]) for m in re.findall(
    r'^TQ_OUTCOME\(\w+, "([a-z-]+)", "([0-9a-f]{32})", (\d), \d+\)$', open(outcomes).read(), re.M)}
# run, serial, TQ_OUTCOME: TQ_RESULT, before, after, reason (a part), MESSAGE (a part)
expected = {
    ("station", "0000000000000214", "passed"): ("PASS", "21.32.0.2", "21.32.0.3", "",
                                                "updated from 21.32.0.2 to 21.32.0.3, PASS"),
    ("station", "0000000000000437", "failed"): (
        "FAIL", "21.32.0.2", "", "could not be written and read back equal", "update FAIL"),
    ("station", "0000000000000661", "failed"): (
        "FAIL", "21.32.0.2", "", "could not be written and read back equal", "update FAIL"),
    ("station", "0000000000000882", "up-to-date"): ("skipped", "21.32.0.3", "21.32.0.3",
                                                    "up to date", "up to date (firmware 21.32.0.3)"),
    ("station", "0000000000000990", "refused"): ("skipped", "21.32.0.2", "21.32.0.2",
                                                 "Get NVRAM Fail !!", ": skipped (firmware 21.32.0.2): "),
    ("station", "0000000000001212", "refused"): ("skipped", "21.33.0.0", "21.33.0.0",
                                                 "is newer than this tool's", ": skipped"),
    ("newer", "0000000000000214", "refused"): ("refused", "21.33.0.0", "21.33.0.0",
                                               "is newer than this tool's", "update refused"),
    ("unreadable", "0000000000000214", "refused"): ("refused", "21.32.0.2", "21.32.0.2",
                                                    "Get NVRAM Fail !!", "update refused"),
    ("confirm", "0000000000000214", "passed"): ("PASS", "21.32.0.2", "21.32.0.3", "", "PASS"),
    ("confirm", "0000000000000214", "confirmed"): ("confirmed", "21.32.0.2", "21.32.0.3", "",
                                                   "confirmed, running 21.32.0.3"),
}
runs = ("station", "newer", "unreadable", "confirm", "unasked")
pids = {open(f"{work}/{run}.pid").read().strip(): run for run in runs}

def entries():
    found = {}
    for pid, run in pids.items():
        out = subprocess.run(["journalctl", "-o", "json", "--no-pager", f"_PID={pid}"],
                             capture_output=True, text=True).stdout
        for line in out.splitlines():
            entry = json.loads(line)
            found.setdefault((run, entry.get("TQ_SERIAL"), entry.get("TQ_OUTCOME")),
                             []).append(entry)
    return found

# journald writes its file a moment after it received: until every entry
# expected is there, up to 120 s, a guard against a hang.
until = time.monotonic() + 120
while time.monotonic() < until:
    found = entries()
    if sum(len(v) for v in found.values()) >= len(expected):
        break
    time.sleep(0.05)
time.sleep(0.2)
found = entries()
ids = {line.split()[1] for line in open(catalog) if line.startswith("-- ")}
failures = 0
for key in sorted(set(expected) | set(found)):
    got = found.get(key, [])
    if key not in expected or len(got) != 1:
        print(f"journald: FAIL: {key}: {len(got)} entries, {'1' if key in expected else 'none'} expected")
        failures += 1
        continue
    e = got[0]
    result, before, after, reason, message = expected[key]
    mid, prio = KIND[key[2]]
    update = key[2] not in ("confirmed", "unconfirmed")
    checks = {
        "MESSAGE_ID": e.get("MESSAGE_ID") == mid and mid in ids,
        "PRIORITY": e.get("PRIORITY") == prio,
        "SYSLOG_IDENTIFIER": e.get("SYSLOG_IDENTIFIER") == "tq214",
        "TQ_RESULT": e.get("TQ_RESULT") == result,
        "TQ_FIRMWARE_BEFORE": e.get("TQ_FIRMWARE_BEFORE") == before,
        "TQ_FIRMWARE_AFTER": e.get("TQ_FIRMWARE_AFTER") == after,
        "TQ_REASON": reason in e.get("TQ_REASON", "-") and (reason != "" or e["TQ_REASON"] == ""),
        "TQ_IMAGE_SHA": e.get("TQ_IMAGE_SHA") == image,
        "TQ_DEVICE": key[1] in e.get("TQ_DEVICE", ""),
        "TQ_PORT": e.get("TQ_PORT", "") != "",
        "TQ_TOOL_VERSION": e.get("TQ_TOOL_VERSION") == version,
        "TQ_DURATION_MS": re.fullmatch(r"\d+" if update else "", e.get("TQ_DURATION_MS", "-")),
        "TQ_SENSE": e.get("TQ_SENSE") == "",
        "MESSAGE": message in e.get("MESSAGE", "") and "\n" not in e.get("MESSAGE", "\n"),
    }
    wrong = [name for name, ok in checks.items() if not ok]
    if wrong:
        shown = {k: v for k, v in e.items() if not k.startswith("_")}
        print(f"journald: FAIL: {key}: wrong {', '.join(wrong)}: {json.dumps(shown)}")
        failures += 1
    else:
        print(f"journald: {key[0]} #{key[1]}: {key[2]} ({result}), priority {prio}: {e['MESSAGE']}")
print(f"journald: the simulated run without TQ214_JOURNAL=1 left "
      f"{sum(len(v) for k, v in found.items() if k[0] == 'unasked')} entries")
sys.exit(1 if failures else 0)
PY
[ $? = 0 ] || fail "the entries in the journal"

# journalctl -x: the catalog's explanation, with the entry's values in it.
mkdir -p /usr/lib/systemd/catalog /var/lib/systemd/catalog
mount -t tmpfs tmpfs /usr/lib/systemd/catalog && mount -t tmpfs tmpfs /var/lib/systemd/catalog &&
  cp "$catalog" /usr/lib/systemd/catalog/ && journalctl --update-catalog ||
  fail "the catalog could not be installed in the namespace"
explained() {  # RUN SERIAL OUTCOME: the explanation's lines of that unit's entry
  journalctl -x --no-pager "_PID=$(cat "$work/$1.pid")" "TQ_SERIAL=$2" "TQ_OUTCOME=$3" |
    sed -n 's/^░░ \{0,1\}//p'
}
expect_explained() {  # RUN SERIAL OUTCOME TEXT: the explanation holds TEXT, and no @NAME@ is left
  local text
  text=$(explained "$1" "$2" "$3" | tr '\n' ' ' | tr -s ' ')
  if [[ $text == *"$4"* && $text != *@*@* ]]; then
    pass "journalctl -x of $1 #$2 ($3): $4"
  else
    fail "journalctl -x of $1 #$2 ($3) does not say \"$4\": $text"
  fi
}
expect_explained station 0000000000000214 passed \
  "tq214 wrote firmware 21.32.0.3 into the TBR640 bridge of the TQ-214 enclosure 0000000000000214"
expect_explained station 0000000000000437 failed \
  "which ran 21.32.0.2, failed: the firmware could not be written and read back equal"
expect_explained station 0000000000001212 refused \
  "running 21.33.0.0, and wrote nothing to it: firmware 21.33.0.0 is newer than this tool's"
expect_explained confirm 0000000000000214 confirmed \
  "updated from 21.32.0.2, came back after being reconnected running 21.32.0.3 (confirmed)"
finish
