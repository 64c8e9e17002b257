#!/usr/bin/env bash
# Runs the console-handler tests of win32_tests on a pseudo-terminal, so that
# Wine gives them a console to send Ctrl+C to and to set QuickEdit on, and
# judges them by their report: a Ctrl+C that is not held ends the program
# before the report is written; a test skipped for want of a console fails.
#
#   console-hold.sh WINE_RUN WIN32_TESTS_EXE
set -uo pipefail

wine_run=${1:?usage: console-hold.sh WINE_RUN WIN32_TESTS_EXE}
exe=${2:?usage: console-hold.sh WINE_RUN WIN32_TESTS_EXE}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The program writes its report into its working directory: a path the
# Windows program and this script spell alike.
report=$work/report.xml
(cd "$work" &&
  script -qec "$wine_run $exe --gtest_filter=ConsoleHold.* --gtest_color=no --gtest_output=xml:report.xml" \
    /dev/null >/dev/null 2>&1)
if grep -q '<testcase name="CtrlCIsHeldNoticedOnceAndNamed"[^>]*result="completed"' "$report" 2>/dev/null &&
  grep -q '<testcase name="QuickEditIsOffAlsoWithStandardInputRedirected"[^>]*result="completed"' "$report" &&
  grep -q '<testsuites tests="2" failures="0" disabled="0" errors="0"' "$report"; then
  echo "console-hold: Ctrl+C held and named; QuickEdit off through CONIN$ with standard input redirected"
  exit 0
fi
echo "console-hold: the test did not pass on a console; its report:" >&2
cat "$report" >&2 2>/dev/null || echo "(none: the program ended before writing it)" >&2
exit 1
