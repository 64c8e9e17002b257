#!/usr/bin/env bash
# tq214 history --prometheus against the real node exporter: the history of
# a few runs (the station, newer firmware refused) and two lines of units
# the simulation has not (a serial number with a quote, a backslash and a
# line feed; a unit without one, known by its port, confirmed after
# reconnecting, so no longer awaiting it) is written by docs/station.md's own recipe (a temporary file
# in a folder only root writes, then renamed). The exporter, started on 127.0.0.1 with
# only its textfile collector, serves every expected sample and
# node_textfile_scrape_error 0. Skipped (77) without prometheus-node-exporter.
#
#   node-exporter.sh TQ214 STATION_MD
set -uo pipefail
tq214=${1:?usage: node-exporter.sh TQ214 STATION_MD}
station_md=${2:?usage: node-exporter.sh TQ214 STATION_MD}
# shellcheck source=tests/support/e2e.sh
source "$(dirname "$0")/../../../support/e2e.sh"
exporter=$(command -v prometheus-node-exporter) ||
  skip "no prometheus-node-exporter (scripts/install-deps.sh installs it)"
e2e_start "$tq214"
started=$(date +%s)
run --simulate=station update --all --yes
run --simulate=newer update --yes
ended=$(date +%s)
cat >>"$TQ214_HISTORY" <<'LINES'
{"kind":"update","time":"2026-01-02T03:04:05Z","device":"/dev/sdz","serial":"q\"b\\s\nx","firmwareBefore":"21.32.0.2","result":"FAIL","reason":"r","milliseconds":5}
{"kind":"update","time":"2026-01-02T03:04:06Z","device":"/dev/sdy","serial":null,"port":"/sys/devices/usb1/1-2/1-2:1.0","firmwareBefore":"21.32.0.2","result":"PASS","milliseconds":5}
{"kind":"confirmation","time":"2026-01-02T03:05:00Z","device":"/dev/sdy","serial":null,"port":"/sys/devices/usb1/1-2/1-2:1.0","updated":"2026-01-02T03:04:06Z","firmwareAfter":"21.32.0.3","confirmed":true}
LINES

# docs/station.md's recipe, its folder here: made by root, written only by it.
recipe=$(sed -n "s|^ExecStart=/bin/sh -c '\(.*tq214 history --prometheus.*\)'\$|\1|p" "$station_md")
[ -n "$recipe" ] || { fail "no metrics recipe in $station_md"; finish; }
install -d -m 0755 "$work/textfile"
[ "$(stat -c %a "$work/textfile")" = 755 ] || { fail "the folder others could write"; finish; }
PATH=$(dirname "$tq214"):$PATH sh -c "${recipe//\/var\/lib\/tq214\/metrics/$work/textfile}" ||
  { fail "the recipe: $recipe"; finish; }

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$exporter" --web.listen-address="127.0.0.1:$port" --collector.disable-defaults \
  --collector.textfile --collector.textfile.directory="$work/textfile" >"$work/exporter.log" 2>&1 &
pids+=("$!")
report=exporter.log

python3 - "$port" "$started" "$ended" "$work/textfile/tq214.prom" <<'PY' || fail "the samples served"
import re, sys, time, urllib.request
port, started, ended, written = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
# Until it answers; 120 s, a guard against a hang, never a judgement of speed.
until = time.monotonic() + 120
while True:
    try:
        served = urllib.request.urlopen(f"http://127.0.0.1:{port}/metrics", timeout=10).read().decode()
        break
    except OSError:
        if time.monotonic() > until:
            sys.exit("node-exporter: FAIL: the exporter did not answer")
        time.sleep(0.1)

LABEL = re.compile(r'(\w+)="((?:[^"\\]|\\.)*)"')
def unescaped(value):
    return re.sub(r'\\(.)', lambda m: "\n" if m.group(1) == "n" else m.group(1), value)
samples = {}
for line in served.splitlines():
    match = re.fullmatch(r'(\w+)(?:\{(.*)\})? (\S+)', line)
    if not match or line.startswith("#"):
        continue
    # The collector gives every sample of a family the same labels, the
    # missing ones empty: an empty label is no label.
    labels = frozenset((k, unescaped(v)) for k, v in LABEL.findall(match.group(2) or "") if v)
    samples[(match.group(1), labels)] = float(match.group(3))

def unit(serial, **more):
    return {"serial": serial, **more} if serial else more
S = lambda n: "00000000000" + n
odd, port_place = 'q"b\\s\nx', "/sys/devices/usb1/1-2/1-2:1.0"
expected = [
    # metric, labels, value (None: a time of the station's run)
    ("node_textfile_scrape_error", {}, 0),
    ("tq214_updates_total", {"result": "PASS"}, 2),
    ("tq214_updates_total", {"result": "FAIL"}, 3),
    ("tq214_updates_total", {"result": "refused"}, 1),
    ("tq214_updates_total", {"result": "skipped"}, 3),
    ("tq214_last_update_result", unit(S("00214")), 1),
    ("tq214_last_update_result", unit(S("00437")), 0),
    ("tq214_last_update_result", unit(S("00661")), 0),
    ("tq214_last_update_result", unit(odd), 0),
    ("tq214_last_update_result", unit("", place=port_place), 1),
    ("tq214_last_update_timestamp_seconds", unit(S("00214")), None),
    ("tq214_last_update_timestamp_seconds", unit(odd), 1767323045),
    ("tq214_last_update_timestamp_seconds", unit("", place=port_place), 1767323046),
    ("tq214_firmware_info", unit(S("00214"), version="21.33.0.0"), 1),
    ("tq214_firmware_info", unit(S("00882"), version="21.32.0.3"), 1),
    ("tq214_firmware_info", unit(S("01212"), version="21.33.0.0"), 1),
    ("tq214_firmware_info", unit(odd, version="21.32.0.2"), 1),
    ("tq214_firmware_info", unit("", place=port_place, version="21.32.0.3"), 1),
    # Passed and not back yet; failed; passed and confirmed since.
    ("tq214_awaiting_reconnection", unit(S("00214")), 1),
    ("tq214_awaiting_reconnection", unit(S("00437")), 0),
    ("tq214_awaiting_reconnection", unit("", place=port_place), 0),
]
failures = 0
for name, labels, value in expected:
    got = samples.get((name, frozenset(labels.items())))
    ok = got is not None and (started <= got <= ended if value is None else got == value)
    print(f"node-exporter: {'ok' if ok else 'FAIL'}: {name}{labels} {got}")
    failures += not ok
# Units that wrote nothing have no last update.
stray = [k for k in samples if k[0] == "tq214_last_update_result" and
         dict(k[1]).get("serial") in (S("00882"), S("00990"), S("01212"))]
if stray:
    print(f"node-exporter: FAIL: a last update for units never updated: {stray}")
    failures += 1
if failures:
    print(open(written).read())
sys.exit(1 if failures else 0)
PY
finish
