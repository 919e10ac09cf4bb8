#!/bin/bash
# Builds server-sim, the server over a simulated board (normal
# configuration), and runs it in the foreground on the default control port
# 20001. Every path the server touches lies under its own root directory,
# run/root (or $SERVER_ROOT when set): the configuration
# usr/local/etc/server.conf, the pid file var/run/server.pid, the status dump
# var/log/server-status (kill -USR2), a copy of the log output in
# var/log/server.log, the board's control socket var/run/server-sim.ctl
# (build/normal/tools/simctl talks to it) and the watchdog dev/misc/gw-wd,
# a FIFO the simulator reads. No root rights needed; Ctrl-C stops it.
# Arguments go to the server, e.g. scripts/run-server.sh --port 20002.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" = 0 ]; then
  scripts/install-deps.sh
fi

root=${SERVER_ROOT:-$PWD/run/root}
mkdir -p "$root/usr/local/etc" "$root/var/run" "$root/var/log" "$root/dev/misc"
root=$(cd "$root" && pwd) # absolute: daemon mode changes to "/"
if [ ! -e "$root/usr/local/etc/server.conf" ]; then
  cat > "$root/usr/local/etc/server.conf" <<'CONF'
; Configuration of the server run by scripts/run-server.sh.
[traces]
signalling.hdlc = no
signalling.vuveri = no
signalling.events = no
signalling.isdn = no
monitoring.internal = no
CONF
fi

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B build/normal -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSERVER_WERROR=ON "${launcher[@]}" >/dev/null
cmake --build build/normal --target server-sim ctrlcli simctl

export SERVER_ROOT=$root
echo "server root: $root" >&2
# tee ignores Ctrl-C, so the server's last lines still reach the terminal
# and the log copy.
exec > >(tee -ai "$root/var/log/server.log") 2>&1
exec build/normal/sim/server-sim "$@"
