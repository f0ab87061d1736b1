#!/usr/bin/env bash
# Runs a Windows test program under Wine as an ordinary user (uid 65534),
# from a copy of the program in a folder of that user's, with a Wine prefix
# of its own: the superuser writes anywhere, a user meets the folders' rights.
# A folder the user cannot write is handed over in ZK_LOCKED_FOLDER, and a
# file the user may write in another such folder in ZK_IN_PLACE_FILE; the
# report is copied where ctest's runner reads it.
#   as_ordinary_user.sh PROGRAM REPORT [GTEST ARGS...]
set -uo pipefail
program=$1
report=$2
shift 2
home=$(mktemp -d /tmp/zk-user.XXXXXX)
trap 'setpriv --reuid=65534 --regid=65534 --clear-groups env WINEPREFIX="$home/prefix" wineserver -k >/dev/null 2>&1; rm -rf "$home"' EXIT
chmod 755 "$home"
mkdir -p "$home/prefix" "$home/user" "$home/program" "$home/locked" "$home/in-place"
echo old >"$home/in-place/open"
chmod 666 "$home/in-place/open"
cp "$program" "$home/program/"
# The zk tool, where the test program finds it beside its own folder.
mkdir -p "$home/bin"
cp "$(dirname "$program")/../bin/zk-cli.exe" "$home/bin/"
chown -R 65534:65534 "$home/prefix" "$home/user" "$home/program" "$home/bin"
as_user() {
  setpriv --reuid=65534 --regid=65534 --clear-groups env HOME="$home/user" WINEPREFIX="$home/prefix" \
    WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8 LC_ALL=C.UTF-8 DISPLAY="$DISPLAY" "$@"
}
as_user wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
locked=$(as_user winepath -w "$home/locked" 2>/dev/null)
inPlace=$(as_user winepath -w "$home/in-place/open" 2>/dev/null)
output=$(as_user winepath -w "$home/program/report.xml" 2>/dev/null)
as_user env ZK_LOCKED_FOLDER="$locked" ZK_IN_PLACE_FILE="$inPlace" wine "$home/program/$(basename "$program")" --gtest_output=xml:"$output" "$@"
status=$?
mkdir -p "$(dirname "$report")"
cp "$home/program/report.xml" "$report" 2>/dev/null
exit $status
