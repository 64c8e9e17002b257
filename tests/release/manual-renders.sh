#!/usr/bin/env bash
# man renders tq214(1) at 80 columns without a single warning of groff's.
#
#   manual-renders.sh PAGE
set -uo pipefail
page=${1:?usage: manual-renders.sh PAGE}
errors=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
code=$?
if [ "$code" -ne 0 ] || [ -n "$errors" ]; then
  echo "manual-renders: man exited $code and said:" >&2
  echo "$errors" >&2
  exit 1
fi
echo "manual-renders: $(MANWIDTH=80 man -l "$page" | wc -l) lines, no warnings"
