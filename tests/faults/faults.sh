#!/usr/bin/env bash
# faults.sh BUILD_DIR: the exchange file and its folder in the states other
# programs and full disks leave them in. Whatever fails, the reply is either
# complete or there is no exchange file at all, and no temporary file is left.
# Run as root, the program runs as "nobody" so that permissions bind it.
set -euo pipefail
build=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
sample=$here/../cases/overview/QZT_TEMP.TXT
export LC_ALL=C.UTF-8

work=$(mktemp -d "${TMPDIR:-/tmp}/equidist-faults.XXXXXX")
mounted=""
cleanup() {
  [ -n "$mounted" ] && umount "$mounted" 2>/dev/null || true
  chmod -R u+rwx "$work" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
chmod 755 "$work"
cp "$build/bin/equidist-run" "$work/"
gen=$build/bin/gen-exchange

as_user=()
if [ "$(id -u)" = 0 ]; then
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi

name="" failed=0 case_failed=0
fail() { echo "FAULT FAIL [$name]: $*" >&2; failed=1; case_failed=1; }
ok() { [ $case_failed = 1 ] || echo "ok $name"; }

# run DIR DISTANCE: one exchange as the unprivileged user; sets rc.
run() {
  rc=0
  "${as_user[@]}" "$work/equidist-run" "$@" >/dev/null 2>"$work/stderr" || rc=$?
}

no_temp() {
  local left
  left=$(find "$1" -maxdepth 1 \( -name '*.tmp' -o -name '*.lock' \) | head -3)
  [ -z "$left" ] || fail "temporary or lock files left: $left"
}

# The headless reply for the sample, to compare complete replies with.
mkdir "$work/want" && cp "$sample" "$work/want/QZT_TEMP.TXT"
"$work/equidist-run" "$work/want" 4
want=$work/want/QZT_TEMP.TXT

case_dir() {
  name=$1 case_failed=0
  dir=$work/$1
  mkdir -p "$dir"
  chmod 777 "$dir"
}

case_dir unreadable-file
cp "$sample" "$dir/QZT_TEMP.TXT" && chmod 000 "$dir/QZT_TEMP.TXT"
run "$dir" 4
[ $rc = 2 ] || fail "exit code $rc (the file should not have been readable)"
[ "$(cat "$dir/QZT_TEMP.TXT")" = "$(printf 'hq\r')" ] || fail "the unreadable selection was not replaced by hq"
no_temp "$dir" && ok

# No reply can be written and no file is left for the host: exit code 4.
case_dir directory-in-its-place
mkdir "$dir/QZT_TEMP.TXT"
run "$dir" 4
[ $rc = 4 ] || fail "exit code $rc"
[ -d "$dir/QZT_TEMP.TXT" ] || fail "the directory is gone"
no_temp "$dir" && ok

case_dir fifo-in-its-place
mkfifo "$dir/QZT_TEMP.TXT" && chmod 666 "$dir/QZT_TEMP.TXT"
timeout 20 "${as_user[@]}" "$work/equidist-run" "$dir" 4 >/dev/null 2>&1 && rc=0 || rc=$?
[ $rc = 2 ] || fail "exit code $rc (124: it hung on the FIFO)"
[ -f "$dir/QZT_TEMP.TXT" ] && [ "$(cat "$dir/QZT_TEMP.TXT")" = "$(printf 'hq\r')" ] || fail "no hq reply in place of the FIFO"
no_temp "$dir" && ok

case_dir read-only-folder
cp "$sample" "$dir/QZT_TEMP.TXT" && chmod 666 "$dir/QZT_TEMP.TXT" && chmod 555 "$dir"
run "$dir" 4
[ $rc = 0 ] || fail "exit code $rc"
cmp -s "$dir/QZT_TEMP.TXT" "$want" || fail "the reply was not written in place"
no_temp "$dir" && ok

# Nothing can replace, empty or delete the host's selection: it stays, and
# equidist-run says so with an exit code of its own.
case_dir read-only-file-in-a-read-only-folder
cp "$sample" "$dir/QZT_TEMP.TXT" && chmod 444 "$dir/QZT_TEMP.TXT" && chmod 555 "$dir"
run "$dir" 4
[ $rc = 3 ] || fail "exit code $rc"
grep -q "QZT_TEMP.TXT" "$work/stderr" || fail "no message on standard error: $(cat "$work/stderr")"
cmp -s "$dir/QZT_TEMP.TXT" "$sample" || fail "the selection was changed"
no_temp "$dir" && ok

# A reply that does not fit: the process may write at most 1 KB per file.
case_dir full-disk
printf 'hp1 0 0\r\n0 0 100 0\r\n' >"$dir/QZT_TEMP.TXT" && chmod 666 "$dir/QZT_TEMP.TXT"
rc=0
(trap '' XFSZ; ulimit -f 1; exec "${as_user[@]}" "$work/equidist-run" "$dir" 0.25) >/dev/null 2>&1 || rc=$?
[ $rc = 4 ] || fail "exit code $rc"
[ ! -e "$dir/QZT_TEMP.TXT" ] || fail "a reply was left: $(wc -c <"$dir/QZT_TEMP.TXT") bytes"
no_temp "$dir" && ok

# The same on a real file system that fills up, where one can be mounted.
case_dir full-tmpfs
if [ "$(id -u)" = 0 ] && mount -t tmpfs -o size=8k,mode=0777 tmpfs "$dir" 2>/dev/null; then
  mounted=$dir
  printf 'hp1 0 0\r\n0 0 1000 0\r\n' >"$dir/QZT_TEMP.TXT" && chmod 666 "$dir/QZT_TEMP.TXT"
  run "$dir" 1
  [ $rc = 4 ] || fail "exit code $rc"
  [ ! -e "$dir/QZT_TEMP.TXT" ] || fail "a reply was left: $(wc -c <"$dir/QZT_TEMP.TXT") bytes"
  no_temp "$dir" && ok
  umount "$dir" && mounted=""
else
  echo "skip $name: no tmpfs can be mounted here"
fi

# A folder its user may list but not enter: nothing can be known of the
# file, so the selection may be there, and it is said so (exit code 3).
case_dir folder-not-entered
cp "$sample" "$dir/QZT_TEMP.TXT" && chmod 744 "$dir"
run "$dir" 4
[ $rc = 3 ] || fail "exit code $rc"
grep -q "QZT_TEMP.TXT" "$work/stderr" || fail "no message on standard error"
chmod 777 "$dir"
cmp -s "$dir/QZT_TEMP.TXT" "$sample" || fail "the selection was changed"
no_temp "$dir" && ok

# The reply keeps the file's permissions, and a link in its place stays a
# link to the file that gets the reply.
case_dir mode-and-link
mkdir "$dir/real" && chmod 777 "$dir/real"
cp "$sample" "$dir/real/selection.txt" && chown nobody "$dir/real/selection.txt" 2>/dev/null || true
chmod 640 "$dir/real/selection.txt" && ln -s real/selection.txt "$dir/QZT_TEMP.TXT"
run "$dir" 4
[ $rc = 0 ] || fail "exit code $rc"
[ -L "$dir/QZT_TEMP.TXT" ] || fail "the link was replaced"
cmp -s "$dir/real/selection.txt" "$want" || fail "the linked file has not the reply"
[ "$(stat -c %a "$dir/real/selection.txt")" = 640 ] || fail "mode $(stat -c %a "$dir/real/selection.txt"), not 640"
no_temp "$dir" && no_temp "$dir/real" && ok

# A lock left by a program that was killed holds nothing, and its temporary
# files go; a name that only looks like one of them stays. A lock another
# program holds: nothing is touched, and it is said so (exit code 5).
case_dir lock-held-and-left
cp "$sample" "$dir/QZT_TEMP.TXT" && chmod 666 "$dir/QZT_TEMP.TXT"
flock "$dir/QZT_TEMP.TXT.lock" "${as_user[@]}" "$work/equidist-run" "$dir" 4 >/dev/null 2>"$work/stderr" && rc=0 || rc=$?
[ $rc = 5 ] || fail "exit code $rc while the lock was held"
grep -q "もう一つの equidist" "$work/stderr" || fail "no message on standard error: $(cat "$work/stderr")"
cmp -s "$dir/QZT_TEMP.TXT" "$sample" || fail "the selection was changed while the lock was held"
touch "$dir/QZT_TEMP.TXT.4242-0.tmp" "$dir/QZT_TEMP.TXT.4242-0.tmp.kept" && chmod 666 "$dir"/*.tmp*
run "$dir" 4
[ $rc = 0 ] || fail "exit code $rc after the lock was left"
cmp -s "$dir/QZT_TEMP.TXT" "$want" || fail "the reply differs"
[ -e "$dir/QZT_TEMP.TXT.4242-0.tmp.kept" ] || fail "a file not ours was removed"
rm "$dir/QZT_TEMP.TXT.4242-0.tmp.kept"
no_temp "$dir" && ok

# Many programs on one exchange file, each with a distance of its own,
# started at once and one after another while the first still runs: one
# replies in full, the others change nothing (exit code 5). Through a new
# file and the move, and rewritten in place in a read-only folder.
"$gen" arcs 1500 "$work/arcs.in" >/dev/null
many() {
  local gap=$1 i pids=() rcs="" winner=""
  for i in 0 1 2 3 4 5 6 7; do
    sleep "$gap"
    (code=0
     "${as_user[@]}" "$work/equidist-run" "$dir" $((240 + i)) --threads 1 >/dev/null 2>&1 || code=$?
     echo $code >"$work/rc-$i") &
    pids+=($!)
  done
  wait "${pids[@]}"
  for i in 0 1 2 3 4 5 6 7; do
    rcs+="$(cat "$work/rc-$i") "
    [ "$(cat "$work/rc-$i")" = 0 ] && winner=$i
  done
  [ "$(tr ' ' '\n' <<<"$rcs" | grep -c '^0$')" = 1 ] && [ "$(tr ' ' '\n' <<<"$rcs" | grep -c '^5$')" = 7 ] ||
    fail "gap $gap s: exit codes $rcs, not one 0 and seven 5"
  if [ -n "$winner" ]; then
    mkdir -p "$work/many-want" && cp "$work/arcs.in" "$work/many-want/QZT_TEMP.TXT"
    "$work/equidist-run" "$work/many-want" $((240 + winner)) --threads 1
    cmp -s "$dir/QZT_TEMP.TXT" "$work/many-want/QZT_TEMP.TXT" || fail "gap $gap s: not the reply of the one that replied"
  fi
}
for mode in rename in-place; do
  for gap in 0 0.06; do
    case_dir "many-$mode-$gap"
    cp "$work/arcs.in" "$dir/QZT_TEMP.TXT" && chmod 666 "$dir/QZT_TEMP.TXT"
    [ $mode = in-place ] && chmod 555 "$dir"
    many $gap
    no_temp "$dir" && ok
  done
done

case_dir "現場 図面"
mkdir -p "$dir/設計 1" && chmod 777 "$dir/設計 1"
cp "$sample" "$dir/設計 1/QZT_TEMP.TXT"
run "$dir/設計 1" 4
[ $rc = 0 ] || fail "exit code $rc"
cmp -s "$dir/設計 1/QZT_TEMP.TXT" "$want" || fail "the reply differs"
no_temp "$dir/設計 1" && ok

[ $failed = 0 ] && echo "FAULTS: all passed"
exit $failed
