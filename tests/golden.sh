#!/usr/bin/env bash
# golden.sh [--update] EQUIDIST_RUN CASE_DIR
# One exchange through equidist-run on a fresh copy of CASE_DIR/QZT_TEMP.TXT
# with the arguments in CASE_DIR/args; the reply must equal CASE_DIR/expected
# byte for byte, the exit code CASE_DIR/exit (0 when absent) and the error
# output CASE_DIR/stderr (empty when absent). --update writes them instead.
set -euo pipefail
update=0
[ "${1:-}" = "--update" ] && { update=1; shift; }
[ $# = 2 ] || { echo "usage: golden.sh [--update] EQUIDIST_RUN CASE_DIR" >&2; exit 64; }
run=$1 case=$2
export LC_ALL=C  # "." and "," in the total
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/dir"
[ -f "$case/QZT_TEMP.TXT" ] && cp "$case/QZT_TEMP.TXT" "$work/dir/"
read -r -a args < "$case/args" || true  # the file may lack a line end
rc=0
"$run" "$work/dir" "${args[@]}" 2>"$work/stderr" || rc=$?

if [ $update = 1 ]; then
  cp "$work/dir/QZT_TEMP.TXT" "$case/expected"
  if [ $rc = 0 ]; then rm -f "$case/exit"; else echo $rc > "$case/exit"; fi
  if [ -s "$work/stderr" ]; then cp "$work/stderr" "$case/stderr"; else rm -f "$case/stderr"; fi
  exit 0
fi

fail() { echo "FAIL $(basename "$case"): $*"; exit 1; }
want_rc=$(cat "$case/exit" 2>/dev/null || echo 0)
[ "$rc" = "$want_rc" ] || fail "exit code $rc, expected $want_rc"
if ! cmp -s "$work/dir/QZT_TEMP.TXT" "$case/expected"; then
  diff <(od -c "$case/expected") <(od -c "$work/dir/QZT_TEMP.TXT") || true
  fail "the reply differs from $case/expected"
fi
want_err=$(cat "$case/stderr" 2>/dev/null || true)
[ "$(cat "$work/stderr")" = "$want_err" ] || fail "error output '$(cat "$work/stderr")', expected '$want_err'"
left=$(ls -A "$work/dir")
[ "$left" = "QZT_TEMP.TXT" ] || fail "files left beside the reply: $left"
echo "ok $(basename "$case")"
