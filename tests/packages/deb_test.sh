#!/usr/bin/env bash
# The Debian package as a user installs it. scripts/package makes it and
# lintian judges it; dpkg installs it into a throw-away copy of this machine
# (an overlay over its root in a mount namespace of its own, entered with
# chroot), where the installed zk runs on the data in /usr/share/zk, and
# dpkg removes it again. Installing needs root; elsewhere those cases skip.
#   deb_test.sh REPORT
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root_dir=$(cd "$here/../.." && pwd)

# Inside the mount namespace: prints one "NAME<TAB>FAILURE" line a case.
#   deb_test.sh --inside WORK DEB VERSION
if [ "${1:-}" = --inside ]; then
  work=$2 deb=$3 version=$4
  root=$work/root layer=$work/layer
  mount -t tmpfs tmpfs "$layer" && mkdir "$layer/upper" "$layer/work" &&
    mount -t overlay overlay -o "lowerdir=/,upperdir=$layer/upper,workdir=$layer/work" "$root" &&
    mount -t proc proc "$root/proc" && mount --rbind /dev "$root/dev" || {
    printf 'SKIP\tno overlay of the root could be mounted here\n'
    exit 0
  }
  mkdir -p "$root/tmp/zk-test"
  cp "$deb" "$root/tmp/zk-test/zk.deb"
  cp "$work"/given/* "$root/tmp/zk-test/"
  in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 HOME=/root MANWIDTH=80 "$@"; }
  result() { printf '%s\t%s\n' "$1" "${2//$'\n'/ }"; }

  failure=""
  out=$(in_root dpkg -i /tmp/zk-test/zk.deb 2>&1) || failure="dpkg -i failed: $out"
  status=$(in_root dpkg-query -W -f='${Status} ${Version}' zk 2>&1)
  [ -n "$failure" ] || [ "$status" = "install ok installed $version" ] || failure="dpkg says: $status"
  result DpkgInstallsItWithItsDependencies "$failure"
  [ -z "$failure" ] || exit 0
  mapfile -t installed < <(in_root dpkg -L zk)

  failure=""
  found=$(in_root sh -c 'command -v zk')
  [ "$found" = /usr/bin/zk ] || failure="zk is found at '$found'"
  shown=$(in_root zk --version 2>&1)
  [ "$shown" = "zk $version" ] || failure="zk --version says '$shown'"
  shown=$(in_root zk info /tmp/zk-test/viewer.gb 2>&1)
  [ "$shown" = "$(cat "$work/expected/info")" ] || failure="zk info says '$shown'"
  in_root zk render /tmp/zk-test/viewer.gb -o /tmp/zk-test/viewer.png >/dev/null 2>&1
  cmp -s "$root/tmp/zk-test/viewer.png" "$work/expected/viewer.png" || failure="zk render drew another picture"
  in_root zk convert --big5 /tmp/zk-test/gb.txt /tmp/zk-test/gb.big5 >/dev/null 2>&1
  cmp -s "$root/tmp/zk-test/gb.big5" "$work/expected/gb.big5" || failure="zk convert --big5 wrote other bytes"
  result TheInstalledZkRunsAsTheBuiltOne "$failure"

  # Without the table in /usr/share/zk the conversion has none.
  failure=""
  mv "$root/usr/share/zk/GBBIG5.TBL" "$root/tmp/zk-test/"
  shown=$(in_root zk convert --big5 --force /tmp/zk-test/gb.txt /tmp/zk-test/gb.big5 2>&1)
  [[ $shown == *"convert table file: /usr/share/zk/GBBIG5.TBL"* ]] || failure="without its table zk says '$shown'"
  mv "$root/tmp/zk-test/GBBIG5.TBL" "$root/usr/share/zk/"
  result ItsDataAreReadFromUsrShareZk "$failure"

  failure=""
  page=$(in_root man --warnings -P cat zk 2>"$work/man-warnings")
  [ ! -s "$work/man-warnings" ] || failure="man warns: $(head -c 300 "$work/man-warnings")"
  for text in "zk info" "zk convert" "zk $version" "/usr/share/zk"; do
    [[ $page == *"$text"* ]] || failure="the manual page lacks '$text'"
  done
  result ItsManualPageReadsWithoutWarnings "$failure"

  failure=""
  out=$(in_root dpkg --purge zk 2>&1) || failure="dpkg --purge failed: $out"
  for path in "${installed[@]}"; do
    case $path in /. | /usr | /usr/bin | /usr/share | /usr/share/doc | /usr/share/man | /usr/share/man/man1) continue ;; esac
    [ ! -e "$root$path" ] || failure="$path is left"
  done
  result DpkgRemovesAllItInstalled "$failure"
  exit 0
fi

source "$here/report.sh"
source "$root_dir/scripts/lib.sh"
report=$(realpath -m "$1")
zk_ensure_packages "${ZK_PACKAGE_TEST_PACKAGES[@]}" >/dev/null || true
deb=$("$root_dir/scripts/package" deb | tail -n 1)
version=$(head -n 1 "$root_dir/VERSION")
if [ ! -f "$deb" ]; then
  check PackageIsMade "scripts/package deb made no package"
  write_report "$report" DebianPackage
  exit 1
fi

lintian_output=$root_dir/build/packages/lintian.txt
lintian --info --pedantic "$deb" >"$lintian_output" 2>&1
errors=$(grep '^E: ' "$lintian_output")
check LintianReportsNoError "${errors:+$(head -n 3 <<<"$errors")}"

work=$(mktemp -d /tmp/zk-deb-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/root" "$work/layer" "$work/given" "$work/expected"
cp "$root_dir/samples/viewer.gb" "$root_dir/samples/gb.txt" "$work/given/"
# What the built zk says and makes of the same files.
built=$root_dir/build/native/bin/zk
(cd "$work/given" && "$built" info viewer.gb >"$work/expected/info" 2>&1 &&
  "$built" render viewer.gb -o "$work/expected/viewer.png" >/dev/null &&
  "$built" convert --big5 gb.txt "$work/expected/gb.big5" >/dev/null)

names=(DpkgInstallsItWithItsDependencies TheInstalledZkRunsAsTheBuiltOne ItsDataAreReadFromUsrShareZk
  ItsManualPageReadsWithoutWarnings DpkgRemovesAllItInstalled)
if [ "$(id -u)" -ne 0 ] || ! command -v unshare >/dev/null; then
  for name in "${names[@]}"; do skip "$name" "installing needs root and unshare"; done
else
  declare -A seen=()
  while IFS=$'\t' read -r name failure; do
    if [ "$name" = SKIP ]; then
      for name in "${names[@]}"; do skip "$name" "$failure"; done
      seen[SKIP]=1
      break
    fi
    check "$name" "$failure"
    seen[$name]=1
  done < <(unshare --mount --propagation private bash "$0" --inside "$work" "$deb" "$version" 2>&1)
  if [ -z "${seen[SKIP]:-}" ]; then
    for name in "${names[@]}"; do [ -n "${seen[$name]:-}" ] || check "$name" "never ran"; done
  fi
fi
write_report "$report" DebianPackage
