#!/usr/bin/env bash
# Runs a test program with a small disk of its own, a tmpfs of 512 KiB that
# the tests fill, handed over in ZK_SMALL_DISK. The disk is mounted in a
# mount namespace private to the run: as root directly, otherwise inside a
# user namespace where the system allows one. A Windows program runs under
# Wine with a Wine prefix of its own, whose server starts inside the
# namespace (the server opens the files). Where no namespace can be made the
# program runs without ZK_SMALL_DISK, and its small-disk tests skip saying so.
#   with_small_disk.sh PROGRAM REPORT [GTEST ARGS...]
set -uo pipefail
program=$1
report=$2
shift 2
run=("$program")
[[ $program == *.exe ]] && run=(wine "$program")

if [ -z "${ZK_SMALL_DISK_NAMESPACE:-}" ]; then
  for how in "--mount" "--user --map-root-user --mount"; do
    # shellcheck disable=SC2086
    if unshare $how true 2>/dev/null; then
      # shellcheck disable=SC2086
      exec env ZK_SMALL_DISK_NAMESPACE=1 unshare $how --propagation private bash "$0" "$program" "$report" "$@"
    fi
  done
  echo "with_small_disk.sh: no mount namespace can be made here; the small-disk tests skip" >&2
  exec "${run[@]}" --gtest_output="xml:$report" "$@"
fi

disk=$(mktemp -d /tmp/zk-small-disk.XXXXXX)
if ! mount -t tmpfs -o size=512k tmpfs "$disk"; then
  echo "with_small_disk.sh: no tmpfs can be mounted here; the small-disk tests skip" >&2
  rmdir "$disk"
  exec "${run[@]}" --gtest_output="xml:$report" "$@"
fi
export ZK_SMALL_DISK=$disk
if [[ $program == *.exe ]]; then
  WINEPREFIX=$(mktemp -d /tmp/zk-wine.XXXXXX)
  export WINEPREFIX
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  ZK_SMALL_DISK=$(winepath -w "$disk" 2>/dev/null)
fi
"${run[@]}" --gtest_output="xml:$report" "$@"
status=$?
if [[ $program == *.exe ]]; then
  wineserver -k >/dev/null 2>&1
  rm -rf "$WINEPREFIX"
fi
umount "$disk"
rmdir "$disk"
exit $status
