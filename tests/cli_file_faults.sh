#!/usr/bin/env bash
# What only a shell does to the zk command, on either build: signals sent
# while it writes, a target reached through a link, the new files a killed
# run left behind, and targets with their own permission bits. PROGRAM is
# the native zk or zk-cli.exe, run under Wine; the results go to REPORT in
# GoogleTest's form.
#   cli_file_faults.sh PROGRAM REPORT
set -uo pipefail
# Background runs in a process group of their own, so that SIGINT reaches
# them as Ctrl-C would, instead of being ignored.
set -m
program=$(realpath "$1")
report=$(realpath -m "$2")
work=$(mktemp -d /tmp/zk-faults.XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
run=("$program")
windows=false
if [[ $program == *.exe ]]; then
  run=(wine "$program")
  windows=true
fi

# A path as the program takes it: under Wine, on drive Z:.
name() { if $windows; then printf 'Z:%s' "${1//\//\\}"; else printf '%s' "$1"; fi; }

cases=()
failures=()
# check NAME FAILURE: FAILURE is empty when the case passed.
check() {
  cases+=("$1")
  failures+=("$2")
  [ -n "$2" ] && echo "FAILED $1: $2" >&2
}

# What is left of a run interrupted by a signal: no new file beside the
# target and the target as it was. A run that ended before the signal came
# proves nothing and is tried again.
interrupted() {
  local signal=$1
  shift
  local attempt pid
  for attempt in 1 2 3 4 5; do
    rm -f out out.zk-*
    echo old >out
    "${run[@]}" "$@" "$(name "$work/out")" >/dev/null 2>&1 &
    pid=$!
    # Signalled as soon as its new file holds bytes. On Windows no file can
    # be made already marked to go when its handle closes and still be kept
    # later: the mark follows the making by a moment, in which a kill leaves
    # the file; the first bytes follow the mark.
    until [ -n "$(find . -maxdepth 1 -name 'out.zk-*' -size +0c 2>/dev/null)" ] || ! kill -0 "$pid" 2>/dev/null; do :; done
    kill "-$signal" "$pid" 2>/dev/null || continue
    wait "$pid"
    [ "$(cat out)" = old ] || continue
    if compgen -G 'out.zk-*' >/dev/null; then
      echo "left $(ls out.zk-*)"
    fi
    return
  done
  echo "never caught mid-run"
}

yes 'a line of text, with a ~ tilde' | head -c 150000000 >big.gb
for signal in INT TERM HUP; do
  check "Sig${signal}DuringConvert" "$(interrupted "$signal" convert --hz --force "$(name "$work/big.gb")")"
done
if ! $windows; then
  head -c 3000000 big.gb >pages.gb
  for signal in INT TERM HUP; do
    check "Sig${signal}DuringPrint" "$(interrupted "$signal" print "$(name "$work/pages.gb")" -o)"
  done
fi

# New files that a killed run left do not stand in the way, and stay.
printf 'x\r\n' >small.gb
echo old >old.hz
touch old.hz.zk-123456 old.hz.zk-AbC123
"${run[@]}" convert --hz --force "$(name "$work/small.gb")" "$(name "$work/old.hz")" >/dev/null 2>&1
failure=""
[ "$(cat old.hz)" = x$'\r' ] || failure="the target was not written: $(cat old.hz)"
[ -e old.hz.zk-123456 ] && [ -e old.hz.zk-AbC123 ] || failure="another run's new file was removed"
check LeftoversOfAKilledRunStandInNoOnesWay "$failure"

# A link stays a link, and the file it reaches gets the new text.
echo old >real.hz
ln -s real.hz link.hz
"${run[@]}" convert --hz --force "$(name "$work/small.gb")" "$(name "$work/link.hz")" >/dev/null 2>&1
failure=""
[ -L link.hz ] || failure="the link was replaced by a file"
[ "$(cat real.hz)" = x$'\r' ] || failure="$failure; the file the link reaches holds: $(cat real.hz)"
check ALinkStaysALinkAndItsFileIsReplaced "$failure"

# A replaced file keeps its permission bits. A Windows program can set no
# more of them under Wine than whether the file may be written.
modes=(444)
$windows || modes+=(640 755 600)
for mode in "${modes[@]}"; do
  echo old >"mode$mode"
  chmod "$mode" "mode$mode"
  "${run[@]}" convert --hz --force "$(name "$work/small.gb")" "$(name "$work/mode$mode")" >/dev/null 2>&1
  failure=""
  [ "$(cat "mode$mode")" = x$'\r' ] || failure="not replaced"
  [ "$(stat -c %a "mode$mode")" = "$mode" ] || failure="$failure; mode $(stat -c %a "mode$mode")"
  check "AReplacedFileKeepsMode$mode" "$failure"
done

# The report, in the form of GoogleTest's.
failed=0
for failure in "${failures[@]}"; do [ -n "$failure" ] && failed=$((failed + 1)); done
mkdir -p "$(dirname "$report")"
{
  echo '<?xml version="1.0" encoding="UTF-8"?>'
  echo "<testsuites tests=\"${#cases[@]}\" failures=\"$failed\" disabled=\"0\" errors=\"0\" name=\"AllTests\">"
  echo "  <testsuite name=\"CliFileFaults\" tests=\"${#cases[@]}\" failures=\"$failed\" disabled=\"0\" skipped=\"0\" errors=\"0\">"
  for k in "${!cases[@]}"; do
    echo "    <testcase name=\"${cases[$k]}\" status=\"run\" result=\"completed\" classname=\"CliFileFaults\">"
    [ -n "${failures[$k]}" ] && echo "      <failure message=\"${failures[$k]//\"/&quot;}\"/>"
    echo "    </testcase>"
  done
  echo "  </testsuite>"
  echo "</testsuites>"
} >"$report"
echo "cli_file_faults: ${#cases[@]} cases, $failed failed"
[ "$failed" -eq 0 ]
