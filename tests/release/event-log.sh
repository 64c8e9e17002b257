# The event log entries of tq214.exe (sourced by zip-programs.sh). Wine keeps
# no log, but its advapi32 traces each report: the call with the event's type
# and id, then each insertion string on the eventlog channel at the level of
# the type (err error, warn warning, trace information). One simulated
# attempt per outcome, asked for with TQ214_JOURNAL=1 (the last of its
# reports is checked: with --wait the confirmation after the PASS), and one
# without it, which reports nothing.
#
#   check_event_log WINE_RUN TQ214_EXE WORK    (uses check from its caller)

# scenario --wait's seconds (- none) reports exit type id what-runs-after reason
event_cases=(
  "outdated - 1 0 0x0004 0x00000001 target -"
  "outdated 10 2 0 0x0004 0x00000005 target -"
  "verify-fail - 1 1 0x0001 0x00000002 none the firmware could not be written"
  "newer - 1 1 0x0002 0x00000003 before is newer than this tool"
  "current - 1 0 0x0004 0x00000004 before up to date"
)

# The insertion strings of the one report in a trace, one a line, unquoted.
event_strings() {
  sed -n 's/^[0-9a-f]*:\(trace\|warn\|err\):eventlog:ReportEventW L"\(.*\)"\r\?$/\1 \2/p' "$1"
}

check_event_log() {
  local wine_run=$1 cli=$2 work=$3 version target sha line scenario wait reports code type id
  local after reason
  "$wine_run" "$cli" --version >"$work/event-version" 2>/dev/null
  version=$(tr -d '\r' <"$work/event-version" | sed -n 's/^firmware image \([0-9.]*\) .*SHA-256 \([0-9a-f]*\)$/\1 \2/p')
  target=${version% *}
  sha=${version#* }
  for line in "${event_cases[@]}"; do
    read -r scenario wait reports code type id after reason <<<"$line"
    [ "$reason" = - ] && reason=
    [ "$wait" = - ] && wait=
    TQ214_JOURNAL=1 WINEDEBUG=+eventlog TQ214_HISTORY= "$wine_run" "$cli" \
      --simulate="$scenario" update --yes ${wait:+--wait="$wait"} >"$work/event-out" \
      2>"$work/event-trace"
    local exit=$? calls level strings before
    calls=$(grep -c 'advapi:ReportEventW (' "$work/event-trace")
    local call
    call=$(grep -o 'advapi:ReportEventW ([^)]*' "$work/event-trace" | tail -n 1)
    mapfile -t strings < <(event_strings "$work/event-trace" | tail -n 6 | cut -d ' ' -f 2-)
    level=$(event_strings "$work/event-trace" | tail -n 6 | cut -d ' ' -f 1 | sort -u | tr '\n' ' ')
    before=${strings[2]:-}
    local expected_after=$before
    [ "$after" = target ] && expected_after=$target
    [ "$after" = none ] && expected_after=
    local expected_level="trace "
    [ "$type" = 0x0002 ] && expected_level="warn "
    [ "$type" = 0x0001 ] && expected_level="err "
    [ "$exit" = "$code" ] && [ "$calls" = "$reports" ] &&
      [[ $call == *",$type,0x0000,$id,"*",0x0006,"* ]] && [ "$level" = "$expected_level" ] &&
      [ "${#strings[@]}" = 6 ] && [ "${strings[0]}" = 0000000000000214 ] &&
      [[ ${strings[1]} == *usbstor*0000000000000214* ]] && [ -n "$before" ] &&
      [ "${strings[3]}" = "$expected_after" ] && [ "${strings[4]}" = "$sha" ] &&
      if [ -z "$reason" ]; then [ -z "${strings[5]}" ]; else [[ ${strings[5]} == *"$reason"* ]]; fi
    local verdict=$?
    call=${call#*,}
    check "$verdict" "event log, --simulate=$scenario${wait:+ --wait=$wait}: exit $exit, $calls report(s), the last type ${call%%,*} id $id, $level$(printf '"%s" ' "${strings[0]}" "${strings[@]:2}")"
  done
  WINEDEBUG=+eventlog TQ214_HISTORY= "$wine_run" "$cli" --simulate update --yes \
    >"$work/event-out" 2>"$work/event-trace"
  ! grep -q 'ReportEventW' "$work/event-trace"
  check $? "event log: a simulated update without TQ214_JOURNAL=1 reports nothing"
}
