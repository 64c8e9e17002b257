#!/usr/bin/env bash
# The verdicts of the end-to-end scripts' libraries (e2e.sh, e2e.py): each
# row a script's body, the exit code it must end with and a text its output
# must hold. The program the bodies run says a line on each output and ends
# with 3. Every body leaves its work folder's name in a file, and in e2e.sh a
# process it started (in pids): both must be gone once it has ended.
#
#   e2e-verdicts.sh
set -uo pipefail
support=$(cd "$(dirname "$0")" && pwd)
here=$(mktemp -d)
trap 'rm -rf "$here"' EXIT
says='echo said; echo moaned >&2; exit 3'
#   language | exit | output holds | body (expanded in the case it makes)
# shellcheck disable=SC2016
rows=(
  'sh|0|case: all well|pass fine; finish "all well"'
  'sh|1|case: 1 check(s) failed|run -c "$says"; [ "$code" = 0 ] || fail "exit $code"; finish done'
  'sh|1|moaned|run -c "$says"; fail "shows the run"; finish'
  'sh|77|case: SKIP: later|skip_part later; pass fine; finish done'
  'sh|1|case: FAIL: first|fail first; skip then'
  'sh|0|case: kept|[ "$TQ214_HISTORY" = "$work/history.jsonl" ] && pass kept; finish'
  'py|0|case: fine|s.check(True, "fine")'
  'py|1|moaned|d = s.run(["-c", says]); s.check(d.returncode == 0, "exit")'
  'py|77|case: SKIP: later|s.skip_part("later"); s.check(True, "fine")'
  'py|1|case: FAIL: first|s.check(False, "first"); s.skip("then"); s.check(True, "never")'
  'py|0|case: kept|s.check(os.environ["TQ214_HISTORY"] == s.work + "/history.jsonl", "kept")'
)
failures=0
for row in "${rows[@]}"; do
  IFS='|' read -r language expected holds body <<<"$row"
  rm -f "$here/left"
  if [ "$language" = sh ]; then
    # shellcheck disable=SC2016 # the case expands it
    printf '%s\n' "says='$says'" "source '$support/e2e.sh'" 'e2e_start sh' \
      'sleep 60 & pids+=("$!"); echo "$work $!" >"$LEFT"' "$body" >"$here/case"
  else
    printf '%s\n' "import os, sys" "sys.dont_write_bytecode = True" "sys.path.insert(0, '$support')" \
      "import e2e" "says = '$says'" "def body(s):" "    open(os.environ['LEFT'], 'w').write(s.work)" \
      "    $body" "e2e.main(body)" >"$here/case"
  fi
  LEFT=$here/left "$([ "$language" = sh ] && echo bash || echo python3)" "$here/case" /bin/sh \
    >"$here/out" 2>&1
  code=$?
  work='' pid=''
  [ -f "$here/left" ] && read -r work pid <"$here/left"
  if [ "$code" = "$expected" ] && grep -qF -- "$holds" "$here/out" && [ -n "$work" ] &&
    [ ! -e "$work" ] && { [ -z "$pid" ] || ! kill -0 "$pid" 2>/dev/null; }; then
    echo "ok   $language, $body: exit $code, \"$holds\""
  else
    echo "FAIL $language, $body: exit $code (expected $expected), folder '$work'" \
      "$([ -e "$work" ] && echo left), process ${pid:-none} $(kill -0 "$pid" 2>/dev/null && echo left)"
    sed 's/^/    /' "$here/out"
    failures=$((failures + 1))
  fi
  [ -z "$pid" ] || kill "$pid" 2>/dev/null
done
[ "$failures" = 0 ]
