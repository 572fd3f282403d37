#!/usr/bin/env bash
# same-bytes.sh BUILD BUILD_MINGW [N]
# The Linux and the Windows program reply the same bytes: under Wine,
# BUILD_MINGW/bin/equidist-run.exe replies every golden case exactly as its
# expected bytes, exit code and error output say (the Linux program is held
# to them by CTest), and N generated exchanges (default 300; gen-exchange
# varied) go through it and through BUILD/bin/equidist-run, the replies, exit
# codes and error messages equal. First, neither
# Windows program may import a math function from a DLL (its results would
# then be whatever that Windows version's DLL gives), nor call MinGW's own
# sqrt, which rounds twice through the x87 unit (one result in 4000 off).
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: same-bytes.sh BUILD BUILD_MINGW [N]" >&2; exit 64; }
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd) mingw=$(cd "$2" && pwd) count=${3:-300}
fail() { echo "FAIL same-bytes: $*"; exit 1; }
same() { { [ ! -e "$1" ] && [ ! -e "$2" ]; } || cmp -s "$1" "$2"; }

math='sin|cos|tan|asin|acos|atan|atan2|sinh|cosh|tanh|exp|exp2|expm1|log|log10|log1p|log2|pow|hypot|cbrt|sqrt|fmod|remainder|sincos'
for exe in equidist.exe equidist-run.exe; do
  [ -f "$mingw/bin/$exe" ] || fail "$mingw/bin/$exe is missing"
  bad=$(x86_64-w64-mingw32-objdump -p "$mingw/bin/$exe" |
    awk '/DLL Name:/ {dll = $3; next} dll && /^\t[0-9a-f]+\t/ {print dll ": " $NF}' |
    grep -Ew "($math)[fl]?$" || true)
  [ -z "$bad" ] || fail "$exe imports $(echo "$bad" | paste -sd' ')"
  ! x86_64-w64-mingw32-objdump -d "$mingw/bin/$exe" | grep -q 'call.*<sqrt>' ||
    fail "$exe calls the C library's sqrt"
done
echo "ok no math function imported from a DLL, no call to the library's sqrt"

work=$(mktemp -d "${TMPDIR:-/tmp}/equidist-same-bytes.XXXXXX")
export WINEPREFIX=$work/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir "$WINEPREFIX"
wineserver -p  # kept running between the cases, ended by cleanup
timeout 300 wineboot -i >/dev/null 2>&1 || fail "wineboot failed"

export LC_ALL=C
# equidist-run.exe as golden.sh runs equidist-run: given a folder's Linux path
# (Wine's drive Z: is the root of the file system), error output without CRs.
cat >"$work/equidist-run-wine" <<EOF
#!/usr/bin/env bash
dir=\$1
shift
err=\$(mktemp)
rc=0
wine "$mingw/bin/equidist-run.exe" "Z:\${dir//\//\\\\}" "\$@" 2>"\$err" || rc=\$?
tr -d '\r' <"\$err" >&2
rm -f "\$err"
exit \$rc
EOF
chmod +x "$work/equidist-run-wine"
for case in "$root"/tests/cases/*/; do
  "$root/tests/golden.sh" "$work/equidist-run-wine" "$case" >/dev/null || fail "equidist-run.exe: $(basename "$case")"
done
echo "ok equidist-run.exe replies every golden case as expected"

"$build/bin/gen-exchange" varied "$count" "$work/generated"
mkdir "$work/linux" "$work/windows"
n=0
for case in "$work"/generated/*/; do
  read -r -a args <"$case/args" || true
  for side in linux windows; do
    rm -f "$work/$side/"*
    [ -f "$case/QZT_TEMP.TXT" ] && cp "$case/QZT_TEMP.TXT" "$work/$side/"
    rc=0
    if [ $side = linux ]; then
      "$build/bin/equidist-run" "$work/$side" "${args[@]}" 2>"$work/$side.err" || rc=$?
    else  # Wine's drive Z: is the root of the file system
      wine "$mingw/bin/equidist-run.exe" "Z:${work//\//\\}\\$side" "${args[@]}" 2>"$work/$side.err" || rc=$?
      sed -i 's/\r$//' "$work/$side.err"
    fi
    echo $rc >"$work/$side.rc"
  done
  what="$(basename "$case") ($case)"
  cmp -s "$work/linux.rc" "$work/windows.rc" ||
    fail "$what: exit code $(cat "$work/linux.rc") on Linux, $(cat "$work/windows.rc") on Windows;" \
      "error output '$(cat "$work/linux.err")' on Linux, '$(cat "$work/windows.err")' on Windows"
  same "$work/linux/QZT_TEMP.TXT" "$work/windows/QZT_TEMP.TXT" || {
    diff <(od -c "$work/linux/QZT_TEMP.TXT") <(od -c "$work/windows/QZT_TEMP.TXT") | head -20 || true
    fail "$what: the replies differ"
  }
  cmp -s "$work/linux.err" "$work/windows.err" ||
    fail "$what: error output '$(cat "$work/linux.err")' on Linux, '$(cat "$work/windows.err")' on Windows"
  n=$((n + 1))
done
echo "ok $n generated exchanges replied the same bytes on Linux and on Windows"
