#!/bin/sh
# /init of the USB harness guest. Makes the virtual enclosure a USB device
# (configfs, FunctionFS, dummy_hcd), lets the kernel's usb-storage bind it,
# drives it, prints one line "SUMMARY key=value" per finding on the console
# and powers off. Checks report ok or fail. Three runs (tq214_stage= on the
# kernel command line): "linux", tq214 and sg3_utils; "wine", the Windows
# build's tq214.exe under the host's Wine (run-wine-stage.sh); "window", the
# updater window under Wine, finding the enclosure by itself
# (run-window-stage.sh).
#
# "/init pnp-event" is the window stage's handler of one kernel event (busybox
# uevent runs it); it takes the event from its environment.
export PATH=/bin

if [ "${1:-}" != pnp-event ]; then
  mount -t proc proc /proc
  mount -t sysfs sysfs /sys
  mount -t devtmpfs devtmpfs /dev
  mount -t tmpfs tmpfs /run
  mount -t tmpfs tmpfs /tmp
fi

# The serial line may still hold the firmware's last words.
echo
# The console, for summary lines of commands whose output goes elsewhere.
exec 3>&1
FAILURES=0
GADGET_OPTIONS=
if grep -q 'tq214_verbose=1' /proc/cmdline; then
  GADGET_OPTIONS=--verbose
  GADGET_LOG_LINES=400
fi
G=/sys/kernel/config/usb_gadget/tq214
FFS=/dev/ffs-tq214
IMAGE=/share/image.bin
FAULT_OFFSET=0x7400  # in the 30th 1024-byte piece
SERIAL=0000000000000214  # the USB serial number of the first gadget
WAIT_SECONDS=120     # how long update --wait waits for the re-attachment
SHORT_BYTES=128      # what a shortened configuration block read delivers
STATION_MAX=4        # enclosures updated side by side, one per emulated controller
STATION_PIECE_MS=20  # what each takes to store a 1024-byte piece, as flash does
# What a wait for something that must come gives it, in tenths of a second: a
# guard against a hang, never a judgement of speed (a wait ends as soon as
# what it waits for is there). The guest runs under software emulation on a
# host that may be busy with other work: there a single Wine program took
# more than a minute to start.
GUARD=6000

say() { echo "SUMMARY $1=$2"; }
# verdict KEY STATUS: ok when STATUS is 0, fail otherwise.
verdict() {
  if [ "$2" -eq 0 ]; then say "$1" ok; else say "$1" fail; FAILURES=$((FAILURES + 1)); fi
}
show() { sed "s/^/guest: $1: /" "$2"; }
# Monotonic microseconds.
now_us() {
  if [ -r /proc/timer_list ]; then
    awk '/^now at/ { printf "%d\n", $3 / 1000; exit }' /proc/timer_list
  else
    awk '{ printf "%d\n", $1 * 1000000 }' /proc/uptime
  fi
}
wait_until() {
  tenths=$1
  shift
  while [ "$tenths" -gt 0 ]; do
    "$@" && return 0
    usleep 100000
    tenths=$((tenths - 1))
  done
  return 1
}

# --- the USB device ---------------------------------------------------------
load_modules() {
  version=$(uname -r)
  status=0
  while read -r module; do
    params=
    case $module in
      */usb-storage.ko) params=delay_use=0 ;;
      */dummy_hcd.ko) params=num=$STATION_MAX ;;  # one controller per station enclosure
    esac
    if ! insmod "/lib/modules/$version/$module" $params 2>/tmp/insmod.err; then
      # The accelerated crc needs a CPU feature the emulated one may lack.
      case $module in *pclmul*) ;; *) echo "guest: insmod $module: $(cat /tmp/insmod.err)"; status=1 ;; esac
    fi
  done < "/lib/modules/$version/modules.load"
  return $status
}

make_gadget() {
  mount -t configfs configfs /sys/kernel/config || return 1
  mkdir "$G" "$G/strings/0x409" "$G/configs/c.1" "$G/configs/c.1/strings/0x409" || return 1
  echo 0x6b21 > "$G/idVendor"
  echo 0x0640 > "$G/idProduct"
  echo 0x0200 > "$G/bcdUSB"
  echo Orvexa > "$G/strings/0x409/manufacturer"
  echo "TQ-214 Enclosure" > "$G/strings/0x409/product"
  echo "$SERIAL" > "$G/strings/0x409/serialnumber"
  echo "Bulk-Only Transport" > "$G/configs/c.1/strings/0x409/configuration"
  mkdir "$G/functions/ffs.tq214" || return 1
  ln -s "$G/functions/ffs.tq214" "$G/configs/c.1/" || return 1
  mkdir -p "$FFS"
  mount -t functionfs tq214 "$FFS" || return 1
  UDC=
  for udc in /sys/class/udc/*; do
    [ -e "$udc" ] && UDC=${udc##*/} && break
  done
  [ -n "$UDC" ]
}

start_gadget() {
  rm -f /run/gadget.ready
  tq214-usb-gadget --ffs "$FFS" --ready /run/gadget.ready --stats /run/gadget.stats \
    --commands /run/commands \
    $GADGET_OPTIONS "$@" \
    2>>/run/gadget.log &
  GADGET=$!
  wait_until $GUARD test -f /run/gadget.ready
}

stop_gadget() {
  kill "$GADGET" 2>/dev/null
  wait "$GADGET" 2>/dev/null
}

# Sets DISK and SG once a disk with its generic node is there and sized.
find_disk() {
  for block in /sys/block/sd*; do
    [ -e "$block/device" ] || continue
    size=$(cat "$block/size" 2>/dev/null)
    if [ -z "$size" ] || [ "$size" -eq 0 ]; then continue; fi
    sg=
    for generic in "$block"/device/scsi_generic/*; do
      [ -e "$generic" ] && sg=${generic##*/} && break
    done
    if [ -z "$sg" ] || [ ! -b "/dev/${block##*/}" ] || [ ! -c "/dev/$sg" ]; then continue; fi
    DISK=/dev/${block##*/}
    SG=/dev/$sg
    return 0
  done
  return 1
}
no_disk() { ! ls -d /sys/block/sd* >/dev/null 2>&1; }

attach() {
  echo "$UDC" > "$G/UDC" || return 1
  wait_until $GUARD find_disk
}
detach() {
  echo "" > "$G/UDC"
  wait_until $GUARD no_disk
}
reattach() { detach && attach; }

usb_driver_of_disk() {
  interface=$(readlink -f "/sys/block/${DISK#/dev/}/device/../../..")
  basename "$(readlink "$interface/driver")"
}

# --- the chip, as sg3_utils sees it --------------------------------------
chip_info() {  # into $1
  sg_raw -r 16 -o "$1" "$SG" e0 f4 e7 00 00 00 00 00 00 00 00 00 >/tmp/sg_raw.out 2>&1
}
chip_version() {  # bytes 12-15 in hex
  chip_info /tmp/chipinfo.bin && xxd -p -s 12 -l 4 /tmp/chipinfo.bin
}
config_block() {  # the 512 bytes at bridge address 0xD000, into $1
  sg_raw -r 512 -o "$1" "$SG" df 10 00 02 00 00 00 00 00 d0 00 fa >/dev/null 2>&1
}
# The device-side figures of the last complete download: DOWNLOAD_US, DOWNLOAD_PIECES.
# The device program writes its line once the last status has gone out, so the
# host's program may end first: the line is waited for, up to TENTHS (GUARD, a
# guard for a busy machine; a run that must download nothing gives a second
# and a half, which it spends in full).
has_download() { grep -q '^download ' /run/gadget.stats 2>/dev/null; }
last_download() {
  wait_until "${1:-$GUARD}" has_download
  line=$(grep '^download ' /run/gadget.stats 2>/dev/null | tail -n 1)
  DOWNLOAD_US=$(echo "$line" | sed -n 's/.*usec=\([0-9]*\).*/\1/p')
  DOWNLOAD_PIECES=$(echo "$line" | sed -n 's/.*pieces=\([0-9]*\).*/\1/p')
  DOWNLOAD_US=${DOWNLOAD_US:-0}
  DOWNLOAD_PIECES=${DOWNLOAD_PIECES:-0}
}
identity_lines() { grep '\[' "$1"; }

# --- steps ------------------------------------------------------------------
step_attach() {
  say kernel "$(uname -r)"
  load_modules
  verdict modules $?
  make_gadget && start_gadget
  verdict gadget_start $?
  attach
  verdict attach $?
  say disk "${DISK:-none}"
  say sg "${SG:-none}"
  say usb_driver "$(usb_driver_of_disk)"
}

step_peer_identity() {
  sg_inq "$SG" >/tmp/sg_inq.out 2>&1
  show sg_inq /tmp/sg_inq.out
  grep -q 'Vendor identification: Orvexa' /tmp/sg_inq.out &&
    grep -q 'Product identification: TQ-214 Enclosure' /tmp/sg_inq.out
  verdict sg_inq $?
  chip_info /tmp/chipinfo.bin
  status=$?
  signature=$(xxd -p -l 2 /tmp/chipinfo.bin 2>/dev/null)
  say chipinfo_signature "${signature:-none}"
  [ $status -eq 0 ] && [ "$signature" = f4e7 ]
  verdict sg_raw_chipinfo $?
  say firmware_before "$(xxd -p -s 12 -l 4 /tmp/chipinfo.bin 2>/dev/null)"
}

# One timed download by each program. Sets STATUS, WALL_US (the program's
# run) and, from the device's side, DOWNLOAD_US and DOWNLOAD_PIECES.
timed_sg_download() {
  : > /run/gadget.stats
  start=$(now_us)
  sg_write_buffer -m 0x0e -b 1024 -l 0xc400 -I "$IMAGE" "$SG" >/tmp/sg_wb.out 2>&1
  STATUS=$?
  WALL_US=$(( $(now_us) - start ))
  last_download
}
timed_tq214_update() {
  : > /run/gadget.stats
  start=$(now_us)
  tq214 "$@" update --yes >/tmp/update.out 2>&1
  STATUS=$?
  WALL_US=$(( $(now_us) - start ))
  last_download
}
append() { if [ -n "$1" ]; then echo "$1,$2"; else echo "$2"; fi; }
median() { echo "$1" | tr , '\n' | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

step_peer_download() {
  timed_sg_download
  show sg_write_buffer /tmp/sg_wb.out
  SG_RUNS=$DOWNLOAD_US
  SG_WALL_RUNS=$WALL_US
  say sg_write_buffer_pieces "$DOWNLOAD_PIECES"
  [ $STATUS -eq 0 ] && [ "$DOWNLOAD_PIECES" -eq 49 ]
  verdict sg_write_buffer $?
  tq214-readback-check "$DISK" "$IMAGE" >/tmp/readback.out 2>&1
  status=$?
  show readback /tmp/readback.out
  verdict readback_match $status
}

step_phase_error() {
  # READ BUFFER of 1024 bytes with room for 512: the device refuses with a
  # phase error (CSW status 2); the kernel then resets the port, and the next
  # command works on the same disk.
  dmesg -c >/dev/null
  : > /run/gadget.stats
  sg_raw -r 512 "$SG" 3c 01 00 00 00 00 00 04 00 00 >/tmp/phase.out 2>&1
  refused=$?
  chip_info /tmp/chipinfo-after-phase.bin
  after=$?
  dmesg > /tmp/phase.dmesg
  show phase_error /tmp/phase.out
  show "phase_error dmesg" /tmp/phase.dmesg
  if grep -q 'reset high-speed USB device' /tmp/phase.dmesg; then
    say phase_error_host_action port-reset
  else
    say phase_error_host_action none
  fi
  phase_errors=$(grep -c '^phase-error ' /run/gadget.stats)
  say phase_error_csws "$phase_errors"
  [ $refused -ne 0 ] && grep -q DID_ERROR /tmp/phase.out && [ "$phase_errors" -eq 1 ] &&
    [ $after -eq 0 ] &&
    [ "$(xxd -p -l 2 /tmp/chipinfo-after-phase.bin)" = f4e7 ] && find_disk
  verdict phase_error_recovery $?
}

step_bulk_reset() {
  # A device reset through the SCSI layer reaches the device as the class
  # request Bulk-Only Mass Storage Reset on ep0 (the kernel then waits 6 s
  # before it clears the halts).
  sg_reset -d "$SG" >/tmp/reset.out 2>&1
  status=$?
  show sg_reset /tmp/reset.out
  chip_info /tmp/chipinfo-after-reset.bin
  after=$?
  [ $status -eq 0 ] && [ $after -eq 0 ] && [ "$(xxd -p -l 2 /tmp/chipinfo-after-reset.bin)" = f4e7 ]
  verdict bulk_only_reset $?
}

step_stand_in_refused() {
  # This build carries the stand-in image: without the test-only switch, an
  # update through the real SG_IO path is refused before any write.
  tq214 --version >/tmp/version.out 2>&1
  show "tq214 --version" /tmp/version.out
  if ! grep -q 'stand-in' /tmp/version.out; then
    say stand_in_refused "skipped(customer image)"
    return
  fi
  : > /run/gadget.stats
  tq214 update --yes >/tmp/refused.out 2>&1
  status=$?
  show "tq214 update (stand-in, no switch)" /tmp/refused.out
  last_download 15
  [ $status -eq 1 ] && grep -q 'stand-in image' /tmp/refused.out && [ "$DOWNLOAD_PIECES" -eq 0 ] &&
    ! grep -q '^download ' /run/gadget.stats
  verdict stand_in_refused $?
}

step_tq214() {
  tq214 list >/tmp/list.out 2>&1
  status=$?
  show "tq214 list" /tmp/list.out
  [ $status -eq 0 ] && grep -q "$DISK" /tmp/list.out && grep -q USB /tmp/list.out
  verdict tq214_list $?

  tq214 --record /tmp/info-session.json info >/tmp/info.out 2>&1
  status=$?
  show "tq214 info" /tmp/info.out
  [ $status -eq 0 ] && grep -qF 'Chip FW Version[  21.32.00.01  ]' /tmp/info.out
  verdict tq214_info $?
  # The serial number comes from sysfs, the gadget's iSerial string.
  serial=$(sed -n 's/^Device: [^ ]*  USB  #\([^ ]*\)  .*/\1/p' /tmp/info.out)
  say info_serial "${serial:-none}"

  timed_tq214_update --record /tmp/update-session.json
  show "tq214 update" /tmp/update.out
  TQ_RUNS=$DOWNLOAD_US
  TQ_UPDATE_RUNS=$WALL_US
  say tq214_download_pieces "$DOWNLOAD_PIECES"
  if [ $STATUS -eq 0 ] && grep -q PASS /tmp/update.out; then
    say tq214_update PASS
  else
    say tq214_update "FAIL(exit=$STATUS)"
    FAILURES=$((FAILURES + 1))
  fi
}

step_more_rounds() {
  # Two more downloads by each program, taking turns: the figures are medians
  # of three, since emulated time jitters from one command to the next.
  status=0
  for round in 2 3; do
    timed_sg_download
    [ $STATUS -eq 0 ] && [ "$DOWNLOAD_PIECES" -eq 49 ] || status=1
    SG_RUNS=$(append "$SG_RUNS" "$DOWNLOAD_US")
    SG_WALL_RUNS=$(append "$SG_WALL_RUNS" "$WALL_US")
    timed_tq214_update
    [ $STATUS -eq 0 ] && [ "$DOWNLOAD_PIECES" -eq 49 ] && grep -q PASS /tmp/update.out || status=1
    TQ_RUNS=$(append "$TQ_RUNS" "$DOWNLOAD_US")
    TQ_UPDATE_RUNS=$(append "$TQ_UPDATE_RUNS" "$WALL_US")
    echo "guest: round $round done"
  done
  verdict repeated_downloads $status
}

step_reattach() {
  reattach
  verdict reattach $?
  version=$(chip_version)
  say firmware_after "$version"
  [ "$version" = 15200003 ]
  verdict reattach_firmware $?
  tq214 info >/tmp/info-after.out 2>&1
  status=$?
  show "tq214 info" /tmp/info-after.out
  [ $status -eq 0 ] && grep -qF 'Chip FW Version[  21.32.00.03  ] Up to date' /tmp/info-after.out
  verdict tq214_info_after $?
}

step_wait() {
  # A fresh enclosure; update --wait keeps running after PASS until the same
  # unit (by its serial number) has gone and come back. Nothing re-attaches a
  # device by itself here, so the harness does it once the wait has begun: the
  # line after PASS says so, flushed, and PASS is out by then.
  detach
  stop_gadget
  start_gadget && attach
  verdict wait_attach $?
  tq214 update --yes --wait=$WAIT_SECONDS >/tmp/wait.out 2>&1 &
  waiter=$!
  wait_until $GUARD grep -q '^Waiting up to ' /tmp/wait.out && grep -qx PASS /tmp/wait.out
  passed=$?
  [ $passed -eq 0 ] && reattach
  wait $waiter
  status=$?
  show "tq214 update --wait" /tmp/wait.out
  [ $passed -eq 0 ] && [ $status -eq 0 ] && grep -qx 'running 21.32.0.3, Up to date' /tmp/wait.out
  verdict wait_confirmed $?
}

step_fault() {
  # Every read-back of the download buffer flips the byte at FAULT_OFFSET (in
  # the 30th piece), so both attempts fail their comparison. (A failed WRITE
  # BUFFER would do too, but usb-storage retries a HARDWARE ERROR for the
  # command's whole 50 s time-out.)
  say fault "read-back flips the byte at $FAULT_OFFSET"
  detach
  stop_gadget
  start_gadget --flip-read-back $FAULT_OFFSET && attach
  verdict fault_attach $?
  config_block /tmp/config-before.bin
  tq214 info >/tmp/fault-info-before.out 2>&1
  tq214 update --yes >/tmp/fault-update.out 2>&1
  status=$?
  show "tq214 update (fault)" /tmp/fault-update.out
  if [ $status -eq 1 ] && grep -q FAIL /tmp/fault-update.out; then
    say fault_update FAIL
  else
    say fault_update "unexpected(exit=$status)"
    FAILURES=$((FAILURES + 1))
  fi
  config_block /tmp/config-after.bin
  [ -s /tmp/config-before.bin ] && cmp -s /tmp/config-before.bin /tmp/config-after.bin
  verdict fault_config_unchanged $?
  # The five identity lines, firmware included, read as before.
  tq214 info >/tmp/fault-info-after.out 2>&1
  show "tq214 info (after fault)" /tmp/fault-info-after.out
  identity_lines /tmp/fault-info-before.out >/tmp/lines-before
  identity_lines /tmp/fault-info-after.out >/tmp/lines-after
  [ -s /tmp/lines-before ] && cmp -s /tmp/lines-before /tmp/lines-after &&
    grep -qF 'Chip FW Version[  21.32.00.01  ]' /tmp/lines-after
  verdict fault_nothing_lost $?
}

step_short_read() {
  # The update's own read of the configuration block (the third read: one
  # here, one by the update's device-information run, then the patch's) ends
  # its data phase after 128 of 512 bytes and reports good status. The update
  # must fail and leave the block as it was.
  say short_read "the patch's block read delivers $SHORT_BYTES of 512 bytes, status good"
  detach
  stop_gadget
  start_gadget --short-block-read 3 && attach
  verdict short_attach $?
  config_block /tmp/short-before.bin
  tq214 --trace update --yes >/tmp/short-update.out 2>&1
  status=$?
  # The block commands of the trace, and the rest of the output.
  grep -E '^\[df |^[^[]' /tmp/short-update.out >/tmp/short-update.shown
  show "tq214 update (short block read)" /tmp/short-update.shown
  # What the kernel reported for the short read, as tq214 saw it through SG_IO.
  arrived=$(grep -F '[df 10 00 02 00 00 00 00 00 d0 00 fa] in 512 ok (' /tmp/short-update.out |
    sed -n 's/.*(\([0-9]*\) arrived).*/\1/p' | head -n 1)
  say short_read_arrived "${arrived:-none}"
  [ $status -eq 1 ] && grep -q '^FAIL' /tmp/short-update.out && [ "$arrived" = "$SHORT_BYTES" ] &&
    ! grep -q '^\[df 0[0-9a-f] 00 02 .* fb\] out' /tmp/short-update.out
  verdict short_read_update_fail $?
  config_block /tmp/short-after.bin
  [ -s /tmp/short-before.bin ] && cmp -s /tmp/short-before.bin /tmp/short-after.bin
  verdict short_read_block_unchanged $?
}

step_refused_read_back() {
  # The read-back's READ BUFFER that covers FAULT_OFFSET is refused with
  # ILLEGAL REQUEST, INVALID FIELD IN CDB, which the SCSI layer does not
  # retry. What tq214 learns of the sense: the command's own (handed back by
  # SG_IO), shown on its trace line, and the REQUEST SENSE that follows.
  say refused_read_back "the read-back's READ BUFFER at $FAULT_OFFSET: ILLEGAL REQUEST, INVALID FIELD IN CDB"
  detach
  stop_gadget
  start_gadget --fail-read-back-at $FAULT_OFFSET && attach
  verdict refused_attach $?
  config_block /tmp/refused-before.bin
  : > /run/commands
  start=$(now_us)
  tq214 --trace update --yes >/tmp/refused-update.out 2>&1
  status=$?
  say time_refused_update_ms $(( ($(now_us) - start) / 1000 ))
  # The failed commands, REQUEST SENSE, and the rest of the output.
  awk '/^\[3c 01 / && !/\] in [0-9]+ ok/ || /^\[03 / || /^[^[]/' \
    /tmp/refused-update.out >/tmp/refused-update.shown
  show "tq214 update (refused read-back)" /tmp/refused-update.shown
  if [ $status -eq 1 ] && grep -qx FAIL /tmp/refused-update.out; then
    say refused_update FAIL
  else
    say refused_update "unexpected(exit=$status)"
    FAILURES=$((FAILURES + 1))
  fi
  # The failed READ BUFFER's line, and the REQUEST SENSE right after it.
  awk 'failed && /^\[03 / { print; exit }
    !failed && /^\[3c 01 / && !/\] in [0-9]+ ok/ { print; failed = 1 }' \
    /tmp/refused-update.out >/tmp/refused-pair
  own=$(sed -n '1s/.*, sense //p' /tmp/refused-pair)
  reply=$(sed -n '2s/^\[03 [^]]*\] in [0-9]* [^:]*: //p' /tmp/refused-pair)
  say sense_own "${own:-none}"
  say sense_reply "${reply:-none}"
  # What the device saw: how often the refused command came (a retry by the
  # host would show here) and what followed it.
  cdb=$(sed -n '1s/^\(\[[^]]*\]\).*/\1/p' /tmp/refused-pair)
  if [ -n "$cdb" ]; then
    say refused_device_count "$(grep -cF "$cdb" /run/commands)"
    say refused_device_sequence "$(grep -F -A 2 -m 1 "$cdb" /run/commands | paste -sd ';' -)"
  fi
  grep -q '^tq214: .*(the device answered ILLEGAL REQUEST, INVALID FIELD IN CDB)$' \
    /tmp/refused-update.out
  verdict refused_sense_named $?
  config_block /tmp/refused-after.bin
  [ -s /tmp/refused-before.bin ] && cmp -s /tmp/refused-before.bin /tmp/refused-after.bin
  verdict refused_config_unchanged $?
}

# The sessions recorded in the guest, to the console for the harness to take
# out: "SESSION-BEGIN name", the file in base64, "SESSION-END name".
step_sessions() {
  for name in info update; do
    file=/tmp/$name-session.json
    [ -s "$file" ] || { say "session_$name" missing; continue; }
    echo "SESSION-BEGIN $name"
    base64 "$file"
    echo "SESSION-END $name"
    say "session_$name" "$(wc -c <"$file")"
  done
}

# --- several enclosures, one per controller ---------------------------------
# Enclosure 0 is the gadget above (on the first controller); 1 to 3 are
# gadgets of their own, each with its FunctionFS and its device program.
station_ffs() { if [ "$1" -eq 0 ]; then echo "$FFS"; else echo "/dev/ffs-station$1"; fi; }
station_gadget() { if [ "$1" -eq 0 ]; then echo "$G"; else echo "/sys/kernel/config/usb_gadget/station$1"; fi; }
make_station_gadget() {
  g=$(station_gadget "$1")
  mkdir "$g" "$g/strings/0x409" "$g/configs/c.1" "$g/configs/c.1/strings/0x409" || return 1
  echo 0x6b21 > "$g/idVendor"
  echo 0x0640 > "$g/idProduct"
  echo 0x0200 > "$g/bcdUSB"
  echo Orvexa > "$g/strings/0x409/manufacturer"
  echo "TQ-214 Enclosure" > "$g/strings/0x409/product"
  echo "000000000000${1}214" > "$g/strings/0x409/serialnumber"  # each unit its own
  mkdir "$g/functions/ffs.station$1" || return 1
  ln -s "$g/functions/ffs.station$1" "$g/configs/c.1/" || return 1
  mkdir -p "$(station_ffs "$1")"
  mount -t functionfs "station$1" "$(station_ffs "$1")"
}
start_station() {  # k: a fresh enclosure, taking a real chip's time per piece
  ffs=$(station_ffs "$1")
  rm -f "/run/station$1.ready"
  : > "/run/station$1.commands"
  tq214-usb-gadget --ffs "$ffs" --ready "/run/station$1.ready" --piece-ms "$STATION_PIECE_MS" \
    --commands "/run/station$1.commands" 2>>"/run/station$1.log" &
  eval "STATION_PID_$1=$!"
  wait_until $GUARD test -f "/run/station$1.ready"
}
stop_station() { eval "pid=\${STATION_PID_$1:-}"; [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; }
bind_station() { echo "dummy_udc.$1" > "$(station_gadget "$1")/UDC"; }
unbind_station() { echo "" > "$(station_gadget "$1")/UDC" 2>/dev/null; }
disk_count() {
  n=0
  for block in /sys/block/sd*; do
    [ -e "$block/device" ] && [ "$(cat "$block/size" 2>/dev/null || echo 0)" -gt 0 ] && n=$((n + 1))
  done
  echo "$n"
}
disks_are() { [ "$(disk_count)" -eq "$1" ]; }
# Fresh enclosures 0 to N-1, attached; everything else detached.
station_fresh() {
  k=0
  while [ $k -lt $STATION_MAX ]; do unbind_station $k; stop_station $k; k=$((k + 1)); done
  wait_until $GUARD disks_are 0 || return 1
  k=0
  while [ $k -lt "$1" ]; do start_station $k || return 1; bind_station $k || return 1; k=$((k + 1)); done
  wait_until $GUARD disks_are "$1"
}

step_station() {
  detach
  stop_gadget
  k=1
  while [ $k -lt $STATION_MAX ]; do make_station_gadget $k || break; k=$((k + 1)); done
  say station_controllers "$(ls /sys/class/udc | wc -l)"
  status=0
  for n in 1 2 4; do
    station_fresh $n || { status=1; say "station_attach_$n" fail; continue; }
    start=$(now_us)
    tq214 update --all --yes >/tmp/station-$n.out 2>&1
    code=$?
    wall=$(( $(now_us) - start ))
    passed=$(grep -cE '  PASS$' /tmp/station-$n.out)
    show "tq214 update --all ($n)" /tmp/station-$n.out
    say "time_station_${n}_us" "$wall"
    eval "STATION_US_$n=$wall"
    say "station_${n}_passed" "$passed"
    [ $code -eq 0 ] && [ "$passed" -eq $n ] || status=1
  done
  verdict station_update_all $status
  # One after another would take N times as long as one.
  for n in 2 4; do
    eval "wall=\${STATION_US_$n:-0}"
    say "station_ratio_${n}_to_1" "$(awk -v a="$wall" -v b="${STATION_US_1:-0}" \
      'BEGIN { if (b > 0) printf "%.2f", a / b; else print "none" }')"
  done

  # The watch: one enclosure there at the start, a second plugged in later.
  station_fresh 1
  start_station 1
  tq214 watch --update --yes >/tmp/watch.out 2>&1 &
  watch=$!
  wait_until $GUARD grep -q ': PASS\. ' /tmp/watch.out
  bind_station 1
  wait_until $GUARD sh -c "[ \$(grep -c ': PASS\. ' /tmp/watch.out) -ge 2 ]"
  # A background job starts with SIGINT ignored: SIGTERM asks it to end.
  kill -TERM $watch
  wait $watch
  code=$?
  show "tq214 watch --update" /tmp/watch.out
  arrivals=$(grep -c '^+ ' /tmp/watch.out)
  passes=$(grep -c ': PASS\. ' /tmp/watch.out)
  say station_watch_arrivals "$arrivals"
  say station_watch_passes "$passes"
  [ $code -eq 0 ] && [ "$arrivals" -eq 2 ] && [ "$passes" -eq 2 ]
  verdict station_watch $?
  k=0
  while [ $k -lt $STATION_MAX ]; do unbind_station $k; stop_station $k; k=$((k + 1)); done
}

# --- another unit in the examined one's place --------------------------------
# Enclosure A (station 0) alone is examined; at the moment given, A is
# unplugged and B (station 1, its own serial number) plugged in. B must see no
# data-out command (no WRITE BUFFER, no configuration-block write) and the
# output must say what happened.
sd_nodes() { ls /sys/block | grep '^sd' | paste -sd ' ' -; }
out_commands() { grep -c ' out ' "/run/station$1.commands"; }
# swap_case NAME WHEN ARGS...: WHEN "question" (answered y after the swap) or
# "download" (after A has taken 5 pieces).
swap_case() {
  name=$1 when=$2
  shift 2
  station_fresh 1 || return 1
  start_station 1 || return 1
  a_node=$(sd_nodes)
  rm -f /tmp/swap.in && mkfifo /tmp/swap.in
  tq214 "$@" </tmp/swap.in >"/tmp/swap-$name.out" 2>&1 &
  pid=$!
  exec 7>/tmp/swap.in
  if [ "$when" = question ]; then
    wait_until $GUARD grep -q 'Perform update?' "/tmp/swap-$name.out"
  else
    wait_until $GUARD sh -c "[ \$(grep -c '^\[3b' /run/station0.commands) -ge 5 ]"
  fi
  unbind_station 0
  wait_until $GUARD disks_are 0
  bind_station 1
  wait_until $GUARD disks_are 1
  b_node=$(sd_nodes)
  echo y >&7
  exec 7>&-
  wait $pid
  code=$?
  show "tq214 $* ($name)" "/tmp/swap-$name.out"
  # Whether B took A's node: with A's handle still open the kernel keeps
  # A's name, so B usually gets another.
  say "swap_${name}_nodes" "$a_node>$b_node"
  say "swap_${name}_exit" "$code"
  say "swap_${name}_b_out_commands" "$(out_commands 1)"
  said=$(tr -d ' \n' <"/tmp/swap-$name.out")
  case "$said" in
    *theenclosurechangedsinceitwasexamined*) say "swap_${name}_said" changed ;;
    *FAIL*) say "swap_${name}_said" FAIL ;;
    *) say "swap_${name}_said" other ;;
  esac
}

step_swap() {  # after step_station, whose gadgets it uses
  swap_case question question update
  swap_case all_question question update --all
  swap_case download download update --yes
  k=0
  while [ $k -lt $STATION_MAX ]; do unbind_station $k; stop_station $k; k=$((k + 1)); done
}

step_figures() {
  if [ -r /proc/timer_list ]; then say guest_clock timer_list; else say guest_clock uptime; fi
  say time_sg_write_buffer_download_runs_us "${SG_RUNS:-none}"
  say time_tq214_download_runs_us "${TQ_RUNS:-none}"
  say time_sg_write_buffer_wall_runs_us "${SG_WALL_RUNS:-none}"
  say time_tq214_update_total_runs_us "${TQ_UPDATE_RUNS:-none}"
  sg=$(median "${SG_RUNS:-0}")
  tq=$(median "${TQ_RUNS:-0}")
  say time_sg_write_buffer_download_us "$sg"
  say time_tq214_download_us "$tq"
  say time_sg_write_buffer_wall_us "$(median "${SG_WALL_RUNS:-0}")"
  say time_tq214_update_total_us "$(median "${TQ_UPDATE_RUNS:-0}")"
  if [ "$sg" -gt 0 ] && [ "$tq" -gt 0 ]; then
    say download_ratio_tq214_to_sg "$(awk -v a="$tq" -v b="$sg" 'BEGIN { printf "%.2f", a / b }')"
  else
    say download_ratio_tq214_to_sg none
  fi
}


# --- the Windows build under Wine (the stage tq214_stage=wine) --------------
# The host's files, read-only over 9p, under a writable overlay in memory: the
# host's Wine runs there in a chroot, with the guest's devices. The prefix was
# made on the host; its drive E: is made the gadget's disk ("e::", a device),
# so that tq214.exe's "\\.\E:" is that node and its pass-through records
# become SG_IO on it.
ROOT=/wine-root
WINE_DRIVE='\\.\E:'
cmdline_value() { sed -n "s/.* $1=\([^ ]*\).*/\1/p" /proc/cmdline; }

mount_host_root() {
  mkdir -p /host /rw "$ROOT" || return 1
  mount -t 9p -o trans=virtio,version=9p2000.L,ro,msize=512000,cache=loose host /host || return 1
  mount -t tmpfs tmpfs /rw && mkdir -p /rw/upper /rw/work || return 1
  mount -t overlay overlay -o lowerdir=/host,upperdir=/rw/upper,workdir=/rw/work "$ROOT" || return 1
  # The host's /tmp stays (the checkout may be there), but Wine's server
  # directory starts empty (the host's may hold its own server's socket),
  # private to its owner as Wine requires.
  mkdir -p "$ROOT/tmp/.wine-0" || return 1
  mount -t proc proc "$ROOT/proc" && mount -t sysfs sysfs "$ROOT/sys" &&
    mount -o bind /dev "$ROOT/dev" && mount -t tmpfs -o mode=0700 tmpfs "$ROOT/tmp/.wine-0" &&
    mount -t tmpfs tmpfs "$ROOT/run"
}
# in_root COMMAND...: a program of the host in the chroot, with Wine's
# settings and the test-only switch when it is exported.
in_root() {
  chroot "$ROOT" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/root WINEPREFIX="$WINE_PREFIX" \
    WINEDEBUG="${WINE_DEBUG:--all}" WINEDLLOVERRIDES="mscoree,mshtml=" ${DISPLAY:+DISPLAY=$DISPLAY} \
    TQ214_TEST_ONLY_WRITE_STAND_IN="${TQ214_TEST_ONLY_WRITE_STAND_IN:-}" "$@"
}
# tq214.exe's output (standard error within) with Windows' line ends made
# Linux ones, and its exit code.
tq214_exe() {
  in_root wine "$WINE_EXE" "$@" >/tmp/tq214-exe.raw 2>&1
  exe_status=$?
  tr -d '\r' </tmp/tq214-exe.raw
  return $exe_status
}
# E: follows the disk: its node changes when the device is attached again.
link_drive() { ln -sfn "$DISK" "$ROOT$WINE_PREFIX/dosdevices/e::"; }
# timed NAME COMMAND...: runs it; its time in ms goes to the console as
# time_NAME_ms, also when its output goes elsewhere.
timed() {
  name=$1
  shift
  start=$(now_us)
  "$@"
  STATUS=$?
  say "time_${name}_ms" $(( ($(now_us) - start) / 1000 )) >&3
  return $STATUS
}
# compare_commands KEY REFERENCE [WHO]: the commands the device saw since the
# file was emptied, against REFERENCE, line for line: "equal(N)" or where they
# part; WHO (wine) names the program under test.
compare_commands() {
  cp /run/commands "/tmp/$1.commands"
  if [ -s "$2" ] && cmp -s "$2" "/tmp/$1.commands"; then
    say "$1" "equal($(wc -l <"$2"))"
    return 0
  fi
  line=$(cmp "$2" "/tmp/$1.commands" 2>&1 | sed -n 's/.* line \([0-9]*\).*/\1/p')
  say "$1" "differ(linux=$(wc -l <"$2"),${3:-wine}=$(wc -l <"/tmp/$1.commands"),line=${line:-?})"
  diff "$2" "/tmp/$1.commands" | head -n 20 | sed "s/^/guest: $1: /"
  FAILURES=$((FAILURES + 1))
  return 1
}
fresh_gadget() {  # a new enclosure (firmware 21.32.0.1), attached, with E: on it
  detach
  stop_gadget
  start_gadget "$@" && attach && link_drive
}

step_wine_root() {
  WINE_PREFIX=$(cmdline_value tq214_wine_prefix)
  WINE_EXE=$(cmdline_value tq214_wine_exe)
  say wine_exe "$WINE_EXE"
  # wine_services_up, shared with the host's tests (tests/support/wine/).
  # shellcheck disable=SC1091 # the initramfs's copy of that script
  . /bin/wine-desktop.sh && mount_host_root && [ -f "$ROOT$WINE_PREFIX/system.reg" ] && [ -f "$ROOT$WINE_EXE" ] &&
    link_drive
  status=$?
  verdict wine_root $status
  [ $status -eq 0 ] || return 1
  # Wine's server (it stays) and its services first, alone: when they do not
  # start, Wine's own start failed, a failure of the environment that the
  # harness tells apart from one of tq214.exe. No display: no desktop to wait for.
  start=$(now_us)
  in_root wineserver -p
  wine_services_up in_root >/tmp/wine-services.out 2>&1
  status=$?
  say time_wine_services_ms $(( ($(now_us) - start) / 1000 ))
  show "Wine's start" /tmp/wine-services.out
  if [ $status -ne 0 ]; then
    say environment "fail(Wine's services did not start)"
    return 1
  fi
  timed wine_first_run tq214_exe --version >/tmp/wine-version.out 2>&1
  status=$?
  show "tq214.exe --version" /tmp/wine-version.out
  [ $status -eq 0 ] && grep -q '^tq214 ' /tmp/wine-version.out
  verdict wine_start $?
}

step_linux_reference() {
  # What the Linux build sends, on a fresh enclosure: its info and update.
  : > /run/commands
  tq214 info >/tmp/linux-info.out 2>&1
  cp /run/commands /tmp/linux-info.reference
  : > /run/commands
  timed linux_update tq214 update --yes >/tmp/linux-update.out 2>&1
  status=$?
  cp /run/commands /tmp/linux-update.reference
  [ $status -eq 0 ] && grep -qx PASS /tmp/linux-update.out
  verdict linux_update $?
  fresh_gadget
  verdict wine_attach $?
}

step_wine_info_update() {
  : > /run/commands
  timed wine_info tq214_exe --device "$WINE_DRIVE" info >/tmp/wine-info.out 2>&1
  status=$?
  show "tq214.exe info" /tmp/wine-info.out
  [ $status -eq 0 ] && grep -qF "Device: $WINE_DRIVE  unknown  no serial  \"Orvexa  TQ-214 Enclosure\"" \
    /tmp/wine-info.out && grep -qF 'Chip FW Version[  21.32.00.01  ]' /tmp/wine-info.out
  verdict wine_info $?
  compare_commands wine_info_commands /tmp/linux-info.reference

  : > /run/commands
  : > /run/gadget.stats
  timed wine_update tq214_exe --device "$WINE_DRIVE" update --yes >/tmp/wine-update.out 2>&1
  status=$?
  show "tq214.exe update" /tmp/wine-update.out
  last_download
  say wine_download_pieces "$DOWNLOAD_PIECES"
  say time_wine_download_us "$DOWNLOAD_US"
  if [ $status -eq 0 ] && grep -qx PASS /tmp/wine-update.out; then
    say wine_update PASS
  else
    say wine_update "FAIL(exit=$status)"
    FAILURES=$((FAILURES + 1))
  fi
  compare_commands wine_update_commands /tmp/linux-update.reference
}

step_wine_reattach() {
  reattach && link_drive
  verdict wine_reattach $?
  tq214_exe --device "$WINE_DRIVE" info >/tmp/wine-info-after.out 2>&1
  status=$?
  show "tq214.exe info (re-attached)" /tmp/wine-info-after.out
  [ $status -eq 0 ] && grep -qF 'Chip FW Version[  21.32.00.03  ] Up to date' /tmp/wine-info-after.out
  verdict wine_info_after $?
}

step_wine_fault() {
  # As in the Linux run: every read-back flips the byte at FAULT_OFFSET.
  fresh_gadget --flip-read-back $FAULT_OFFSET
  verdict wine_fault_attach $?
  config_block /tmp/wine-config-before.bin
  timed wine_fault_update tq214_exe --device "$WINE_DRIVE" update --yes >/tmp/wine-fault.out 2>&1
  status=$?
  show "tq214.exe update (fault)" /tmp/wine-fault.out
  if [ $status -eq 1 ] && grep -qx FAIL /tmp/wine-fault.out; then
    say wine_fault_update FAIL
  else
    say wine_fault_update "unexpected(exit=$status)"
    FAILURES=$((FAILURES + 1))
  fi
  config_block /tmp/wine-config-after.bin
  [ -s /tmp/wine-config-before.bin ] && cmp -s /tmp/wine-config-before.bin /tmp/wine-config-after.bin
  verdict wine_fault_config_unchanged $?
}

step_wine_short_read() {
  # The patch's block read (the third: one here, one by the update's
  # device-information run) delivers 128 of 512 bytes with good status: what
  # tq214.exe learns of it comes from the record's DataTransferLength.
  fresh_gadget --short-block-read 3
  verdict wine_short_attach $?
  config_block /tmp/wine-short-before.bin
  tq214_exe --trace --device "$WINE_DRIVE" update --yes >/tmp/wine-short.out 2>&1
  status=$?
  grep -E '^\[df |^[^[]' /tmp/wine-short.out >/tmp/wine-short.shown
  show "tq214.exe update (short block read)" /tmp/wine-short.shown
  arrived=$(grep -F '[df 10 00 02 00 00 00 00 00 d0 00 fa] in 512 ok (' /tmp/wine-short.out |
    sed -n 's/.*(\([0-9]*\) arrived).*/\1/p' | head -n 1)
  say wine_short_read_arrived "${arrived:-none}"
  config_block /tmp/wine-short-after.bin
  [ $status -eq 1 ] && grep -qx FAIL /tmp/wine-short.out && [ "$arrived" = "$SHORT_BYTES" ] &&
    ! grep -q '^\[df 0[0-9a-f] 00 02 .* fb\] out' /tmp/wine-short.out &&
    [ -s /tmp/wine-short-before.bin ] && cmp -s /tmp/wine-short-before.bin /tmp/wine-short-after.bin
  verdict wine_short_read_update_fail $?
}

wine_stage() {
  step_attach
  [ -n "$SG" ] || return
  step_wine_root || return
  # The updates write the virtual enclosure through the real USB stack on purpose.
  export TQ214_TEST_ONLY_WRITE_STAND_IN=1
  step_linux_reference
  step_wine_info_update
  step_wine_reattach
  step_wine_fault
  step_wine_short_read
}

# --- the updater window under Wine (the stage tq214_stage=window) -----------
# The unmodified window program finds the enclosure by itself, as on Windows.
# What Windows' plug-and-play manager would present to it comes from the
# kernel's own events: this script's handler (pnp_event, run by busybox's
# uevent for each event) names the disk as Windows would, links that name in
# the prefix's dosdevices to the disk's node and tells the stand-in
# (tq214-pnp-standin.exe), which writes the disk interface Wine's SetupAPI
# lists and broadcasts the device change. The window runs once, on an X
# server of the guest's own; tq214-window-driver.exe, one process for the
# whole session, reads and presses its controls. The gadget's own command
# log is the witness of what the window sent.
DISK_INTERFACE_CLASS='{53f56307-b6bf-11d0-94f2-00a0c91efb8b}'
X_DISPLAY=:9
EXCHANGE=/run/window        # in the chroot; the files the Wine programs read and write
EXCHANGE_WIN='Z:\run\window'
PNP_RECORDS=/run/pnp        # what each disk node was announced as
UNPLUG_PIECE_MS=100         # each piece's time while an unplugging is staged
UNPLUG_AFTER_PIECES=10      # the pieces the gadget takes before it is unplugged
WINE_DESKTOP_SECONDS=1200   # a guard against a hang of Wine's start, not a wait:
                            # under load its explorer was still starting after 300 s
WINDOW_SECONDS=600          # what the driver gives the window for any change it waits for
DRIVE_GUARD=$(( (WINDOW_SECONDS + 300) * 10 ))  # tenths: the driver answers well before
SEVERAL_DRIVES_BOX='Multiple USB hard drives are attached.\nPlease disconnect all drives\n except the one that needs to be updated.'

# A SCSI identification field as Windows spells it in an instance id:
# trailing blanks cut, blanks and commas as "_".
pnp_field() { sed -e 's/[[:space:]]*$//' "$1" | tr ' ,' '__'; }

# One kernel event (busybox uevent's environment: ACTION, DEVNAME, DEVPATH,
# SUBSYSTEM, DEVTYPE). A USB disk that arrives is named
# USBSTOR\Disk&Ven_V&Prod_P&Rev_R\SERIAL&0 from the kernel's view of it (the
# SCSI device's vendor, model and revision, the USB device's serial), its
# interface name is linked to its node, and "arrive" goes to the stand-in;
# when it goes, the link goes and "leave" follows.
pnp_event() {
  [ "$SUBSYSTEM" = block ] && [ "$DEVTYPE" = disk ] || return 0
  name=${DEVNAME##*/}
  record=$PNP_RECORDS/$name
  dosdevices=$ROOT$WINE_PREFIX/dosdevices
  case $ACTION in
    add)
      device=$(readlink -f "/sys$DEVPATH/device")
      usb=${device%/*}
      while [ -n "$usb" ] && ! { [ -f "$usb/serial" ] && [ -f "$usb/idVendor" ]; }; do
        usb=${usb%/*}
      done
      [ -n "$usb" ] && [ -f "$device/vendor" ] || return 0
      id="Disk&Ven_$(pnp_field "$device/vendor")&Prod_$(pnp_field "$device/model")&Rev_$(pnp_field "$device/rev")"
      serial=$(cat "$usb/serial")
      instance="USBSTOR\\$id\\$serial&0"
      link=$(echo "usbstor#$id#$serial&0#$DISK_INTERFACE_CLASS" | tr '[:upper:]' '[:lower:]')
      # The link's target is a node of the disk's device number made once and
      # kept: Wine's pass-through remembers the first five nodes a process
      # used, by inode, and refuses every node after them
      # (dlls/ntdll/unix/cdrom.c, CDROM_Open: MAX_CACHE_ENTRIES), and each
      # arrival of a disk makes a new /dev/sdX.
      number=$(cat "/sys$DEVPATH/dev")
      node=/dev/tq214-disk-${number%:*}-${number#*:}
      [ -b "$node" ] || mknod "$node" b "${number%:*}" "${number#*:}" || return 0
      ln -sfn "$node" "$dosdevices/$link"
      printf '%s\n%s\n%s\n' "$instance" "$link" "$node" >"$record"
      # For the harness's witness: what each gadget had received when the
      # disk was announced, after the kernel's own probe of it.
      for log in /run/commands /run/commands-2; do
        [ -f "$log" ] && wc -l <"$log" >"$log.at-arrival"
      done
      echo "arrive $instance" >>"$ROOT$EXCHANGE/pnp.lines"
      ;;
    remove)
      [ -f "$record" ] || return 0
      { read -r instance; read -r link; read -r node; } <"$record"
      rm -f "$record"
      # A new disk of the same unit may have taken the name already.
      [ "$(readlink "$dosdevices/$link")" = "$node" ] && rm -f "$dosdevices/$link"
      echo "leave $instance" >>"$ROOT$EXCHANGE/pnp.lines"
      ;;
    *) return 0 ;;
  esac
  echo "$(now_us) $ACTION $name $instance" >>/run/pnp.log
}

# The driver: drive_send COMMAND... hands it a command and waits until it has
# begun; drive_result waits for its answer (in /tmp/drive.out) and returns
# its status; drive does both. Each wait the driver is given ends as soon as
# what it waits for is there: WINDOW_SECONDS is a guard against a hang, and
# so is DRIVE_GUARD, which the driver's own answer comes well within.
DRIVE_N=0
drive_send() {
  rm -f /tmp/drive.out
  DRIVE_N=$((DRIVE_N + 1))
  echo "$*" >>"$ROOT$EXCHANGE/driver.in"
  wait_until $DRIVE_GUARD grep -qw "^begin $DRIVE_N" "$ROOT$EXCHANGE/driver.out"
}
drive_result() {
  wait_until $DRIVE_GUARD grep -q "^end $DRIVE_N " "$ROOT$EXCHANGE/driver.out"
  tr -d '\r' <"$ROOT$EXCHANGE/driver.out" | sed -n "/^begin $DRIVE_N\$/,/^end $DRIVE_N /p" >/tmp/drive.out
  answer=$(sed -n "s/^end $DRIVE_N \([0-9]*\)\$/\1/p" /tmp/drive.out)
  return "${answer:-9}"
}
drive() { drive_send "$@" && drive_result; }
# got KEY: a value of the driver's last answer.
got() { sed -n "s/^$1=//p" /tmp/drive.out 2>/dev/null | tail -n 1; }
# The five lines of the last answer, one a line.
got_lines() { for n in 1 2 3 4 5; do got "line$n"; done; }
# commands_since_arrival LOG: what the gadget received after the kernel's probe
# of its last arrival.
commands_since_arrival() {
  tail -n +$(($(cat "$1.at-arrival" 2>/dev/null || echo 0) + 1)) "$1"
}
# run_began N: the time of run N, at its start (the time of the previous run
# goes to the console).
run_began() {
  [ -n "${RUN_STARTED:-}" ] && say "time_window_run_${RUN_NUMBER}_ms" $(( ($(now_us) - RUN_STARTED) / 1000 ))
  RUN_NUMBER=$1
  RUN_STARTED=$(now_us)
  [ -n "$1" ] && echo "guest: window stage: run $1"
}
pieces_received() { grep -c '^\[3b 0e ' /run/commands; }
# In the window's trace (lines "SECONDS.MS:THREAD:trace:CHANNEL:..."): the order
# of its last device-change message, its refresh timer's WM_TIMER and the
# refresh's enumeration of disks that follow, and the milliseconds from the
# message to the enumeration: "message,timer,refresh 512", "none none" without
# a message. A refresh the message started itself reads "message,refresh".
REFRESH_TIMER_WP=65           # the window's refresh timer, id 101
refresh_after_last_change() {
  awk -v wp="$REFRESH_TIMER_WP" '
    function ms(line) { split(line, f, ":"); return f[1] * 1000 }
    /:trace:msg:peek_message got .*\(WM_DEVICECHANGE\)/ { message = ms($0); order = "message"; timer = 0; refresh = ""; next }
    message == "" || refresh != "" { next }
    !timer && $0 ~ ("\\(WM_TIMER\\) hwnd (0x)?[0-9a-f]+ wp " wp " ") { timer = 1; order = order ",timer"; next }
    /:trace:setupapi:SetupDiGetClassDevs/ { refresh = ms($0); order = order ",refresh" }
    END {
      if (refresh == "") print (message == "" ? "none" : order), "none"
      else printf "%s %d\n", order, refresh - message
    }'
}
has_pieces() { [ "$(pieces_received)" -ge "$1" ]; }
block_writes() { grep -c '^\[df 0[0-9a-f] 00 02 .* fb\] out' /run/commands; }

# The gadget goes; once the window says so, a new one (firmware 21.32.0.1,
# with the given options) comes, and the window has read it.
window_fresh_gadget() {
  drive_send wait $WINDOW_SECONDS 1 "No available device !!" || return 1
  detach
  stop_gadget
  drive_result || { show "window (detached)" /tmp/drive.out; return 1; }
  start_gadget "$@" || return 1
  : >/run/commands
  drive_send wait $WINDOW_SECONDS 5 "Chip FW Version[" || return 1
  traced=$(wc -l </run/window.log)
  if ! { attach && drive_result; }; then
    show "window (attached)" /tmp/drive.out
    show "gadget's commands" /run/commands
    for entry in "$ROOT$WINE_PREFIX"/dosdevices/*; do
      echo "guest: dosdevices: ${entry##*/} -> $(readlink "$entry")"
    done
    for fd in /proc/[0-9]*/fd/*; do
      case $(readlink "$fd") in
        /dev/sd* | /dev/tq214-disk*) echo "guest: open disk node: $fd -> $(readlink "$fd")" ;;
      esac
    done
    tail -n +$((traced + 1)) /run/window.log | tr -d '\r' | grep -iE 'usbstor|setupdi|cdrom|err' |
      tail -n 120 | sed 's/^/guest: window trace: /'
    return 1
  fi
}

step_window_reference() {
  # What the Linux build sends on a fresh enclosure, and the configuration
  # block before and after its update.
  config_block /tmp/block-fresh.bin
  : >/run/commands
  tq214 info >/tmp/linux-info.out 2>&1
  cp /run/commands /tmp/linux-info.reference
  show "tq214 info" /tmp/linux-info.out
  identity_lines /tmp/linux-info.out >/tmp/linux-info.lines
  : >/run/commands
  timed linux_update tq214 update --yes >/tmp/linux-update.out 2>&1
  status=$?
  cp /run/commands /tmp/linux-update.reference
  config_block /tmp/block-patched.bin
  say linux_info_commands "$(wc -l </tmp/linux-info.reference)"
  say linux_update_commands "$(wc -l </tmp/linux-update.reference)"
  [ $status -eq 0 ] && grep -qx PASS /tmp/linux-update.out && [ -s /tmp/block-fresh.bin ] &&
    [ -s /tmp/block-patched.bin ] && ! cmp -s /tmp/block-fresh.bin /tmp/block-patched.bin
  verdict linux_update $?
}

step_window_session() {
  WINE_PREFIX=$(cmdline_value tq214_wine_prefix)
  WIN32_BUILD=$(cmdline_value tq214_win32_build)
  WINDOW_EXE=$WIN32_BUILD/src/app/Tessaloft_Orvexa_TQ-214.exe
  STANDIN_EXE=$WIN32_BUILD/tools/wine-pnp/tq214-pnp-standin.exe
  DRIVER_EXE=$WIN32_BUILD/tests/harness/window/tq214-window-driver.exe
  DESKTOP_CHECK_EXE=$WIN32_BUILD/tests/support/wine/wine-desktop-check.exe
  export ROOT WINE_PREFIX PNP_RECORDS
  # wine_desktop_up, shared with the host's tests (tests/support/wine/).
  . /bin/wine-desktop.sh && mount_host_root && [ -f "$ROOT$WINE_PREFIX/system.reg" ] && [ -f "$ROOT$WINDOW_EXE" ] &&
    [ -f "$ROOT$STANDIN_EXE" ] && [ -f "$ROOT$DRIVER_EXE" ] && [ -f "$ROOT$DESKTOP_CHECK_EXE" ] &&
    mkdir -p "$ROOT$EXCHANGE" "$PNP_RECORDS" "$ROOT/tmp/.X11-unix" &&
    : >"$ROOT$EXCHANGE/pnp.lines" && : >"$ROOT$EXCHANGE/driver.in" && : >"$ROOT$EXCHANGE/driver.out"
  status=$?
  verdict wine_root $status
  [ $status -eq 0 ] || return 1

  # The host's X server, in the chroot, on a socket directory of its own.
  start=$(now_us)
  mount -t tmpfs -o mode=1777 tmpfs "$ROOT/tmp/.X11-unix" && rm -f "$ROOT/tmp/.X${X_DISPLAY#:}-lock"
  # Wine takes its first screen to be 1024 x 768 here, and centres the window on it.
  chroot "$ROOT" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/root \
    Xvfb "$X_DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/run/xvfb.log 2>&1 &
  wait_until $GUARD test -S "$ROOT/tmp/.X11-unix/X${X_DISPLAY#:}"
  verdict window_display $?
  say time_window_display_ms $(( ($(now_us) - start) / 1000 ))
  export DISPLAY=$X_DISPLAY
  # Wine's own errors go to the programs' logs, shown when a step fails.
  WINE_DEBUG=fixme-all
  # No window manager: Wine draws the frame and caption itself, with the
  # symbol font of the caption buttons where this Wine finds it.
  printf '\n[Software\\\\Wine\\\\X11 Driver] 1\n"Decorated"="N"\n' >>"$ROOT$WINE_PREFIX/user.reg"
  cp "$ROOT/usr/share/wine/fonts/marlett.ttf" "$ROOT$WINE_PREFIX/drive_c/windows/Fonts/" 2>/dev/null

  # The kernel's events from here on; then a fresh enclosure arrives.
  uevent sh -c 'exec /init pnp-event' >/dev/null 2>/run/pnp-uevent.log &
  detach
  stop_gadget
  start_gadget && attach
  verdict window_attach $?

  # Wine's server, its services and its desktop on the X server first, with
  # none of the programs started (wine-desktop.sh). When they do not come up,
  # Wine's own start failed: a failure of the environment, which the harness
  # tells apart from one of the programs.
  start=$(now_us)
  export WINEPREFIX="$WINE_PREFIX"
  in_root wineserver -p
  # The check that finds it up stays for the whole stage, holding it.
  wine_desktop_up "$DESKTOP_CHECK_EXE" "$WINE_DESKTOP_SECONDS" 0 in_root >/tmp/wine-desktop.out 2>&1
  status=$?
  say time_wine_desktop_ms $(( ($(now_us) - start) / 1000 ))
  show "Wine's start" /tmp/wine-desktop.out
  verdict wine_desktop $status
  if [ $status -ne 0 ]; then
    say environment "fail(Wine's desktop did not come up)"
    window_diagnostics
    return 1
  fi

  # Then the stand-in, alone.
  start=$(now_us)
  in_root wine "$STANDIN_EXE" "$EXCHANGE_WIN\\pnp.lines" >"$ROOT$EXCHANGE/pnp.out" 2>/run/standin.err &
  wait_until $GUARD grep -q '^done 1: arrive ' "$ROOT$EXCHANGE/pnp.out"
  status=$?
  verdict window_standin $status
  say time_window_standin_ms $(( ($(now_us) - start) / 1000 ))
  say window_instance "$(sed -n 1p "$PNP_RECORDS/${DISK#/dev/}" 2>/dev/null)"
  say window_interface_link "$(sed -n 2p "$PNP_RECORDS/${DISK#/dev/}" 2>/dev/null)"
  [ $status -eq 0 ] || { window_diagnostics; return 1; }

  # The window, started once with the enclosure there (it writes the gadget
  # on purpose: the test-only switch is exported), and the driver.
  : >/run/commands
  WINDOW_STARTED=$(now_us)
  # Its trace, each line stamped by the window's own clock (+timestamp): the
  # messages it takes (+msg), its device enumeration (+setupapi) and
  # pass-through (+cdrom).
  WINE_DEBUG=fixme-all,+timestamp,+msg,+setupapi,+cdrom in_root wine "$WINDOW_EXE" >/run/window.log 2>&1 &
  in_root wine "$DRIVER_EXE" serve "$EXCHANGE_WIN\\driver.in" >"$ROOT$EXCHANGE/driver.out" \
    2>/run/driver.err &
}

# What the Wine programs, the X server and the event handler said.
window_diagnostics() {
  echo "guest: window stage: processes:"
  ps | sed -e '/ \[/d' -e 's/^/guest: ps: /'
  for log in /run/xvfb.log /run/standin.err /run/driver.err /run/window.log; do
    tail -n 60 "$log" 2>/dev/null | tr -d '\r' | sed "s|^|guest: ${log#/run/}: |"
  done
  tr -d '\r' <"$ROOT$EXCHANGE/driver.out" | tail -n 30 | sed 's/^/guest: driver: /'
}

step_window_found() {
  run_began 1
  # 1. The window lists the enclosure by itself and shows its five lines.
  drive wait $WINDOW_SECONDS 5 "Chip FW Version["
  status=$?
  say time_window_start_ms $(( ($(now_us) - WINDOW_STARTED) / 1000 ))
  if [ "$(got window)" != found ]; then
    verdict window_found 1
    window_diagnostics
    return 1
  fi
  show "window (started)" /tmp/drive.out
  got_lines >/tmp/window-lines
  [ $status -eq 0 ] && [ -s /tmp/linux-info.lines ] && cmp -s /tmp/linux-info.lines /tmp/window-lines
  verdict window_found $?
  say window_line5 "$(got line5)"
  block=/sys/block/${DISK#/dev/}/device
  item="<<USB>> $(cat "$block/vendor")$(cat "$block/model")"
  say window_list "$(got list_count):$(got list_item_1)"
  [ "$(got list_count)" = 1 ] && [ "$(got list_item_1)" = "$item" ]
  verdict window_list_item $?
  [ "$(got update_visible)" = 1 ] && [ "$(got update_enabled)" = 1 ]
  verdict window_update_offered $?
  compare_commands window_found_commands /tmp/linux-info.reference window
}

step_window_update() {
  run_began 2
  # 2. Update, pressed: PASS, and the block the Linux build's update leaves.
  : >/run/gadget.stats
  drive update $WINDOW_SECONDS
  status=$?
  show "window (Update pressed)" /tmp/drive.out
  say window_update "$(got result)"
  say time_window_update_ms "$(got update_ms)"
  last_download
  say window_download_pieces "$DOWNLOAD_PIECES"
  [ $status -eq 0 ] && [ "$(got result)" = PASS ] || FAILURES=$((FAILURES + 1))
  compare_commands window_update_commands /tmp/linux-update.reference window
  window_screenshot
  config_block /tmp/window-block.bin
  cmp -s /tmp/block-patched.bin /tmp/window-block.bin
  verdict window_block_patched $?
}

# The window showing PASS, from the guest's X server, to the console for the
# harness: "SCREENSHOT-BEGIN window-pass", the PNG in base64, "SCREENSHOT-END".
window_screenshot() {
  rect=$(got rect)
  # shellcheck disable=SC2086 # left, top, width, height
  set -- $rect
  [ $# -eq 4 ] || { say window_screenshot "fail(no rectangle)"; FAILURES=$((FAILURES + 1)); return; }
  in_root import -window root -crop "${3}x${4}+${1}+${2}" +repage "$EXCHANGE/window-pass.png" \
    >/tmp/import.out 2>&1
  shot=$ROOT$EXCHANGE/window-pass.png
  if [ -s "$shot" ]; then
    echo "SCREENSHOT-BEGIN window-pass"
    base64 "$shot"
    echo "SCREENSHOT-END window-pass"
    say window_screenshot "$(wc -c <"$shot")"
  else
    show import /tmp/import.out
    say window_screenshot fail
    FAILURES=$((FAILURES + 1))
  fi
}

step_window_reattach() {
  run_began 3
  # 3. Unplugged and plugged in again (the chip starts the new firmware): the
  # window follows each change by itself, 500 ms after the last message.
  drive_send wait $WINDOW_SECONDS 1 "No available device !!"
  detach
  drive_result
  verdict window_gone $?
  show "window (detached)" /tmp/drive.out
  say window_gone_events "$(got device_change_events)"
  : >/run/commands
  drive_send wait $WINDOW_SECONDS 5 "Chip FW Version[  21.32.00.03  ] Up to date"
  traced=$(wc -l </run/window.log)
  attach
  drive_result
  status=$?
  show "window (re-attached)" /tmp/drive.out
  say window_reattach_events "$(got device_change_events)"
  # The driver's view, another process's clock: a measurement only.
  say window_lines_changed_after_ms "$(got lines_changed_after_device_change_ms)"
  [ $status -eq 0 ] && [ "$(got line5)" = "Chip FW Version[  21.32.00.03  ] Up to date" ]
  verdict window_reattach $?
  [ "$(got update_visible)" = 0 ]
  verdict window_update_hidden $?
  # The timer, not the message, starts the refresh: judged by the order in
  # the window's own trace, however busy the machine; the interval is shown.
  tail -n +$((traced + 1)) /run/window.log | tr -d '\r' | refresh_after_last_change >/tmp/refresh.order
  read -r order delay </tmp/refresh.order
  say window_refresh_order "$order"
  say window_refresh_after_ms "$delay"
  [ "$order" = message,timer,refresh ]
  verdict window_refresh_timer $?
  commands_since_arrival /run/commands >/tmp/window-reattach.commands
  cp /tmp/window-reattach.commands /run/commands
  compare_commands window_reattach_commands /tmp/linux-info.reference window
}

step_window_two() {
  run_began 4
  # 4. A second enclosure (its own gadget, serial and command log) arrives:
  # the several-drives box, over a list that holds both.
  make_station_gadget 1 || { verdict window_two_attach 1; return; }
  rm -f /run/station1.ready
  : >/run/commands-2
  tq214-usb-gadget --ffs "$(station_ffs 1)" --ready /run/station1.ready --commands /run/commands-2 \
    2>>/run/station1.log &
  eval "STATION_PID_1=$!"
  wait_until $GUARD test -f /run/station1.ready
  : >/run/commands
  drive_send box $WINDOW_SECONDS
  bind_station 1 && wait_until $GUARD disks_are 2
  verdict window_two_attach $?
  drive_result
  status=$?
  show "window (two enclosures)" /tmp/drive.out
  say window_box_text "$(got box_text)"
  [ $status -eq 0 ] && [ "$(got box_text)" = "$SEVERAL_DRIVES_BOX" ] && [ "$(got box_dismissed)" = 1 ]
  verdict window_box $?
  say window_two_list "$(got list_count)"
  [ "$(got list_count)" = 2 ] && [ "$(got list_item_1)" = "$item" ] && [ "$(got list_item_2)" = "$item" ] &&
    [ "$(got update_enabled)" = 0 ]
  verdict window_two_listed $?
  # Each gadget's own log: the window reached both, and asked both the same.
  commands_since_arrival /run/commands-2 >/tmp/window-two-second.commands
  say window_two_commands "$(wc -l </run/commands),$(wc -l </tmp/window-two-second.commands)"
  show "first gadget" /run/commands
  show "second gadget" /tmp/window-two-second.commands
  [ -s /run/commands ] && cmp -s /run/commands /tmp/window-two-second.commands
  verdict window_two_reached $?
  # The second goes again; the window is back to one.
  drive_send wait $WINDOW_SECONDS 5 "Chip FW Version["
  unbind_station 1
  drive_result
  verdict window_two_back_to_one $?
  stop_station 1
}

step_window_faults() {
  run_began 5
  # 5. A read-back that flips a byte, then a short block read: FAIL, the
  # block as it was, and after the short read no block write at all.
  window_fresh_gadget --flip-read-back $FAULT_OFFSET
  verdict window_fault_attach $?
  drive update $WINDOW_SECONDS
  show "window (read-back flipped)" /tmp/drive.out
  say window_fault_update "$(got result)"
  [ "$(got result)" = FAIL ] || FAILURES=$((FAILURES + 1))
  config_block /tmp/window-fault-block.bin
  cmp -s /tmp/block-fresh.bin /tmp/window-fault-block.bin
  verdict window_fault_block_unchanged $?

  # The block reads: the window's reading of the device, then the patch's.
  window_fresh_gadget --short-block-read 2
  verdict window_short_attach $?
  drive update $WINDOW_SECONDS
  show "window (short block read)" /tmp/drive.out
  say window_short_update "$(got result)"
  [ "$(got result)" = FAIL ] || FAILURES=$((FAILURES + 1))
  say window_short_block_reads "$(grep -c '^\[df 10 00 02 00 00 00 00 00 d0 00 fa\] in 512' /run/commands)"
  say window_short_block_writes "$(block_writes)"
  config_block /tmp/window-short-block.bin
  [ "$(block_writes)" -eq 0 ] && cmp -s /tmp/block-fresh.bin /tmp/window-short-block.bin
  verdict window_short_nothing_written $?
}

step_window_unplugged() {
  run_began 6
  # 6. Unplugged while the pieces go down (each takes UNPLUG_PIECE_MS): FAIL,
  # and the window, once the update's flow has returned, has no device.
  window_fresh_gadget --piece-ms $UNPLUG_PIECE_MS
  verdict window_unplug_attach $?
  : >/run/commands
  drive_send update $WINDOW_SECONDS
  wait_until $GUARD has_pieces $UNPLUG_AFTER_PIECES
  detach
  say window_unplugged_at_piece "$(pieces_received)"
  drive_result
  show "window (unplugged during the download)" /tmp/drive.out
  say window_unplugged_update "$(got result)"
  [ "$(got result)" = FAIL ] || FAILURES=$((FAILURES + 1))
  drive wait $WINDOW_SECONDS 1 "No available device !!"
  status=$?
  show "window (after the unplugged update)" /tmp/drive.out
  [ $status -eq 0 ] && [ "$(got list_item_1)" = "No available device!!!" ] && [ "$(got update_enabled)" = 0 ]
  verdict window_unplugged_no_device $?
}

window_stage() {
  step_attach
  [ -n "$SG" ] || return
  # The updates write the virtual enclosure through the real USB stack on purpose.
  export TQ214_TEST_ONLY_WRITE_STAND_IN=1
  step_window_reference
  step_window_session || return
  step_window_found || return
  step_window_update
  step_window_reattach
  step_window_two
  step_window_faults
  step_window_unplugged
  run_began ""
  echo "guest: plug-and-play events:"
  sed 's/^/guest: pnp: /' /run/pnp.log 2>/dev/null
  tr -d '\r' <"$ROOT$EXCHANGE/pnp.out" | tail -n 20 | sed 's/^/guest: standin: /'
  [ "$FAILURES" -eq 0 ] || window_diagnostics
}

linux_stage() {
  step_attach
  if [ -n "$SG" ]; then
    step_peer_identity
    step_peer_download
    step_phase_error
    step_bulk_reset
    step_stand_in_refused
    # From here on the harness's updates write the virtual enclosure through
    # the real USB stack on purpose.
    export TQ214_TEST_ONLY_WRITE_STAND_IN=1
    step_tq214
    step_more_rounds
    step_reattach
    step_wait
    step_fault
    step_short_read
    step_refused_read_back
    step_sessions
    step_station
    step_swap
  fi
  step_figures
}

if [ "${1:-}" = pnp-event ]; then
  pnp_event
  exit 0
fi
case "$(cmdline_value tq214_stage)" in
  wine) wine_stage ;;
  window) window_stage ;;
  *) linux_stage ;;
esac
echo "guest: kernel messages of interest:"
dmesg | grep -iE 'usb-storage|usb 1-|sd [0-9]|scsi|reset|error|warn' | tail -n 40 | sed 's/^/guest: dmesg: /'
echo "guest: device program log:"
tail -n "${GADGET_LOG_LINES:-20}" /run/gadget.log 2>/dev/null | sed 's/^/guest: gadget: /'
say failures "$FAILURES"
if [ "$FAILURES" -eq 0 ]; then say result PASS; else say result FAIL; fi
say finished 1
sync
poweroff -f
