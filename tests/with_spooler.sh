#!/usr/bin/env bash
# Runs a command beside a private print scheduler: its own configuration in a
# temporary folder, a Unix socket, and one queue, ZK, whose device is the
# file $ZK_SPOOL_DIR/out/job.ps. Wine started with the same CUPS_SERVER
# takes that queue for its default printer. The scheduler is ended by its
# process id when the command ends, whatever its outcome.
#   with_spooler.sh COMMAND [ARGS...]
set -uo pipefail
dir=$(mktemp -d /tmp/zk-spool.XXXXXX)
scheduler=""
finish() {
  if [ -n "$scheduler" ]; then
    kill "$scheduler" 2>/dev/null
    wait "$scheduler" 2>/dev/null
  fi
  rm -rf "$dir"
}
trap finish EXIT

mkdir -p "$dir/out" "$dir/spool" "$dir/cache" "$dir/state" "$dir/tmp" "$dir/log" "$dir/ppd"
cat >"$dir/cups-files.conf" <<CONF
FileDevice Yes
User lp
Group lp
SystemGroup root
ServerRoot $dir
RequestRoot $dir/spool
CacheDir $dir/cache
StateDir $dir/state
TempDir $dir/tmp
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
CONF
cat >"$dir/cupsd.conf" <<CONF
Listen $dir/cups.sock
LogLevel warn
WebInterface No
Browsing No
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order allow,deny
    Allow all
  </Limit>
</Policy>
CONF
# The scheduler runs its filters as lp, and refuses to run them as root.
chown -R lp:lp "$dir"
chmod 755 "$dir"

cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" >"$dir/log/cupsd.out" 2>&1 &
scheduler=$!
export CUPS_SERVER="$dir/cups.sock"
for _ in $(seq 100); do
  [ -S "$CUPS_SERVER" ] && break
  sleep 0.1
done
if ! lpadmin -p ZK -E -v "file://$dir/out/job.ps" -m drv:///sample.drv/generic.ppd 2>/dev/null ||
  ! lpadmin -d ZK; then
  echo "with_spooler.sh: the print scheduler did not start" >&2
  cat "$dir/log/cupsd.out" "$dir/log/error_log" >&2 2>/dev/null
  exit 1
fi
export ZK_SPOOL_DIR="$dir"
"$@"
