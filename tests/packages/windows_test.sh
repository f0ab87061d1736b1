#!/usr/bin/env bash
# The Windows packages as a user installs them, under Wine in a fresh prefix
# on a private X server. The installer runs silently (/S) into Program Files;
# the installed ZK.exe opens a sample and must show it exactly as `zk render`
# draws it (the screenshot is kept in build/packages/screenshots), and the
# installed zk-cli.exe reads and converts one; the uninstaller removes all
# it installed and leaves the user's settings. Then the zip is unpacked and
# run the same way.
#   windows_test.sh REPORT
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root_dir=$(cd "$here/../.." && pwd)
source "$here/report.sh"
source "$root_dir/scripts/lib.sh"
report=$(realpath -m "$1")
zk_ensure_packages "${ZK_PACKAGE_TEST_PACKAGES[@]}" >/dev/null || true

made=$("$root_dir/scripts/package" windows)
setup=$(grep -- '-setup\.exe$' <<<"$made")
zip=$(grep -- '\.zip$' <<<"$made")
version=$(head -n 1 "$root_dir/VERSION")
stage=$root_dir/build/packages/windows/ZK-$version
shots=$root_dir/build/packages/screenshots
if [ ! -f "$setup" ] || [ ! -f "$zip" ]; then
  check PackagesAreMade "scripts/package windows made no installer or no zip"
  write_report "$report" WindowsPackages
  exit 1
fi

work=$(mktemp -d /tmp/zk-windows-test.XXXXXX)
unset DISPLAY
zk_wine_env
cleanup() {
  zk_wine_cleanup
  zk_stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT
zk_start_xvfb || exit 1
wineboot -i >/dev/null 2>&1
zk_wine_unmanaged
timeout 120 wineserver -w

# The samples, and what the built zk says and draws of them.
cp "$root_dir/samples/viewer.gb" "$root_dir/samples/gb.txt" "$work/"
built=$root_dir/build/native/bin/zk
"$built" info "$work/viewer.gb" >"$work/info.expected"
"$built" convert --big5 "$work/gb.txt" "$work/gb.expected" >/dev/null
"$built" render "$work/viewer.gb" -o "$work/lines.png" >/dev/null
"$built" render "$work/viewer.gb" --rows 2 -o "$work/first-lines.png" >/dev/null
sample=$(winepath -w "$work/viewer.gb")
settings=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/ZK/ZK.INI
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZK'
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/ZK.lnk"

# The files of a folder, one name a line.
listing() { (cd "$1" && LC_ALL=C ls -A); }

# Differences between the staged files and those in a folder; empty when
# they hold the same bytes.
differences() {
  local name
  for name in $(listing "$stage"); do
    cmp -s "$stage/$name" "$1/$name" || echo "$name differs or is missing"
  done
}

# Starts PROGRAM (a Windows path) on the sample, keeps a screenshot as SHOT,
# and checks the frame's title and its view: the sample's lines as zk render
# draws them, pixel for pixel. Then ends it as a user does (Alt+F4), which
# writes the settings. Prints what went wrong.
view_sample() {
  local program=$1 shot=$2 window="" _
  wine "$program" "$sample" >/dev/null 2>&1 &
  for _ in $(seq 1 120); do
    window=$(xdotool search --name "Larkspan" 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    sleep 0.5
  done
  if [ -z "$window" ]; then
    echo "no frame appeared"
    return
  fi
  # The first paint follows the frame.
  sleep 2
  mkdir -p "$shots"
  import -window root "$shot"
  local title
  title=$(xdotool getwindowname "$window")
  [ "$title" = "Larkspan for Windows(32) Ver.2.5 - $sample" ] || echo "the frame's title is '$title'"
  # Where the first lines stand, then all of them compared there.
  local found at
  convert "$shot" -crop 720x240+0+0 +repage "$work/top.png"
  found=$(compare -metric AE -subimage-search "$work/top.png" "$work/first-lines.png" null: 2>&1)
  if [[ $found =~ ^0\ @\ ([0-9]+),([0-9]+) ]]; then
    at=+${BASH_REMATCH[1]}+${BASH_REMATCH[2]}
    local size
    size=$(identify -format '%wx%h' "$work/lines.png")
    convert "$shot" -crop "$size$at" +repage "$work/view.png"
    found=$(compare -metric AE "$work/view.png" "$work/lines.png" null: 2>&1)
    [ "$found" = 0 ] || echo "the view differs from zk render's lines in $found pixels"
  else
    echo "the sample's first lines are nowhere in the view (best: $found)"
  fi
  xdotool key --window "$window" alt+F4 2>/dev/null
  for _ in $(seq 1 60); do
    xdotool search --name "Larkspan" >/dev/null 2>&1 || break
    sleep 0.5
  done
  xdotool search --name "Larkspan" >/dev/null 2>&1 && echo "ZK.exe did not end at Alt+F4"
  timeout 60 wineserver -w
}

# What zk-cli.exe in FOLDER (a Unix path) says and converts, and its version.
run_cli() {
  local cli shown
  cli=$(winepath -w "$1/zk-cli.exe")
  shown=$(wine "$cli" --version 2>&1 | tr -d '\r')
  [ "$shown" = "zk $version" ] || echo "zk-cli --version says '$shown'"
  shown=$(wine "$cli" info "$sample" 2>&1 | tr -d '\r')
  [ "$shown" = "$(cat "$work/info.expected")" ] || echo "zk-cli info says '$shown'"
  rm -f "$work/gb.big5"
  wine "$cli" convert --big5 "$(winepath -w "$work/gb.txt")" "$(winepath -w "$work/gb.big5")" >/dev/null 2>&1
  cmp -s "$work/gb.big5" "$work/gb.expected" || echo "zk-cli convert --big5 wrote other bytes"
  timeout 60 wineserver -w
}

installed="$WINEPREFIX/drive_c/Program Files/ZK"
failure=""
wine "$setup" /S >/dev/null 2>&1 || failure="the installer failed"
timeout 120 wineserver -w
if [ -z "$failure" ]; then
  failure=$(differences "$installed")
  extra=$(comm -13 <(listing "$stage") <(listing "$installed") | tr '\n' ' ')
  [ "$extra" = "Uninstall.exe " ] || failure+=" besides the files it installed: $extra"
  [ -f "$shortcut" ] || failure+=" no Start-menu entry"
  shown=$(wine reg query "$uninstall_key" /v DisplayVersion 2>&1 | tr -d '\r')
  [[ $shown == *"REG_SZ    $version"* ]] || failure+=" the uninstall entry says: $shown"
fi
check InstallerPutsTheFilesIntoProgramFilesSilently "$failure"

# A file type is registered under HKEY_CLASSES_ROOT, by its program's path.
wine regedit /E "$work/classes.reg" HKEY_CLASSES_ROOT >/dev/null 2>&1
timeout 60 wineserver -w
failure=""
[ -s "$work/classes.reg" ] || failure="the classes could not be read"
iconv -f UTF-16LE -t UTF-8 "$work/classes.reg" 2>/dev/null | grep -qi 'ZK\\\\ZK.exe' &&
  failure="a file type names the installed ZK.exe"
check InstallerRegistersNoFileType "$failure"

# The file properties' version: the fixed numbers and the texts.
version_failure() {
  local at numbers
  at=$(LC_ALL=C grep -obUaP '\xBD\x04\xEF\xFE' "$1" | head -n 1 | cut -d: -f1)
  [ -n "$at" ] || { echo "no VERSIONINFO"; return; }
  # FILEVERSION's two 32-bit halves, as 16-bit words: minor, major, 0, patch.
  numbers=$(od -An -tu2 -j $((at + 8)) -N 8 "$1" | xargs)
  IFS=. read -r major minor patch <<<"$version"
  [ "$numbers" = "$minor $major 0 $patch" ] || echo "FILEVERSION holds $numbers"
  for key in FileVersion ProductVersion; do
    strings -el "$1" | grep -A1 -x "$key" | tail -n 1 | grep -qx "$version" || echo "$key is not $version"
  done
}
check InstalledZkExeShowsTheVersionInItsProperties "$(version_failure "$installed/ZK.exe")"

check InstalledViewerShowsTheSampleAsZkRenderDraws "$(view_sample 'C:\Program Files\ZK\ZK.exe' "$shots/installed-viewer.png")"
check InstalledCliReadsAndConvertsTheSample "$(run_cli "$installed")"

failure=""
[ -f "$settings" ] || failure="ZK.exe wrote no settings file"
wine "$installed/Uninstall.exe" /S >/dev/null 2>&1 || failure="the uninstaller failed"
# The uninstaller runs on from a copy of itself.
timeout 120 wineserver -w
[ ! -e "$installed" ] || failure+=" left in its folder: $(listing "$installed" | tr '\n' ' ')"
[ ! -e "$shortcut" ] || failure+=" the Start-menu entry is left"
wine reg query "$uninstall_key" >/dev/null 2>&1 && failure+=" the uninstall entry is left"
timeout 60 wineserver -w
[ -f "$settings" ] || failure+=" the settings file went too"
check UninstallerRemovesAllItInstalledButTheSettings "$failure"

# A folder of drive C: the user's own folders under Wine lead to $HOME.
unpacked=$WINEPREFIX/drive_c/Portable
mkdir -p "$unpacked"
failure=""
out=$(unzip -q "$zip" -d "$unpacked" 2>&1 </dev/null) || failure="unzip failed: $out"
unpacked=$unpacked/ZK-$version
[ -n "$failure" ] || failure=$(differences "$unpacked")
[ "$(listing "$unpacked")" = "$(listing "$stage")" ] || failure+=" the zip holds other files"
check ZipHoldsTheInstallersFiles "$failure"
check UnpackedViewerShowsTheSampleAsZkRenderDraws \
  "$(view_sample "$(winepath -w "$unpacked/ZK.exe")" "$shots/unpacked-viewer.png")"
check UnpackedCliReadsAndConvertsTheSample "$(run_cli "$unpacked")"

write_report "$report" WindowsPackages
