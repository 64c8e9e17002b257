# shellcheck shell=sh
# Wine's desktop, brought up alone before any program that opens a window:
# sourced by cmake/wine-run.sh on the host and by the USB harness's guest
# (POSIX sh, busybox's there).
#
# A program that finds no desktop starts Wine's explorer and gives it a fixed
# 10 s; on a slow, busy machine explorer takes longer, and two programs
# started at once each start one: both end without a display driver ("The
# explorer process failed to start"). Here the server, the services and the
# desktop come up first, with nothing else starting, and the wait follows
# explorer: it goes on while explorer is running (still starting), up to a
# guard against a hang. The caller starts the Wine server it wants first.
#
# wine_desktop_up CHECK_EXE LIMIT_SECONDS HOLD_SECONDS [RUNNER...]
#   CHECK_EXE: wine-desktop-check.exe (its path as RUNNER's Wine sees it).
#   HOLD_SECONDS: how long the last check stays, holding the desktop (Wine
#   closes it, and its explorer ends, once no program uses it); 0: until
#   ended, by its process WINE_DESKTOP_HOLDER.
#   RUNNER: how a program of the host is run (nothing on the host; the
#   guest's chroot in the guest). WINEPREFIX names the prefix.
# Prints one line "wine-desktop: ..." and returns 0 when the desktop is up; 1
# when Wine's own start failed (not the program that was to run).

# wine_services_up [RUNNER...]: Wine's server and services (wineboot), started
# alone, before any program under test; for a stage with no display, the
# whole of Wine's start. Prints one line "wine-services: ..." and returns 1
# when Wine's own start failed.
wine_services_up() {
  _ws_start=$(date +%s)
  # Into a file: the services wineboot starts inherit its output and stay.
  _ws_said=${TMPDIR:-/tmp}/wine-services.$$
  if "$@" wine wineboot >"$_ws_said" 2>&1; then
    echo "wine-services: up after $(($(date +%s) - _ws_start)) s"
    rm -f "$_ws_said"
    return 0
  fi
  echo "wine-services: Wine's start failed (wineboot, after $(($(date +%s) - _ws_start)) s):" \
    "$(tr -d '\r' <"$_ws_said" | tail -n 3 | tr '\n' ' ')"
  rm -f "$_ws_said"
  return 1
}

# wine_explorer_running: an explorer of this prefix is running.
wine_explorer_running() {
  for _wd_proc in /proc/[0-9]*; do
    case $( { tr '\0' ' ' <"$_wd_proc/cmdline"; } 2>/dev/null) in
      *explorer.exe*) ;;
      *) continue ;;
    esac
    { tr '\0' '\n' <"$_wd_proc/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && return 0
  done
  return 1
}

wine_desktop_up() {
  _wd_check=$1
  _wd_limit=$2
  _wd_hold=$3
  shift 3
  _wd_start=$(date +%s)
  # Wine's services, before any window. The checks judge whether the desktop
  # came up, also after a start that said it failed.
  wine_services_up "$@" >/dev/null || :
  _wd_said=${TMPDIR:-/tmp}/wine-desktop-check.$$
  _wd_checks=0
  _wd_gone=0
  while :; do
    _wd_checks=$((_wd_checks + 1))
    # Into a file: the explorer a check starts inherits its output and stays.
    # A check that finds the desktop up stays, holding it (--hold).
    "$@" wine "$_wd_check" --hold "$_wd_hold" >"$_wd_said" 2>&1 &
    _wd_pid=$!
    while kill -0 "$_wd_pid" 2>/dev/null && ! tr -d '\r' <"$_wd_said" | grep -qx up &&
      [ $(($(date +%s) - _wd_start)) -lt "$_wd_limit" ]; do
      sleep 1
    done
    if tr -d '\r' <"$_wd_said" | grep -qx up; then
      # shellcheck disable=SC2034 # for the caller
      WINE_DESKTOP_HOLDER=$_wd_pid
      echo "wine-desktop: up after $(($(date +%s) - _wd_start)) s ($_wd_checks checks), held by $_wd_pid"
      rm -f "$_wd_said"
      return 0
    fi
    kill "$_wd_pid" 2>/dev/null
    wait "$_wd_pid" 2>/dev/null
    # A check that finds no desktop starts explorer: while it runs, the
    # desktop is on its way. Gone after several checks, it failed.
    if wine_explorer_running; then _wd_gone=0; else _wd_gone=$((_wd_gone + 1)); fi
    if [ "$_wd_gone" -ge 3 ] || [ $(($(date +%s) - _wd_start)) -ge "$_wd_limit" ]; then
      echo "wine-desktop: Wine's desktop did not come up (after $(($(date +%s) - _wd_start)) s," \
        "$_wd_checks checks, explorer $([ "$_wd_gone" -eq 0 ] && echo running || echo gone));" \
        "the last check said: $(tr -d '\r' <"$_wd_said" | tail -n 3 | tr '\n' ' ')"
      rm -f "$_wd_said"
      return 1
    fi
    sleep 1
  done
}

# wine_desktop_note_up FILE: notes the display and the explorer now running,
# after wine_desktop_up; wine_desktop_known_up FILE: that explorer still runs
# on this display, so the desktop is still up (no Wine program to start).
wine_desktop_note_up() {
  for _wd_proc in /proc/[0-9]*; do
    case $( { tr '\0' ' ' <"$_wd_proc/cmdline"; } 2>/dev/null) in *explorer.exe*) ;; *) continue ;; esac
    { tr '\0' '\n' <"$_wd_proc/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
    echo "${DISPLAY:-} ${_wd_proc#/proc/}" >"$1"
    return 0
  done
}
wine_desktop_known_up() {
  read -r _wd_display _wd_pid <"$1" 2>/dev/null || return 1
  [ "$_wd_display" = "${DISPLAY:-}" ] && [ -n "$_wd_pid" ] && kill -0 "$_wd_pid" 2>/dev/null &&
    case $( { tr '\0' ' ' <"/proc/$_wd_pid/cmdline"; } 2>/dev/null) in *explorer.exe*) true ;; *) false ;; esac
}
